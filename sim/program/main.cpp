// vesselsim: flies vessel modules on the substitute host from flight scripts.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "sim/flight/runner.h"
#include "sim/script/parser.h"

extern const char kDefaultFlight[];

namespace {

constexpr int kExitFailed = 1;
// The helicopter plays its engine on sound slot 1.
constexpr int kEngineSoundSlot = 1;
// What the helicopter's seventeen animations move, in the order it makes them.
const char* const kAnimationNames[] = {"nose_steer",      "wheels",       "gear",
                                       "needle_main",     "needle_hover", "needle_airspeed",
                                       "needle_vspeed",   "main_lever",   "needle_fuel",
                                       "needle_bank",     "compass",      "needle_aoa",
                                       "needle_altitude", "clock_hand1",  "clock_hand2",
                                       "clock_hand3",     "rotors"};
constexpr int kExitUsage = 2;

const char kUsage[] =
    "usage: vesselsim [--out DIR] [--trace FILE] [--quiet] [--log-every N]\n"
    "       vesselsim run SCRIPT [--out DIR] [--trace FILE] [--quiet] [--log-every N]\n"
    "       vesselsim check SCRIPT...\n"
    "With no script, flies the built-in default flight of the helicopter module\n"
    "beside the program and writes flight.csv and flight.svg into DIR (default out).\n";

// The folder of the running program, where the build puts the module.
std::string ProgramDirectory() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error || !self.has_parent_path() ? "." : self.parent_path().string();
}

struct Arguments {
  std::string mode = "default";
  std::vector<std::string> scripts;
  vsim::FlightOptions options;
  bool quiet = false;
};

[[noreturn]] void UsageError(const std::string& message) {
  std::fprintf(stderr, "vesselsim: %s\n%s", message.c_str(), kUsage);
  std::exit(kExitUsage);
}

Arguments ParseArguments(int argc, char** argv) {
  Arguments args;
  const std::string dir = ProgramDirectory();
  args.options.module_path = dir + "/Corvane.so";
  args.options.sound_path = dir + "/sound/OrbiterSound.so";
  args.options.out_dir = "out";
  args.options.engine_slot = kEngineSoundSlot;
  args.options.animation_names.assign(std::begin(kAnimationNames), std::end(kAnimationNames));
  int i = 1;
  if (argc > 1 && (std::strcmp(argv[1], "run") == 0 || std::strcmp(argv[1], "check") == 0)) {
    args.mode = argv[1];
    i = 2;
  }
  for (; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](const char* what) -> std::string {
      if (i + 1 >= argc) UsageError(a + " needs " + what);
      return argv[++i];
    };
    if (a == "--out")
      args.options.out_dir = value("a folder");
    else if (a == "--trace")
      args.options.trace_path = value("a file");
    else if (a == "--quiet")
      args.quiet = true;
    else if (a == "--log-every") {
      const std::string n = value("a number");
      char* end = nullptr;
      const long every = std::strtol(n.c_str(), &end, 10);
      if (*end != '\0' || every < 1 || every > INT_MAX) UsageError("bad --log-every \"" + n + "\"");
      args.options.log_every = static_cast<int>(every);
    } else if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (!a.empty() && a[0] == '-') {
      UsageError("unknown option " + a);
    } else if (args.mode == "default") {
      UsageError("unexpected argument \"" + a + "\"");
    } else {
      args.scripts.push_back(a);
    }
  }
  if (args.mode == "run" && args.scripts.size() != 1) UsageError("run takes one script");
  if (args.mode == "check" && args.scripts.empty()) UsageError("check needs at least one script");
  args.options.progress = !args.quiet && isatty(STDERR_FILENO) && args.mode != "check";
  if (args.mode == "check") args.options.out_dir.clear();
  return args;
}

void PrintSummary(const vsim::Script& script, const vsim::FlightResult& result,
                  const vsim::FlightOptions& options) {
  std::printf("Flight %s: %d steps, %.2f s simulated\n", script.file.c_str(), result.steps,
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

int Report(const vsim::FlightResult& result) {
  for (const std::string& f : result.failures) std::printf("%s\n", f.c_str());
  if (!result.error.empty()) std::fprintf(stderr, "%s\n", result.error.c_str());
  return result.failed == 0 && result.error.empty() ? 0 : kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
  const Arguments args = ParseArguments(argc, argv);
  std::vector<vsim::Script> scripts;
  try {
    if (args.mode == "default")
      scripts.push_back(vsim::ParseScript("default flight", kDefaultFlight));
    for (const std::string& path : args.scripts) scripts.push_back(vsim::LoadScript(path));
  } catch (const vsim::ScriptError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return kExitUsage;
  }

  if (args.mode != "check") {
    const vsim::FlightResult result = vsim::RunFlight(scripts.front(), args.options);
    PrintSummary(scripts.front(), result, args.options);
    return Report(result);
  }
  int passed = 0, failed = 0;
  for (const vsim::Script& script : scripts) {
    const vsim::FlightResult result = vsim::RunFlight(script, args.options);
    for (const std::string& f : result.failures) std::printf("%s\n", f.c_str());
    if (!result.error.empty()) {
      std::printf("%s\n", result.error.c_str());
      ++failed;
    }
    passed += result.passed;
    failed += result.failed;
  }
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : kExitFailed;
}
