// Runs a program as a child process with a time limit, so that whatever it
// does (crash, abort, hang) is only an outcome to report.
#pragma once

#include <string>
#include <vector>

namespace vsim::platform {

struct ChildOutcome {
  bool started = false;
  bool timed_out = false;  // asked to stop at the time limit (SIGTERM), then killed
  bool crashed = false;    // ended by a signal (Linux) or an exception (Windows)
  int exit_code = 0;       // when it exited
  std::string how;         // "SIGSEGV", "exception 0xC0000005", "exit 3", ...
  std::string output;      // its standard output and error, interleaved
};

// argv[0] is the program's path. The child's output goes through a file in
// `scratch_dir`, so that a child that never reads or writes cannot block it.
// A child past its time limit is first asked to stop, so that its last
// words (where it was) reach the output, and ended outright a little later;
// on Windows it is ended at once.
ChildOutcome RunChild(const std::vector<std::string>& argv, double time_limit_s,
                      const std::string& scratch_dir);

namespace detail {

// The file a child's output goes to, fresh for each child; and what it
// holds, the file then removed.
std::string ChildOutputFile(const std::string& scratch_dir);
std::string TakeChildOutput(const std::string& path);

}  // namespace detail

}  // namespace vsim::platform
