#include "sim/validate/report.h"

#include <algorithm>
#include <cstdio>

#include "sim/outputs/junit.h"
#include "sim/validate/result_json.h"

namespace vsim::validate {

namespace {

// A reason stands in the summary for a check without figures, cut to this.
constexpr std::size_t kSummaryReason = 60;

std::string KeyFigure(const CheckRun& c) {
  if (!c.result.figures.empty()) return FigureText(c.result.figures.front());
  if (c.result.reason.size() <= kSummaryReason) return c.result.reason;
  return c.result.reason.substr(0, kSummaryReason - 3) + "...";
}

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

// One row per check: its verdict, the figure that matters most against
// its limit, and how long it took.
std::string SummaryTable(const ModuleRun& m) {
  std::size_t name_width = std::string("check").size();
  std::size_t figure_width = std::string("key figure").size();
  for (const CheckRun& c : m.checks) {
    name_width = std::max(name_width, c.name.size());
    figure_width = std::max(figure_width, KeyFigure(c).size());
  }
  std::string text = "  " + Padded("check", name_width) + "  verdict  " +
                     Padded("key figure", figure_width) + "  time\n";
  for (const CheckRun& c : m.checks) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f s", c.seconds);
    text += "  " + Padded(c.name, name_width) + "  " + Padded(VerdictWord(c.result.verdict), 7) +
            "  " + Padded(KeyFigure(c), figure_width) + "  " + seconds + "\n";
  }
  return text;
}

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
  std::string summary;
  for (const ModuleRun& m : runs) {
    summary += "\nsummary of " + m.module + "\n" + SummaryTable(m);
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
  if (!only_failed) text += summary + "\n";
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
                        {"seconds", c.seconds},
                        {"figures", FiguresJson(c.result.figures)},
                        {"flights", FlightsJson(c.result.flights)}});
    modules.push_back({{"module", m.module}, {"checks", checks}});
  }
  const Totals t = Count(runs);
  const json report = {{"modules", modules},
                       {"passed", t.passed},
                       {"warned", t.warned},
                       {"failed", t.failed},
                       {"skipped", t.skipped}};
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
