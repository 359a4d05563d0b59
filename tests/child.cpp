#include "tests/child.h"

#if !defined(_WIN32)

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>

namespace test {

Child::Child(const std::vector<std::string>& argv, const std::vector<std::string>& environment) {
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    setpgid(0, 0);
    dup2(pipe_fds[1], STDERR_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    close(pipe_fds[0]);
    close(pipe_fds[1]);
    for (const std::string& e : environment) putenv(const_cast<char*>(e.c_str()));
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  // Both sides set the group, so that it is set before either goes on.
  if (pid_ > 0) setpgid(pid_, pid_);
  close(pipe_fds[1]);
  errors_fd_ = pipe_fds[0];
}

Child::~Child() {
  if (pid_ > 0 && !ended_) {
    kill(pid_, SIGKILL);
    Wait();
  }
  if (errors_fd_ >= 0) close(errors_fd_);
}

void Child::ReadAvailable(int timeout_ms) {
  pollfd watched{errors_fd_, POLLIN, 0};
  if (poll(&watched, 1, timeout_ms) <= 0) return;
  char buffer[4096];
  const ssize_t n = read(errors_fd_, buffer, sizeof buffer);
  if (n > 0) errors_.append(buffer, static_cast<std::size_t>(n));
  if (n == 0) {
    close(errors_fd_);
    errors_fd_ = -1;
  }
}

bool Child::WaitFor(const std::string& text, double timeout_s) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout_s);
  while (errors_.find(text) == std::string::npos) {
    if (errors_fd_ < 0 || std::chrono::steady_clock::now() > end) return false;
    ReadAvailable(10);
  }
  return true;
}

void Child::Signal(int signal) const { kill(pid_, signal); }
void Child::SignalGroup(int signal) const { kill(-pid_, signal); }

Child::End Child::Wait() {
  while (errors_fd_ >= 0) ReadAvailable(100);
  End end;
  int status = 0;
  if (pid_ <= 0 || waitpid(pid_, &status, 0) != pid_) return end;
  ended_ = true;
  if (WIFSIGNALED(status)) end.signal = WTERMSIG(status);
  if (WIFEXITED(status)) end.exit_code = WEXITSTATUS(status);
  return end;
}

}  // namespace test

#endif
