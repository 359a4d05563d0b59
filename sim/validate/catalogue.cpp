#include <exception>

#include "sim/validate/checks.h"
#include "sim/validate/world.h"

namespace vsim::validate {

namespace {

constexpr unsigned kOneVessel = kDrivesLibrary | kDrivesVessels | kDrivesSteps;
constexpr unsigned kEverything = kOneVessel | kDrivesKeys | kDrivesCockpit;

struct CallbackDrive {
  const char* site;  // the site's name, or its start
  unsigned drive;
};
constexpr CallbackDrive kCallbackDrives[] = {
    {"loading the module", kDrivesLibrary},
    {"unloading the module", kDrivesLibrary},
    {"ModuleDate", kDrivesBuild},
    {"GetModuleVersion", kDrivesBuild},
    {"ovcInit", kDrivesVessels},
    {"clbkSetClassCaps", kDrivesVessels},
    {"clbkPostCreation", kDrivesVessels},
    {"ovcExit", kDrivesVessels},
    {"clbkPostStep", kDrivesSteps},
    {"clbkConsumeBufferedKey", kDrivesKeys},
    {"clbkLoadVC", kDrivesCockpit},
    {"clbkVCMouseEvent", kDrivesCockpit},
};

// Standard is what each check was first written to do; quick does a
// fraction of it, thorough several times as much, for longer. The checks of
// the standard level do not run at quick in a validation; their quick sizes
// serve such a check run alone at that level (a check's process, --child).
constexpr Sizes kSizes[] = {
    // cycles, vessels, warm-up, steps, recovery, per setting, null, sound,
    // long-run vessels and steps, timed, hover, cruise, flight, seeds
    {200, 200, 50, 100, 60, 5, 30, 20, 2, 2000, 500, 30, 60, 600, 1},
    {1000, 1000, 100, 300, 120, 20, 100, 100, 3, 10000, 2000, 60, 120, 600, 1},
    {3000, 3000, 100, 1000, 240, 60, 300, 300, 5, 20000, 5000, 120, 240, 900, 3},
};
static_assert(sizeof kSizes / sizeof kSizes[0] == static_cast<std::size_t>(Level::kThorough) + 1,
              "one row of sizes per level");

}  // namespace

const Sizes& SizesAt(Level level) { return kSizes[static_cast<std::size_t>(level)]; }

const char* LevelName(Level level) {
  return level == Level::kQuick ? "quick" : level == Level::kStandard ? "standard" : "thorough";
}

unsigned DrivenBy(const std::string& callback) {
  for (const CallbackDrive& c : kCallbackDrives)
    if (callback.rfind(c.site, 0) == 0) return c.drive;
  return 0;
}

const std::vector<Check>& Catalogue() {
  static const std::vector<Check> checks = {
      {"exports",
       "the four entry points by their plain names, nothing else exported; "
       "ModuleDate and GetModuleVersion stable",
       CheckExports, kDrivesLibrary | kDrivesBuild},
      {"load-unload",
       "1000 loads and unloads (3000 thorough): memory and open files flat, the library "
       "really unloaded, its attach run once per load",
       CheckLoadUnload, kDrivesLibrary, Level::kStandard},
      {"create-destroy",
       "1000 vessels made and ended in one load (3000 thorough) without growth; "
       "ovcExit(null) harmless",
       CheckCreateDestroy, kOneVessel, Level::kStandard},
      {"independence",
       "a vessel among 2 and 10, one driven by keys, thrust and clicks, "
       "makes the calls it makes alone; no handle of another vessel",
       CheckIndependence, kEverything},
      {"lifecycle-order",
       "creation order and another vessel ending change nothing a "
       "vessel does",
       CheckLifecycleOrder, kOneVessel},
      {"hostile-readings",
       "nan, +-inf, +-1e300 and -0 from every query for one step: "
       "nothing non-finite passed on, states in 0..1, back to normal",
       CheckHostileReadings, kOneVessel},
      {"time-steps",
       "steps of 0, 1e-9, 1 and 100 s at time accelerations 0.1 to 100000: "
       "nothing non-finite reaches the host",
       CheckTimeSteps, kOneVessel},
      {"null-handles", "every handle the host gives is null: no crash", CheckNullHandles,
       kEverything},
      {"keys-and-clicks",
       "every key code with every modifier, every click area and one "
       "more: no crash, no non-finite value, results of their type",
       CheckKeysAndClicks, kEverything},
      {"sound",
       "the sound library absent, partial and present: the module runs, and "
       "what it writes stays in the working folder and bounded",
       CheckSound, kOneVessel | kDrivesKeys, Level::kStandard},
      {"long-run",
       "3 vessels for 10000 steps each (5 for 20000 thorough) at step lengths and time "
       "accelerations that change as they fly: no fault, states in 0..1",
       CheckLongRun, kOneVessel, Level::kStandard},
      {"steady-state",
       "steps, keys and clicks: no thruster, animation or resource declared after "
       "clbkPostCreation",
       CheckSteadyState, kEverything},
      {"speed",
       "median step time, instructions and host calls per step (reported, never "
       "failed)",
       CheckSpeed, kOneVessel, Level::kStandard},
      {"stands",
       "dropped from 0.3 m above its resting height it comes to rest on its touchdown "
       "points without creeping; its centre of mass above their plane (warned when "
       "outside their triangle)",
       CheckStands, kOneVessel},
      {"hovers",
       "the hover group carries it at full and at 10 % fuel, and under the altitude hold "
       "it keeps 50 m within 0.5 m for 60 s (120 s thorough)",
       CheckHovers, kOneVessel, Level::kStandard},
      {"attitude",
       "each attitude group turns it the way its name says, with the rate it gives; under "
       "the kill-rotation hold a tumble at 30 deg/s stops within 20 s",
       CheckAttitude, kOneVessel},
      {"envelope",
       "a 10-minute flight under the host's holds (climb, forward flight, descent, landing) "
       "stays finite and lands softly; its largest rates, load factor, speed, altitude and "
       "descent rate reported",
       CheckEnvelope, kOneVessel, Level::kStandard},
      {"ground-handling",
       "on the ground, the yaw rate a second after full rudder from 5 m/s and the ground speed "
       "after 10 s of full forward thrust, against plausible bounds (warned beyond them)",
       CheckGroundHandling, kOneVessel, Level::kStandard},
  };
  return checks;
}

Result RunHere(const Check& check, const Target& target) {
  try {
    return check.run(target);
  } catch (const Broken& b) {
    return b.result;
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
}

}  // namespace vsim::validate
