#include "sim/validate/report.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "sim/outputs/junit.h"

namespace vsim::validate {

namespace {

// Keys in the order they are written: a report reads top down.
using json = nlohmann::ordered_json;

CaseStatus StatusOf(Verdict v) {
  return v == Verdict::kPass || v == Verdict::kWarn ? CaseStatus::kPassed
         : v == Verdict::kFail                      ? CaseStatus::kFailed
                                                    : CaseStatus::kSkipped;
}

}  // namespace

Totals Count(const std::vector<ModuleRun>& runs) {
  Totals t;
  for (const ModuleRun& m : runs)
    for (const CheckRun& c : m.checks) {
      (c.result.verdict == Verdict::kPass || c.result.verdict == Verdict::kWarn ? t.passed
       : c.result.verdict == Verdict::kFail                                     ? t.failed
                                                                                : t.skipped)++;
      t.warned += c.result.verdict == Verdict::kWarn ? 1 : 0;
    }
  return t;
}

std::string TextReport(const std::vector<ModuleRun>& runs, bool only_failed) {
  std::string text;
  for (const ModuleRun& m : runs) {
    text += m.module + "\n";
    for (const CheckRun& c : m.checks) {
      if (only_failed && c.result.verdict != Verdict::kFail) continue;
      char head[64];
      std::snprintf(head, sizeof head, "  %s  %-17s ", VerdictWord(c.result.verdict),
                    c.name.c_str());
      text += head + c.result.reason;
      if (!c.result.where.empty()) text += " [" + c.result.where + "]";
      text += "\n";
    }
  }
  const Totals t = Count(runs);
  return text + std::to_string(t.passed) + " passed" +
         (t.warned > 0 ? " (" + std::to_string(t.warned) + " with a warning)" : "") + ", " +
         std::to_string(t.failed) + " failed, " + std::to_string(t.skipped) + " skipped\n";
}

std::string JsonReport(const std::vector<ModuleRun>& runs) {
  json modules = json::array();
  for (const ModuleRun& m : runs) {
    json checks = json::array();
    for (const CheckRun& c : m.checks)
      checks.push_back({{"name", c.name},
                        {"verdict", VerdictWord(c.result.verdict)},
                        {"reason", c.result.reason},
                        {"where", c.result.where.empty() ? json(nullptr) : json(c.result.where)},
                        {"seconds", c.seconds}});
    modules.push_back({{"module", m.module}, {"checks", checks}});
  }
  const Totals t = Count(runs);
  const json report = {
      {"modules", modules}, {"passed", t.passed}, {"failed", t.failed}, {"skipped", t.skipped}};
  return report.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
}

std::string JUnitReport(const std::vector<ModuleRun>& runs) {
  std::vector<TestSuite> suites;
  for (const ModuleRun& m : runs) {
    TestSuite suite{m.module, {}};
    for (const CheckRun& c : m.checks) {
      TestCase t;
      t.classname = m.module;
      t.name = c.name;
      t.status = StatusOf(c.result.verdict);
      t.seconds = c.seconds;
      if (t.status == CaseStatus::kFailed)
        t.failures.push_back(
            {"check", c.result.reason + (c.result.where.empty() ? "" : "\n" + c.result.where), "",
             0});
      if (t.status == CaseStatus::kSkipped) t.skipped = c.result.reason;
      if (t.status == CaseStatus::kPassed)
        t.output = (c.result.verdict == Verdict::kWarn ? "warning: " : "") + c.result.reason;
      suite.cases.push_back(t);
    }
    suites.push_back(suite);
  }
  return JUnitXml("vesselsim validate", suites);
}

}  // namespace vsim::validate
