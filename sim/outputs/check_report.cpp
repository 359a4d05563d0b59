#include "sim/outputs/check_report.h"

#include <nlohmann/json.hpp>
#include <stdexcept>

#include "sim/files/atomic_file.h"
#include "sim/outputs/junit.h"

namespace vsim {

namespace {

// Keys in the order they are written: a report reads top down.
using json = nlohmann::ordered_json;

// "file:line: message" -> the line, or 0.
int LineOf(const std::string& failure, const std::string& file) {
  if (failure.compare(0, file.size() + 1, file + ":") != 0) return 0;
  const std::size_t start = file.size() + 1;
  int line = 0;
  for (std::size_t i = start; i < failure.size() && failure[i] >= '0' && failure[i] <= '9'; ++i)
    line = line * 10 + (failure[i] - '0');
  return line;
}

TestCase CaseOf(const ScriptCheck& c) {
  TestCase t{"vesselsim.check", c.file, c.file, CaseStatus::kPassed, c.seconds, {}, {}, {}};
  for (const std::string& f : c.failures)
    t.failures.push_back({"expectation", f, c.file, LineOf(f, c.file)});
  if (!c.error.empty())
    t.failures.push_back(
        {c.errored ? "script" : "error", c.error, c.file, LineOf(c.error, c.file)});
  t.status = c.errored    ? CaseStatus::kError
             : c.not_run  ? CaseStatus::kSkipped
             : c.Failed() ? CaseStatus::kFailed
                          : CaseStatus::kPassed;
  if (c.not_run) t.skipped = "not run: an earlier script ended the process";
  return t;
}

json JsonOf(const ScriptCheck& c) {
  json failures = json::array();
  for (const std::string& f : c.failures)
    failures.push_back({{"line", LineOf(f, c.file)}, {"message", f}});
  return {{"file", c.file},
          {"status", c.Status()},
          {"passed", c.passed},
          {"failures", failures},
          {"error", c.error.empty() ? json(nullptr) : json(c.error)},
          {"not_run", c.not_run},
          {"seconds", c.seconds}};
}

}  // namespace

const char* ScriptCheck::Status() const {
  return errored ? "error" : not_run ? "not run" : Failed() ? "failed" : "passed";
}

CheckTotals Totals(const std::vector<ScriptCheck>& checks) {
  CheckTotals totals;
  for (const ScriptCheck& c : checks) {
    totals.passed += c.passed;
    if (c.errored) {
      ++totals.errored;
      continue;
    }
    totals.failed += static_cast<int>(c.failures.size()) + (c.error.empty() ? 0 : 1);
  }
  return totals;
}

std::string JUnitXml(const std::vector<ScriptCheck>& checks) {
  TestSuite suite{"vesselsim check", {}};
  for (const ScriptCheck& c : checks) suite.cases.push_back(CaseOf(c));
  return vsim::JUnitXml("vesselsim check", {suite});
}

std::string Json(const std::vector<ScriptCheck>& checks) {
  const CheckTotals totals = Totals(checks);
  json scripts = json::array();
  for (const ScriptCheck& c : checks) scripts.push_back(JsonOf(c));
  const json report = {{"passed", totals.passed},
                       {"failed", totals.failed},
                       {"errored", totals.errored},
                       {"scripts", scripts}};
  // Bytes that are not UTF-8 (a module's own text) are replaced, not refused.
  return report.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
}

ScriptCheck ScriptCheckFromJson(const std::string& text) {
  try {
    const json j = json::parse(text).at("scripts").at(0);
    ScriptCheck c;
    c.file = j.at("file").get<std::string>();
    c.passed = j.at("passed").get<int>();
    for (const json& f : j.at("failures")) c.failures.push_back(f.at("message").get<std::string>());
    if (!j.at("error").is_null()) c.error = j.at("error").get<std::string>();
    c.errored = j.at("status").get<std::string>() == "error";
    c.not_run = j.at("not_run").get<bool>();
    c.seconds = j.at("seconds").get<double>();
    return c;
  } catch (const json::exception& e) {
    throw std::runtime_error(std::string("not a check's result: ") + e.what());
  }
}

void WriteReport(FileSystem& files, const std::string& path, const std::string& text) {
  AtomicFile file(files, path);
  file.Write(text);
  file.Commit();
}

}  // namespace vsim
