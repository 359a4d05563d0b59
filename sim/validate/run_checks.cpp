#include "sim/validate/run_checks.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <regex>
#include <sstream>

#include "sim/platform/child_process.h"
#include "sim/platform/platform.h"
#include "sim/validate/exports.h"
#include "sim/validate/result_json.h"

namespace vsim::validate {

namespace {

constexpr char kResultTag[] = "vesselsim-validate-result";
// What a report names the one failure of a file that is no library.
constexpr char kLibraryCheck[] = "library";
constexpr std::size_t kLastLinesShown = 3;

std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  return text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

std::string Seconds(double s) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", s);
  return text;
}

// Where a child was when it was asked to stop, from its last words:
// "... in the module's clbkPostStep of vessel "a" at step 3; ...".
struct Site {
  std::string callback, vessel, step;
};
std::optional<Site> StoppedAt(const std::vector<std::string>& lines) {
  static const std::regex site(
      R"re(in the module's (.+?)(?: of vessel "(.*)")? at step ([0-9]+))re");
  for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
    std::smatch m;
    if (std::regex_search(*it, m, site)) return Site{m[1], m[2], m[3]};
  }
  return std::nullopt;
}

// The result a child printed, or what became of a child that printed none;
// for a child that hung inside the module, the callback it hung in.
struct ChildVerdict {
  Result result;
  std::string hung_in;
};

ChildVerdict ReadChild(const platform::ChildOutcome& child, double time_limit_s) {
  const std::vector<std::string> lines = Lines(child.output);
  for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
    if (it->rfind(kResultTag, 0) != 0) continue;
    std::vector<std::string> fields;
    std::istringstream in(*it);
    for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
    fields.resize(5);
    const Verdict v = fields[1] == "PASS"   ? Verdict::kPass
                      : fields[1] == "SKIP" ? Verdict::kSkip
                      : fields[1] == "WARN" ? Verdict::kWarn
                                            : Verdict::kFail;
    // A child that dies or fails after its verdict (a sanitizer's report at
    // exit) fails the check all the same.
    if (child.crashed || child.timed_out || child.exit_code != 0) break;
    Result result{v, fields[2], fields[3], {}, {}};
    try {
      const json extras = json::parse(fields[4]);
      result.figures = FiguresFrom(extras.at("figures"));
      result.flights = FlightsFrom(extras.at("flights"));
    } catch (const json::exception& e) {
      return {Fail(std::string("its process handed back figures that do not read: ") + e.what()),
              ""};
    }
    return {result, ""};
  }
  if (!child.started) return {Fail("could not start the check's process"), ""};
  const std::string timed_out = "timed out after " + Seconds(time_limit_s) + " s";
  if (child.timed_out) {
    if (const std::optional<Site> site = StoppedAt(lines)) {
      const std::string vessel = site->vessel.empty() ? "" : " of vessel \"" + site->vessel + "\"";
      return {
          Fail(timed_out + " in the module's " + site->callback + vessel + " at step " + site->step,
               "step " + site->step + (site->vessel.empty() ? "" : ", vessel " + site->vessel) +
                   ", " + site->callback),
          site->callback};
    }
  }
  std::string what = child.timed_out ? timed_out
                     : child.crashed ? "crashed with " + child.how
                                     : "ended with " + child.how + " before its verdict";
  // A sanitizer sums its report up in one line; otherwise the last lines say most.
  std::string last;
  for (const std::string& line : lines)
    if (line.rfind("SUMMARY: ", 0) == 0) last = line;
  if (last.empty())
    for (std::size_t i = lines.size() > kLastLinesShown ? lines.size() - kLastLinesShown : 0;
         i < lines.size(); ++i)
      last += (last.empty() ? "" : " | ") + lines[i];
  return {Fail(what + (last.empty() ? "" : "; its last words: " + last)), ""};
}

// The checks a hang leaves unrun: those that drive what the module hung in.
class Hangs {
public:
  void Note(const std::string& callback, const std::string& check) {
    const unsigned drive = DrivenBy(callback);
    if (drive != 0)
      hangs_.push_back({drive, "the module hung in " + callback + " during " + check});
  }
  // Why a check is not run, or empty.
  std::string Blocking(const Check& check) const {
    for (const auto& [drive, why] : hangs_)
      if ((check.drives & drive) != 0) return why;
    return "";
  }

private:
  std::vector<std::pair<unsigned, std::string>> hangs_;
};

}  // namespace

const char* VerdictWord(Verdict v) {
  return v == Verdict::kPass   ? "PASS"
         : v == Verdict::kFail ? "FAIL"
         : v == Verdict::kWarn ? "WARN"
                               : "SKIP";
}

std::string ResultLine(const Result& r) {
  // Compact JSON has no tab and no line break: one field of the line.
  const json extras = {{"figures", FiguresJson(r.figures)}, {"flights", FlightsJson(r.flights)}};
  return std::string(kResultTag) + "\t" + VerdictWord(r.verdict) + "\t" + OneLine(r.reason) + "\t" +
         OneLine(r.where) + "\t" + extras.dump(-1, ' ', false, json::error_handler_t::replace) +
         "\n";
}

std::vector<const Check*> Selected(const Selection& selection) {
  const std::regex include(selection.include.empty() ? ".*" : selection.include);
  const std::regex exclude(selection.exclude.empty() ? "$^" : selection.exclude);
  std::vector<const Check*> checks;
  for (const Check& c : Catalogue())
    if (c.level <= selection.level && std::regex_search(c.name, include) &&
        (selection.exclude.empty() || !std::regex_search(c.name, exclude)))
      checks.push_back(&c);
  return checks;
}

namespace {

// One check of one seed, in a child unless asked otherwise.
CheckRun RunOne(const Check* check, const std::string& name, const Target& target,
                const Selection& selection, Hangs& hangs) {
  if (const std::string why = hangs.Blocking(*check); !why.empty() && !selection.keep_going)
    return {name, Skip("not run: " + why), 0};
  const auto start = std::chrono::steady_clock::now();
  Result result;
  {
    platform::WorkingFolder scratch("vsim-validate-");
    if (selection.in_process) {
      result = RunHere(*check, target);
    } else {
      const std::vector<std::string> argv = {selection.program, "validate",
                                             "--child",         check->name,
                                             "--seed",          std::to_string(target.seed),
                                             "--level",         LevelName(target.level),
                                             target.module};
      ChildVerdict child = ReadChild(
          platform::RunChild(argv, selection.time_limit_s, scratch.Path()), selection.time_limit_s);
      if (!child.hung_in.empty()) hangs.Note(child.hung_in, check->name);
      result = std::move(child.result);
    }
  }
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  return {name, result, took.count()};
}

}  // namespace

ModuleRun Validate(const Target& target, const std::vector<const Check*>& checks,
                   const Selection& selection) {
  ModuleRun run{target.module, {}};
  // A file that is no library at all fails once, not once per check.
  const ExportTable table = ReadExports(target.module);
  if (!table.error.empty()) {
    run.checks.push_back({kLibraryCheck, Fail(table.error + "; no check was run"), 0});
    return run;
  }
  Hangs hangs;
  const auto seeds = static_cast<std::uint32_t>(SizesAt(selection.level).seeds);
  for (const Check* check : checks)
    for (std::uint32_t s = 0; s < seeds; ++s) {
      Target seeded = target;
      seeded.seed = target.seed + s;
      const std::string name = std::string(check->name) +
                               (seeds > 1 ? " (seed " + std::to_string(seeded.seed) + ")" : "");
      run.checks.push_back(RunOne(check, name, seeded, selection, hangs));
    }
  return run;
}

}  // namespace vsim::validate
