// The validator: a catalogue of checks that any vessel module built against
// the host interface must pass, each using only what a host can see.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace vsim::validate {

// How thorough a validation is: quick runs the cheap checks with few vessels
// and steps, standard adds the long ones, thorough runs every check longer,
// with more vessels and several seeds.
enum class Level { kQuick, kStandard, kThorough };
const char* LevelName(Level level);

// How much work a check does at a level: every size a check scales, in one
// row per level.
struct Sizes {
  int load_cycles;        // load-unload
  int made_vessels;       // create-destroy
  int warm_up;            // of those, before memory is measured
  int compared_steps;     // independence, lifecycle-order, steady-state
  int recovery_steps;     // hostile-readings
  int steps_per_setting;  // time-steps
  int null_handle_steps;  // null-handles
  int sound_vessels;      // sound
  int long_run_vessels;   // long-run
  int long_run_steps;     // long-run, per vessel
  int timed_steps;        // speed
  double held_hover_s;    // hovers
  double cruise_s;        // envelope
  double flight_s;        // envelope, the whole flight
  int seeds;              // every check runs with seeds N to N + seeds - 1
};
const Sizes& SizesAt(Level level);

struct Target {
  std::string module;
  std::string sound;          // the substitute sound library; empty: none found
  std::string partial_sound;  // one that lacks some of its exports; empty: none found
  std::uint32_t seed = 1;
  Level level = Level::kStandard;
  const Sizes& sizes() const { return SizesAt(level); }
};

// A warning passes the check but says what a module author should know: a
// design choice the host shows, not a fault.
enum class Verdict { kPass, kFail, kSkip, kWarn };

// What a check measured, and what it had to meet: at most or at least the
// limit, or no limit at all (reported only).
enum class Bound { kReported, kAtMost, kAtLeast };
struct Figure {
  std::string name;  // "memory growth over 900 vessels"
  double value = 0;
  std::string unit;  // "KiB"; empty for a count
  Bound bound = Bound::kReported;
  double limit = NAN;
};
Figure Measured(std::string name, double value, std::string unit);
Figure AtMost(std::string name, double value, std::string unit, double limit);
Figure AtLeast(std::string name, double value, std::string unit, double limit);
// "memory growth over 900 vessels: 240 KiB (limit 1024 KiB)".
std::string FigureText(const Figure& figure);
// Figures as a reason shows them: "a; b; c".
std::string FiguresText(const std::vector<Figure>& figures);

// A flight a check flew, for its report's panels: samples at times, one row
// per series.
struct Flown {
  std::string title;  // "hover at 50 m under the altitude hold"
  std::vector<double> time;
  std::vector<std::string> keys, units;
  std::vector<std::vector<double>> values;  // per key, one per time
};

struct Result {
  Verdict verdict = Verdict::kPass;
  std::string reason;           // one line
  std::string where;            // on failure: "step 3, vessel b, SetThrusterLevel"
  std::vector<Figure> figures;  // the first is the key one
  std::vector<Flown> flights;
};

Result Pass(std::string reason, std::vector<Figure> figures = {});
Result Fail(std::string reason, std::string where = "");
Result Skip(std::string reason);
Result Warn(std::string reason, std::vector<Figure> figures = {});

// What of the module a check drives. A module that hangs in one of them
// would hang again in every check that drives it.
enum Drives : unsigned {
  kDrivesLibrary = 1u << 0,  // loading and unloading the library
  kDrivesBuild = 1u << 1,    // ModuleDate, GetModuleVersion
  kDrivesVessels = 1u << 2,  // ovcInit, clbkSetClassCaps, clbkPostCreation, ovcExit
  kDrivesSteps = 1u << 3,    // clbkPostStep
  kDrivesKeys = 1u << 4,     // clbkConsumeBufferedKey
  kDrivesCockpit = 1u << 5,  // clbkLoadVC, clbkVCMouseEvent
};

struct Check {
  const char* name;
  const char* meaning;  // one line, for --list
  Result (*run)(const Target&);
  unsigned drives;              // Drives
  Level level = Level::kQuick;  // the lowest level that runs it
};

const std::vector<Check>& Catalogue();

// What a callback of the module (as the host names the site it is in:
// "clbkPostStep", "loading the module (its library entry)") belongs to;
// 0 for a name it does not know.
unsigned DrivenBy(const std::string& callback);

// Runs one check in this process; anything it throws is its failure.
Result RunHere(const Check& check, const Target& target);

}  // namespace vsim::validate
