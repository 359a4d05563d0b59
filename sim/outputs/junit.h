// Test results as JUnit XML, the format every CI system shows: one writer
// for "check" (a case per script) and "validate" (a case per check).
#pragma once

#include <string>
#include <vector>

namespace vsim {

enum class CaseStatus { kPassed, kFailed, kError, kSkipped };

struct CaseFailure {
  std::string type;     // "expectation", "error", "check"
  std::string message;  // its first line becomes the message attribute
  std::string file;     // empty: none
  int line = 0;         // 0: none
};

struct TestCase {
  std::string classname;
  std::string name;
  std::string file;  // empty: none
  CaseStatus status = CaseStatus::kPassed;
  double seconds = 0;
  std::vector<CaseFailure> failures;  // for kFailed and kError
  std::string skipped;                // why, for kSkipped
  std::string output;                 // what it said, as system-out; empty: none
};

struct TestSuite {
  std::string name;
  std::vector<TestCase> cases;
};

std::string JUnitXml(const std::string& name, const std::vector<TestSuite>& suites);

}  // namespace vsim
