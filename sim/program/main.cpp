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
#include "sim/platform/platform.h"
#include "sim/program/check_command.h"
#include "sim/program/clash_check.h"
#include "sim/program/last_words.h"
#include "sim/program/program_files.h"
#include "sim/program/validate_command.h"
#include "sim/script/operations.h"
#include "sim/script/parser.h"

extern const char kDefaultFlight[];

namespace {

namespace fs = std::filesystem;

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr char kVersion[] = "vesselsim 1.1";
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
  vesselsim::CheckSettings check;
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
  app.add_option("--host-dir", s.options.host_dir,
                 "the module's working folder, where it writes its own files such as the sound "
                 "log (default: the --out folder)")
      ->type_name("DIR");
  app.add_option("--trace", s.options.trace_path,
                 "write the call trace, one line per call: STEP VESSEL CALL(ARGS)")
      ->type_name("FILE");
  app.add_flag("--quiet", s.quiet, "no progress line while flying");
  app.add_flag("--html", s.options.html,
               "also write flight.html: the flight in one page that opens from disk, with linked "
               "charts, the tracks, the cockpit's needles and a time slider");
  app.add_option("--log-every", s.options.log_every,
                 "write every Nth step to flight.csv (default: 1, every step)")
      ->type_name("N")
      ->check(CLI::Range(1, 1'000'000'000));
  app.add_option("--columns", s.options.log_columns,
                 "write only these columns to flight.csv: names or glob patterns, comma "
                 "separated (step,time_s,altitude_m,anim_*); one that names no column fails the "
                 "run before its first step")
      ->type_name("LIST")
      ->delimiter(',');
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
    std::printf("Wrote %s/flight.csv%s and %s/flight.svg\n", options.out_dir.c_str(),
                options.html ? (", " + options.out_dir + "/flight.html").c_str() : "",
                options.out_dir.c_str());
  if (!options.trace_path.empty() && result.error.empty())
    std::printf("Wrote the call trace to %s\n", options.trace_path.c_str());
}

int Fly(const vsim::Script& script, const Settings& s) {
  if (script.commands.empty()) {
    std::fprintf(stderr, "%s: the script has no commands: nothing to fly\n", script.file.c_str());
    return kExitUsage;
  }
  vsim::FlightOptions options = s.options;
  options.progress = !s.quiet && vsim::platform::IsTerminal(stderr);
  if (options.host_dir.empty()) options.host_dir = options.out_dir;
  if (vesselsim::Clashes(vesselsim::RunInputs({&script}, options), vesselsim::RunOutputs(options)))
    return kExitUsage;
  const vsim::FlightResult result = vsim::RunFlight(script, options);
  // A run that stopped before its first step (an output folder that cannot
  // be made, a module that does not load) has no flight to sum up.
  if (result.steps > 0 || result.error.empty()) PrintSummary(script.file, result, options);
  for (const std::string& f : result.failures) std::printf("%s\n", f.c_str());
  if (!result.error.empty()) std::fprintf(stderr, "%s\n", result.error.c_str());
  return result.failed == 0 && result.error.empty() ? 0 : kExitFailed;
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
  const std::string nearest = vsim::Nearest(first, {"run", "check", "validate"});
  if (!nearest.empty())
    std::fprintf(stderr, "vesselsim: unknown subcommand \"%s\": did you mean `vesselsim %s%s`?\n",
                 first.c_str(), nearest.c_str(), rest.c_str());
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
  s.options.files = &vesselsim::ProgramFiles();
  vsim::SetSharedScriptsFolder(dir + "/scripts");

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
  CLI::App* check = vesselsim::AddCheckCommand(app, s.check);
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

  if (check->parsed()) return vesselsim::RunCheck(s.check, s.options);
  if (validate->parsed()) return vesselsim::RunValidate(validate_settings, dir);
  try {
    const vsim::Script script = run->parsed()
                                    ? vsim::LoadScript(s.scripts.front(), s.options.Files())
                                    : vsim::ParseScript(vesselsim::kDefaultFlightName,
                                                        kDefaultFlight, "", s.options.Files());
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
