#include "sim/program/validate_command.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <regex>

#include "sim/files/clashes.h"
#include "sim/files/file_system.h"
#include "sim/outputs/check_report.h"
#include "sim/platform/platform.h"
#include "sim/validate/report.h"
#include "sim/validate/run_checks.h"

namespace vesselsim {

namespace {

namespace fs = std::filesystem;
namespace validate = vsim::validate;

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr double kShortestTimeout_s = 0.1;
constexpr double kLongestTimeout_s = 3600;

std::string IfExists(const std::string& path) { return fs::exists(path) ? path : ""; }

int ListChecks() {
  for (const validate::Check& c : validate::Catalogue())
    std::printf("%-17s %-9s %s\n", c.name, validate::LevelName(c.level), c.meaning);
  return 0;
}

validate::Level LevelOf(const std::string& name) {
  for (validate::Level l :
       {validate::Level::kQuick, validate::Level::kStandard, validate::Level::kThorough})
    if (name == validate::LevelName(l)) return l;
  return validate::Level::kStandard;
}

int RunChild(const ValidateSettings& s, const validate::Target& target) {
  for (const validate::Check& c : validate::Catalogue())
    if (s.child == c.name) {
      const std::string line = validate::ResultLine(validate::RunHere(c, target));
      std::fputs(line.c_str(), stdout);
      std::fflush(stdout);
      return 0;
    }
  std::fprintf(stderr, "vesselsim validate: no check named %s\n", s.child.c_str());
  return kExitUsage;
}

}  // namespace

CLI::App* AddValidateCommand(CLI::App& app, ValidateSettings& s) {
  CLI::App* v = app.add_subcommand(
      "validate",
      "run the validator's checks on vessel modules, each check in a process of its own; "
      "exits 0 only when none failed");
  v->add_option("modules", s.modules, "vessel modules to validate")->type_name("MODULE...");
  v->add_flag("--list", s.list, "list the checks and what each means");
  v->add_flag("--only-failed", s.only_failed, "print only the checks that failed");
  v->add_option("--include", s.include, "run only the checks whose name matches")
      ->type_name("REGEX");
  v->add_option("--exclude", s.exclude, "leave out the checks whose name matches")
      ->type_name("REGEX");
  v->add_flag("--json", s.json, "print the results as JSON instead of the report");
  v->add_option("--junit", s.junit, "also write the results as JUnit XML to this file")
      ->type_name("FILE");
  v->add_option("--html", s.html,
                "also write the report as one web page to this file: verdicts, figures and "
                "the physics checks' flights as charts")
      ->type_name("FILE");
  v->add_flag("--in-process", s.in_process,
              "run every check in this process (for a debugger; a crash ends the validator)");
  v->add_flag("--keep-going", s.keep_going,
              "after a check hangs in a callback, still run the checks that drive it (each "
              "costs its time limit); without it they are reported as not run");
  v->add_option("--seed", s.seed, "seed of the pilot's random keys, thrust and clicks (default 1)")
      ->type_name("N");
  v->add_option("--timeout", s.timeout_s,
                "seconds a check may run before it counts as stuck and fails (default 30)")
      ->type_name("SECONDS")
      ->check(CLI::Validator(
          [](const std::string& text) {
            // A range alone lets NaN through: it compares false with both ends.
            double seconds = 0;
            if (!CLI::detail::lexical_cast(text, seconds) || !std::isfinite(seconds))
              return text + " is not a finite number of seconds";
            if (!(seconds > 0)) return text + " is not a positive number of seconds";
            return std::string();
          },
          "SECONDS"))
      ->check(CLI::Range(kShortestTimeout_s, kLongestTimeout_s));
  v->add_option("--level", s.level,
                "quick: the cheap checks with few vessels and steps; standard (default): every "
                "check; thorough: every check with more vessels, longer flights and 3 seeds")
      ->check(CLI::IsMember({"quick", "standard", "thorough"}));
  v->add_flag("--warnings-as-errors", s.warnings_as_errors,
              "a check that passes with a warning fails the validation");
  v->add_option("--child", s.child)->group("");
  return v;
}

int RunValidate(const ValidateSettings& s, const std::string& program_dir) {
  if (s.list) return ListChecks();
  if (s.modules.empty()) {
    std::fprintf(stderr, "vesselsim validate: name at least one module (or --list)\n");
    return kExitUsage;
  }
  validate::Target target;
  target.sound = IfExists(program_dir + "/sound/OrbiterSound" + vsim::platform::kLibrarySuffix);
  target.partial_sound =
      IfExists(program_dir + "/sound_partial/OrbiterSound" + vsim::platform::kLibrarySuffix);
  target.seed = s.seed;
  target.level = LevelOf(s.level);
  if (!s.child.empty()) {
    target.module = s.modules.front();
    return RunChild(s, target);
  }
  validate::Selection selection;
  selection.include = s.include;
  selection.exclude = s.exclude;
  selection.in_process = s.in_process;
  selection.keep_going = s.keep_going;
  selection.program = vsim::platform::ExecutablePath();
  selection.time_limit_s = s.timeout_s;
  selection.level = LevelOf(s.level);
  std::vector<const validate::Check*> checks;
  try {
    checks = validate::Selected(selection);
  } catch (const std::regex_error& e) {
    std::fprintf(stderr, "vesselsim validate: a bad --include or --exclude: %s\n", e.what());
    return kExitUsage;
  }
  if (checks.empty()) {
    std::fprintf(stderr, "vesselsim validate: no check matches: nothing would be checked\n");
    return kExitUsage;
  }
  for (const std::string& m : s.modules) {
    std::error_code error;
    const fs::file_status status = fs::status(m, error);
    const char* problem = !fs::exists(status)            ? "no such file"
                          : fs::is_directory(status)     ? "a folder, not a module file"
                          : !fs::is_regular_file(status) ? "not a regular file"
                                                         : nullptr;
    if (problem != nullptr) {
      std::fprintf(stderr, "vesselsim validate: %s: %s\n", m.c_str(), problem);
      return kExitUsage;
    }
  }
  std::vector<vsim::NamedPath> inputs{{"the sound library", target.sound},
                                      {"the partial sound library", target.partial_sound}};
  for (const std::string& m : s.modules) inputs.push_back({"the module", m});
  const std::string clash = vsim::FindClash(inputs, {{"--junit", s.junit}, {"--html", s.html}});
  if (!clash.empty()) {
    std::fprintf(stderr, "vesselsim validate: %s\n", clash.c_str());
    return kExitUsage;
  }
  std::vector<validate::ModuleRun> runs;
  for (const std::string& m : s.modules) {
    target.module = fs::absolute(m).string();
    runs.push_back(validate::Validate(target, checks, selection));
    runs.back().module = m;
  }
  const std::string report =
      s.json ? validate::JsonReport(runs) : validate::TextReport(runs, s.only_failed);
  std::fputs(report.c_str(), stdout);
  try {
    if (!s.junit.empty())
      vsim::WriteReport(vsim::SystemFiles(), s.junit, validate::JUnitReport(runs));
    if (!s.html.empty())
      vsim::WriteReport(vsim::SystemFiles(), s.html, validate::HtmlReport(runs, selection.level));
  } catch (const vsim::FileError& e) {
    std::fprintf(stderr, "vesselsim: %s\n", e.what());
    return kExitFailed;
  }
  const validate::Totals totals = validate::Count(runs);
  if (totals.warned > 0 && s.warnings_as_errors) {
    std::fprintf(stderr,
                 "vesselsim validate: %d checks passed with a warning (--warnings-as-errors)\n",
                 totals.warned);
    return kExitFailed;
  }
  return totals.failed == 0 ? 0 : kExitFailed;
}

}  // namespace vesselsim
