// A program run beside a test that the test can watch and signal while it
// runs: started in a process group of its own, its standard error read line
// by line, its end seen as the shell sees it.
#pragma once

#if !defined(_WIN32)

#include <sys/types.h>

#include <string>
#include <vector>

namespace test {

class Child {
public:
  // Runs argv with `environment` ("NAME=VALUE") added to this process's own.
  Child(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {});
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // Reads standard error until a line contains `text` or the child ends or
  // the time runs out.
  bool WaitFor(const std::string& text, double timeout_s = 10);
  void Signal(int signal) const;
  void SignalGroup(int signal) const;
  // Waits for the end; the signal that ended it, or 0 when it exited.
  struct End {
    int signal = 0;
    int exit_code = -1;
  };
  End Wait();
  // Everything it wrote on its standard error, once it has ended.
  const std::string& Errors() const { return errors_; }
  pid_t Id() const { return pid_; }

private:
  void ReadAvailable(int timeout_ms);

  pid_t pid_ = -1;
  int errors_fd_ = -1;
  std::string errors_;
  bool ended_ = false;
};

}  // namespace test

#endif
