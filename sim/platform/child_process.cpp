#include "sim/platform/child_process.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#endif

namespace vsim::platform {

namespace {

constexpr auto kPoll = std::chrono::milliseconds(5);
// How long a child past its time limit has to say where it was before it is
// ended outright.
constexpr auto kLastWordsGrace = std::chrono::seconds(2);

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

std::string OutputFile(const std::string& scratch_dir) {
  static int serial = 0;
  return (std::filesystem::path(scratch_dir) / ("child-" + std::to_string(++serial) + ".out"))
      .string();
}

}  // namespace

#if defined(_WIN32)

namespace {

std::string CommandLine(const std::vector<std::string>& argv) {
  std::string line;
  for (const std::string& arg : argv) {
    if (!line.empty()) line += ' ';
    line += '"';
    for (char c : arg) {
      if (c == '"') line += '\\';
      line += c;
    }
    line += '"';
  }
  return line;
}

}  // namespace

ChildOutcome RunChild(const std::vector<std::string>& argv, double time_limit_s,
                      const std::string& scratch_dir) {
  ChildOutcome outcome;
  const std::string out_path = OutputFile(scratch_dir);
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  PROCESS_INFORMATION process{};
  std::string line = CommandLine(argv);
  // A loaded machine (Wine under a parallel test run) now and then fails to
  // start a process that starts the next time.
  constexpr int kStartAttempts = 5;
  constexpr DWORD kRetryPause_ms = 200;
  bool created = false;
  for (int attempt = 0; attempt < kStartAttempts && !created; ++attempt) {
    if (attempt > 0) Sleep(kRetryPause_ms);
    HANDLE out = CreateFileA(out_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) continue;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = out;
    created = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                             nullptr, nullptr, &startup, &process) != 0;
    CloseHandle(out);
  }
  if (!created) return outcome;
  outcome.started = true;
  const auto limit_ms = static_cast<DWORD>(time_limit_s * 1000);
  if (WaitForSingleObject(process.hProcess, limit_ms) == WAIT_TIMEOUT) {
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, INFINITE);
    outcome.timed_out = true;
    outcome.how = "timed out";
  } else {
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    // Exception codes have the top bits set; a program's own exit codes do not.
    if ((code & 0xC0000000u) == 0xC0000000u) {
      char text[32];
      std::snprintf(text, sizeof text, "exception 0x%08lX", static_cast<unsigned long>(code));
      outcome.crashed = true;
      outcome.how = text;
    } else {
      outcome.exit_code = static_cast<int>(code);
      outcome.how = "exit " + std::to_string(code);
    }
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  outcome.output = Slurp(out_path);
  std::error_code ignored;
  std::filesystem::remove(out_path, ignored);
  return outcome;
}

#else

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
  const std::string out_path = OutputFile(scratch_dir);
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
  outcome.output = Slurp(out_path);
  std::error_code ignored;
  std::filesystem::remove(out_path, ignored);
  return outcome;
}

#endif

}  // namespace vsim::platform
