// The validator's results for people (text, a web page), JSON readers and
// CI systems (JUnit, through the one writer "check" uses too).
#pragma once

#include <string>
#include <vector>

#include "sim/validate/run_checks.h"

namespace vsim::validate {

struct Totals {
  int passed = 0, failed = 0, skipped = 0, warned = 0;  // warned ones passed too
};
Totals Count(const std::vector<ModuleRun>& runs);
std::string TextReport(const std::vector<ModuleRun>& runs, bool only_failed);
std::string JsonReport(const std::vector<ModuleRun>& runs);
std::string JUnitReport(const std::vector<ModuleRun>& runs);
// One page that opens from disk alone: the verdicts, the figures against
// their limits, and the flights of the checks that flew, as charts; the
// JSON report is its data.
std::string HtmlReport(const std::vector<ModuleRun>& runs, Level level);

}  // namespace vsim::validate
