// What "vesselsim check" found, for people and for CI systems: one result
// per script, written as JUnit XML or JSON.
#pragma once

#include <string>
#include <vector>

#include "sim/files/file_system.h"

namespace vsim {

struct ScriptCheck {
  std::string file;
  int passed = 0;
  std::vector<std::string> failures;  // "file:line: expected ..., got ..."
  std::string error;                  // the run could not go on, or checked nothing
  bool not_run = false;               // an earlier script ended the process
  bool Failed() const { return !failures.empty() || !error.empty(); }
};

struct CheckTotals {
  int passed = 0;
  int failed = 0;  // failed expectations and scripts in error
};
CheckTotals Totals(const std::vector<ScriptCheck>& checks);

// One test case per script, one failure per failed expectation.
std::string JUnitXml(const std::vector<ScriptCheck>& checks);
std::string Json(const std::vector<ScriptCheck>& checks);
// Throws FileError.
void WriteReport(FileSystem& files, const std::string& path, const std::string& text);

}  // namespace vsim
