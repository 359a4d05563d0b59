// What "vesselsim check" found, for people and for CI systems: one test case
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
  bool errored = false;               // the script did not parse: error holds its messages
  bool not_run = false;               // an earlier script ended the process
  double seconds = 0;
  bool Failed() const { return !failures.empty() || !error.empty(); }
  // "passed", "failed", "error" or "not run".
  const char* Status() const;
};

struct CheckTotals {
  int passed = 0;
  int failed = 0;   // failed expectations and scripts that stopped
  int errored = 0;  // scripts that did not parse
};
CheckTotals Totals(const std::vector<ScriptCheck>& checks);

std::string JUnitXml(const std::vector<ScriptCheck>& checks);
std::string Json(const std::vector<ScriptCheck>& checks);
// One script's result as Json writes it; throws std::runtime_error on text
// that is not one.
ScriptCheck ScriptCheckFromJson(const std::string& json);
// Throws FileError.
void WriteReport(FileSystem& files, const std::string& path, const std::string& text);

}  // namespace vsim
