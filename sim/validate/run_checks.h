// Runs the catalogue's checks on modules, each in a child process of its own
// (a crash, an abort or a hang is that check failing) or all in this one.
#pragma once

#include <string>
#include <vector>

#include "sim/validate/validation.h"

namespace vsim::validate {

struct Selection {
  std::string include;  // a regular expression the name must match; empty: all
  std::string exclude;  // one it must not match; empty: none
  bool in_process = false;
  std::string program;  // this program, run again for each check
  double time_limit_s = 0;
  // After a check hung in a callback, run the checks that drive it all the
  // same (each then costs its time limit) rather than report them not run.
  bool keep_going = false;
  Level level = Level::kStandard;
};

struct CheckRun {
  std::string name;
  Result result;
  double seconds = 0;
};

struct ModuleRun {
  std::string module;
  std::vector<CheckRun> checks;
};

// The checks a selection names, in the catalogue's order; throws
// std::regex_error for a bad expression.
std::vector<const Check*> Selected(const Selection& selection);

ModuleRun Validate(const Target& target, const std::vector<const Check*>& checks,
                   const Selection& selection);

// What a child prints of its one check; read back by the parent.
std::string ResultLine(const Result& result);
// "PASS", "FAIL", "SKIP".
const char* VerdictWord(Verdict v);

}  // namespace vsim::validate
