#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

#include "sim/platform/child_process.h"

namespace vsim::platform {

namespace {

constexpr auto kPoll = std::chrono::milliseconds(5);
// How long a child past its time limit has to say where it was before it is
// ended outright.
constexpr auto kLastWordsGrace = std::chrono::seconds(2);

}  // namespace

namespace {

std::string SignalName(int signal) {
  switch (signal) {
    case SIGSEGV: return "SIGSEGV";
    case SIGABRT: return "SIGABRT";
    case SIGBUS: return "SIGBUS";
    case SIGILL: return "SIGILL";
    case SIGFPE: return "SIGFPE";
    case SIGKILL: return "SIGKILL";
    case SIGTERM: return "SIGTERM";
    default: return "signal " + std::to_string(signal);
  }
}

}  // namespace

ChildOutcome RunChild(const std::vector<std::string>& argv, double time_limit_s,
                      const std::string& scratch_dir) {
  ChildOutcome outcome;
  const std::string out_path = detail::ChildOutputFile(scratch_dir);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) return outcome;
  if (pid == 0) {
    const int fd = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd >= 0) {
      dup2(fd, STDOUT_FILENO);
      dup2(fd, STDERR_FILENO);
      close(fd);
    }
    execv(args[0], args.data());
    _exit(127);
  }
  outcome.started = true;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(time_limit_s);
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (done < 0) {
      outcome.started = false;
      return outcome;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!outcome.timed_out && now >= deadline) {
      // A termination request first: the child's last words say where it is.
      kill(pid, SIGTERM);
      outcome.timed_out = true;
    } else if (outcome.timed_out && now >= deadline + kLastWordsGrace) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(kPoll);
  }
  if (outcome.timed_out) {
    outcome.how = "timed out";
  } else if (WIFSIGNALED(status)) {
    outcome.crashed = true;
    outcome.how = SignalName(WTERMSIG(status));
  } else {
    outcome.exit_code = WEXITSTATUS(status);
    outcome.how = "exit " + std::to_string(outcome.exit_code);
  }
  outcome.output = detail::TakeChildOutput(out_path);
  return outcome;
}

}  // namespace vsim::platform
