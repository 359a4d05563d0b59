// The validator: a catalogue of checks that any vessel module built against
// the host interface must pass, each using only what a host can see.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vsim::validate {

struct Target {
  std::string module;
  std::string sound;          // the substitute sound library; empty: none found
  std::string partial_sound;  // one that lacks some of its exports; empty: none found
  std::uint32_t seed = 1;
};

// A warning passes the check but says what a module author should know: a
// design choice the host shows, not a fault.
enum class Verdict { kPass, kFail, kSkip, kWarn };

struct Result {
  Verdict verdict = Verdict::kPass;
  std::string reason;  // one line
  std::string where;   // on failure: "step 3, vessel b, SetThrusterLevel"
};

Result Pass(std::string reason);
Result Fail(std::string reason, std::string where = "");
Result Skip(std::string reason);
Result Warn(std::string reason);

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

// How thorough a validation is: quick runs the cheap checks, standard adds
// the long ones, thorough runs every check with several seeds.
enum class Level { kQuick, kStandard, kThorough };
const char* LevelName(Level level);

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
