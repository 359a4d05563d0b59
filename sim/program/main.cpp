// vesselsim: flies vessel modules on the substitute host from flight scripts.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "sim/files/clashes.h"
#include "sim/flight/runner.h"
#include "sim/outputs/check_report.h"
#include "sim/platform/platform.h"
#include "sim/program/last_words.h"
#include "sim/program/validate_command.h"
#include "sim/script/operations.h"
#include "sim/script/parser.h"

extern const char kDefaultFlight[];

namespace {

namespace fs = std::filesystem;

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr char kVersion[] = "vesselsim 1.1";
constexpr char kDefaultFlightName[] = "default flight";
// Where the sound library writes its log: the working folder.
constexpr char kSoundLog[] = "OrbiterSound_Log.txt";
// The helicopter plays its engine on sound slot 1.
constexpr int kEngineSoundSlot = 1;
// What the helicopter's seventeen animations move, in the order it makes them.
const char* const kAnimationNames[] = {"nose_steer",      "wheels",       "gear",
                                       "needle_main",     "needle_hover", "needle_airspeed",
                                       "needle_vspeed",   "main_lever",   "needle_fuel",
                                       "needle_bank",     "compass",      "needle_aoa",
                                       "needle_altitude", "clock_hand1",  "clock_hand2",
                                       "clock_hand3",     "rotors"};

const char kDescription[] =
    "vesselsim: a headless substitute host that loads a vessel module by path, flies it from\n"
    "flight scripts with simple physics and records every call it makes into the host.\n"
    "With no subcommand it flies the built-in default flight of the helicopter module\n"
    "beside the program. Exit codes: 0 all well, 1 a run or a check failed, 2 bad usage\n"
    "or a bad script (nothing is run and nothing written).";

// The folder of the running program, where the build puts the module.
std::string ProgramDirectory() {
  const fs::path self = vsim::platform::ExecutablePath();
  return !self.has_parent_path() ? "." : self.parent_path().string();
}

struct Settings {
  vsim::FlightOptions options;
  bool quiet = false;
  std::vector<std::string> scripts;
  std::string junit;
  bool json = false;
};

void AddModuleOption(CLI::App& app, Settings& s) {
  app.add_option("--module", s.options.module_override,
                 "fly this vessel module in place of the helicopter and of any module the "
                 "script names")
      ->type_name("PATH")
      ->check(CLI::ExistingFile);
}

void AddRunOptions(CLI::App& app, Settings& s) {
  app.add_option("--out", s.options.out_dir,
                 "folder for flight.csv and flight.svg (made if missing; default: out)")
      ->type_name("DIR");
  app.add_option("--trace", s.options.trace_path,
                 "write the call trace, one line per call: STEP VESSEL CALL(ARGS)")
      ->type_name("FILE");
  app.add_flag("--quiet", s.quiet, "no progress line while flying");
  app.add_option("--log-every", s.options.log_every,
                 "write every Nth step to flight.csv (default: 1, every step)")
      ->type_name("N")
      ->check(CLI::Range(1, 1'000'000'000));
  app.add_option("--max-steps", s.options.max_steps,
                 "stop the flight with an error when it would take more steps than N "
                 "(default and most: 1000000000)")
      ->type_name("N")
      ->check(CLI::Range(1LL, vsim::kMaxTotalSteps));
  AddModuleOption(app, s);
}

void PrintSummary(const std::string& file, const vsim::FlightResult& result,
                  const vsim::FlightOptions& options) {
  std::printf("Flight %s: %d steps, %.2f s simulated\n", file.c_str(), result.steps,
              result.sim_time);
  for (const vsim::FlightEvent& e : result.events)
    std::printf("  step %6d  t=%8.2f s  %s\n", e.step, e.time, e.text.c_str());
  std::printf("Final fuel: %.1f kg\n", result.final_fuel);
  if (!options.out_dir.empty() && result.error.empty())
    std::printf("Wrote %s/flight.csv and %s/flight.svg\n", options.out_dir.c_str(),
                options.out_dir.c_str());
  if (!options.trace_path.empty() && result.error.empty())
    std::printf("Wrote the call trace to %s\n", options.trace_path.c_str());
}

// What a run reads: the script, the modules it flies, the sound library.
std::vector<vsim::NamedPath> RunInputs(const std::vector<const vsim::Script*>& scripts,
                                       const vsim::FlightOptions& options) {
  std::vector<vsim::NamedPath> inputs{{"the sound library", options.sound_path}};
  bool default_module = options.module_override.empty();
  for (const vsim::Script* script : scripts) {
    if (script->file != kDefaultFlightName) inputs.push_back({"the script", script->file});
    for (const vsim::ModuleCommand* m : script->All<vsim::ModuleCommand>())
      if (options.module_override.empty()) inputs.push_back({"the module", m->path});
    default_module = default_module && script->All<vsim::ModuleCommand>().empty();
  }
  if (!options.module_override.empty()) inputs.push_back({"the module", options.module_override});
  if (default_module) inputs.push_back({"the module", options.module_path});
  return inputs;
}

std::vector<vsim::NamedPath> RunOutputs(const vsim::Script& script,
                                        const vsim::FlightOptions& options) {
  std::vector<vsim::NamedPath> outputs{{"--trace", options.trace_path}};
  if (!options.out_dir.empty()) {
    outputs.push_back({"--out's log", options.out_dir + "/flight.csv"});
    outputs.push_back({"--out's plot", options.out_dir + "/flight.svg"});
  }
  if (!script.All<vsim::SoundCommand>().empty())
    outputs.push_back({"the sound library's log", kSoundLog});
  return outputs;
}

// Nothing a run reads, and no output of its own, is written over.
bool Clashes(const std::vector<vsim::NamedPath>& inputs,
             const std::vector<vsim::NamedPath>& outputs) {
  const std::string clash = vsim::FindClash(inputs, outputs);
  if (clash.empty()) return false;
  std::fprintf(stderr, "vesselsim: %s\n", clash.c_str());
  return true;
}

int Fly(const vsim::Script& script, const Settings& s) {
  if (script.commands.empty()) {
    std::fprintf(stderr, "%s: the script has no commands: nothing to fly\n", script.file.c_str());
    return kExitUsage;
  }
  if (Clashes(RunInputs({&script}, s.options), RunOutputs(script, s.options))) return kExitUsage;
  vsim::FlightOptions options = s.options;
  options.progress = !s.quiet && vsim::platform::IsTerminal(stderr);
  const vsim::FlightResult result = vsim::RunFlight(script, options);
  // A run that stopped before its first step (an output folder that cannot
  // be made, a module that does not load) has no flight to sum up.
  if (result.steps > 0 || result.error.empty()) PrintSummary(script.file, result, options);
  for (const std::string& f : result.failures) std::printf("%s\n", f.c_str());
  if (!result.error.empty()) std::fprintf(stderr, "%s\n", result.error.c_str());
  return result.failed == 0 && result.error.empty() ? 0 : kExitFailed;
}

// The scripts a check names: files as given, folders as their *.vsim files
// in name order. A folder with none is an error of its own.
std::vector<std::string> Expand(const std::vector<std::string>& paths,
                                std::vector<vsim::ScriptCheck>& empty_folders) {
  std::vector<std::string> scripts;
  for (const std::string& path : paths) {
    std::error_code error;
    if (!fs::is_directory(path, error)) {
      scripts.push_back(path);
      continue;
    }
    std::vector<std::string> found;
    // Forward slashes, so that reports name a script alike on every system.
    for (const auto& entry : fs::directory_iterator(path, error))
      if (entry.path().extension() == ".vsim") found.push_back(entry.path().generic_string());
    std::sort(found.begin(), found.end());
    if (found.empty()) empty_folders.push_back({path, 0, {}, "no *.vsim scripts in this folder"});
    scripts.insert(scripts.end(), found.begin(), found.end());
  }
  return scripts;
}

vsim::ScriptCheck Check(const vsim::Script& script, const vsim::FlightOptions& options) {
  const vsim::FlightResult result = vsim::RunFlight(script, options);
  vsim::ScriptCheck check{script.file, result.passed, result.failures, result.error};
  if (check.error.empty() && result.passed + result.failed == 0)
    check.error = "no expectations: nothing was checked";
  return check;
}

// A check under way, for the report written when the module ends the
// process: the scripts checked, the one running (failed) and those not run.
struct CheckUnderWay {
  const Settings* settings = nullptr;
  const std::vector<vsim::Script>* scripts = nullptr;
  std::vector<vsim::ScriptCheck>* checks = nullptr;
  std::size_t running = 0;
};
CheckUnderWay check_under_way;

void ReportEndedCheck(const char* message) {
  const CheckUnderWay& c = check_under_way;
  if (c.settings == nullptr) return;
  std::vector<vsim::ScriptCheck> checks = *c.checks;
  std::string text = message;
  while (!text.empty() && text.back() == '\n') text.pop_back();
  for (std::size_t i = c.running; i < c.scripts->size(); ++i) {
    vsim::ScriptCheck check{(*c.scripts)[i].file, 0, {}, i == c.running ? text : ""};
    check.not_run = i != c.running;
    checks.push_back(check);
  }
  if (c.settings->json) {
    std::fputs(vsim::Json(checks).c_str(), stdout);
    std::fflush(stdout);
  }
  if (c.settings->junit.empty()) return;
  try {
    vsim::WriteReport(vsim::SystemFiles(), c.settings->junit, vsim::JUnitXml(checks));
  } catch (const vsim::FileError& e) {
    std::fprintf(stderr, "vesselsim: %s\n", e.what());
  }
}

int CheckAll(const Settings& s) {
  std::vector<vsim::ScriptCheck> checks;
  const std::vector<std::string> paths = Expand(s.scripts, checks);
  std::vector<vsim::Script> scripts;
  try {
    for (const std::string& path : paths) scripts.push_back(vsim::LoadScript(path));
  } catch (const vsim::ScriptError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return kExitUsage;
  }
  vsim::FlightOptions options = s.options;
  options.out_dir.clear();
  std::vector<const vsim::Script*> read;
  for (const vsim::Script& script : scripts) read.push_back(&script);
  if (Clashes(RunInputs(read, options), {{"--junit", s.junit}})) return kExitUsage;
  check_under_way = {&s, &scripts, &checks, 0};
  vesselsim::OnModuleExit(ReportEndedCheck);
  for (const vsim::Script& script : scripts) {
    checks.push_back(Check(script, options));
    ++check_under_way.running;
  }
  check_under_way = {};
  for (const vsim::ScriptCheck& c : checks) {
    if (s.json) break;
    for (const std::string& f : c.failures) std::printf("%s\n", f.c_str());
    if (!c.error.empty())
      std::printf("%s%s\n", c.error.rfind(c.file, 0) == 0 ? "" : (c.file + ": ").c_str(),
                  c.error.c_str());
  }
  const vsim::CheckTotals totals = vsim::Totals(checks);
  if (s.json)
    std::fputs(vsim::Json(checks).c_str(), stdout);
  else
    std::printf("%d passed, %d failed\n", totals.passed, totals.failed);
  if (!s.junit.empty()) {
    try {
      vsim::WriteReport(vsim::SystemFiles(), s.junit, vsim::JUnitXml(checks));
    } catch (const vsim::FileError& e) {
      std::fprintf(stderr, "vesselsim: %s\n", e.what());
      return kExitFailed;
    }
  }
  return totals.failed == 0 ? 0 : kExitFailed;
}

int Unexpected(const std::vector<std::string>& words) {
  const std::string& first = words.front();
  std::string rest;
  for (std::size_t i = 1; i < words.size(); ++i) rest += " " + words[i];
  std::error_code error;
  if (fs::path(first).extension() == ".vsim" || fs::is_regular_file(first, error)) {
    std::fprintf(stderr, "vesselsim: %s is no subcommand: did you mean `vesselsim run %s%s`?\n",
                 first.c_str(), first.c_str(), rest.c_str());
    return kExitUsage;
  }
  if (first.rfind('-', 0) == 0) {
    std::fprintf(stderr, "vesselsim: unknown option \"%s\" (see --help)\n", first.c_str());
    return kExitUsage;
  }
  const std::string near = vsim::Nearest(first, {"run", "check", "validate"});
  if (!near.empty())
    std::fprintf(stderr, "vesselsim: unknown subcommand \"%s\": did you mean `vesselsim %s%s`?\n",
                 first.c_str(), near.c_str(), rest.c_str());
  else
    std::fprintf(stderr,
                 "vesselsim: \"%s\" was not expected (the subcommands are run, check and "
                 "validate; see --help)\n",
                 first.c_str());
  return kExitUsage;
}

// Output that could not be written is a failure too (a full disk, a closed
// pipe): the exit says so, with the reason.
int FinishStandardStreams(int code) {
  const bool out_failed = std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
  const int out_error = errno;
  if (out_failed)
    std::fprintf(stderr, "vesselsim: cannot write the standard output: %s\n",
                 std::strerror(out_error != 0 ? out_error : EIO));
  const bool err_failed = std::fflush(stderr) != 0 || std::ferror(stderr) != 0;
  if (!out_failed && !err_failed) return code;
  return code != 0 ? code : kExitFailed;
}

int Main(int argc, char** argv) {
  Settings s;
  const std::string dir = ProgramDirectory();
  s.options.module_path = dir + "/Corvane" + vsim::platform::kLibrarySuffix;
  s.options.sound_path = dir + "/sound/OrbiterSound" + vsim::platform::kLibrarySuffix;
  s.options.out_dir = "out";
  s.options.engine_slot = kEngineSoundSlot;

  CLI::App app{kDescription, "vesselsim"};
  // One syntax on every system: "/dir/a.vsim" is a path, never an option.
  app.allow_windows_style_options(false);
  app.set_version_flag("--version", kVersion);
  AddRunOptions(app, s);
  CLI::App* run = app.add_subcommand("run", "fly one flight script and write its outputs");
  run->add_option("script", s.scripts, "the flight script")
      ->required()
      ->expected(1)
      ->type_name("SCRIPT");
  AddRunOptions(*run, s);
  CLI::App* check = app.add_subcommand(
      "check",
      "run flight scripts as tests: every expect line is a check; a script that checks "
      "nothing fails");
  check->add_option("scripts", s.scripts, "flight scripts, or folders of *.vsim scripts")
      ->required()
      ->type_name("SCRIPTS");
  check->add_option("--junit", s.junit, "also write the results as JUnit XML to this file")
      ->type_name("FILE");
  check->add_flag("--json", s.json, "print the results as JSON instead of the summary line");
  AddModuleOption(*check, s);
  vesselsim::ValidateSettings validate_settings;
  CLI::App* validate = vesselsim::AddValidateCommand(app, validate_settings);
  app.require_subcommand(0, 1);
  // Words left over at the top are a misspelt subcommand or a script given
  // without one: said as such, with what was probably meant.
  app.allow_extras();
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? 0 : kExitUsage;
  }
  if (!app.remaining().empty()) return Unexpected(app.remaining());
  if (s.options.module_override.empty())
    s.options.animation_names.assign(std::begin(kAnimationNames), std::end(kAnimationNames));

  if (check->parsed()) return CheckAll(s);
  if (validate->parsed()) return vesselsim::RunValidate(validate_settings, dir);
  try {
    const vsim::Script script = run->parsed()
                                    ? vsim::LoadScript(s.scripts.front())
                                    : vsim::ParseScript(kDefaultFlightName, kDefaultFlight);
    return Fly(script, s);
  } catch (const vsim::ScriptError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return kExitUsage;
  }
}

}  // namespace

int main(int argc, char** argv) {
  vesselsim::InstallLastWords();
  return FinishStandardStreams(Main(argc, argv));
}
