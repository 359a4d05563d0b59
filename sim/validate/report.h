// The validator's results for people (text), JSON readers and CI systems
// (JUnit, through the one writer "check" uses too).
#pragma once

#include <string>
#include <vector>

#include "sim/validate/runner.h"

namespace vsim::validate {

struct Totals {
  int passed = 0, failed = 0, skipped = 0, warned = 0;  // warned ones passed too
};
Totals Count(const std::vector<ModuleRun>& runs);
std::string TextReport(const std::vector<ModuleRun>& runs, bool only_failed);
std::string JsonReport(const std::vector<ModuleRun>& runs);
std::string JUnitReport(const std::vector<ModuleRun>& runs);

}  // namespace vsim::validate
