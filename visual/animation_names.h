// What the helicopter's seventeen animations move, in the order it makes
// them: the one table the module's animation rows follow and from which the
// build writes the host's script of their names (helicopter.vsim).
#pragma once

#include <cstddef>

namespace animation_names {

enum Index : unsigned {
  kNoseSteer,
  kWheels,
  kGear,
  kNeedleMain,
  kNeedleHover,
  kNeedleAirspeed,
  kNeedleVspeed,
  kMainLever,
  kNeedleFuel,
  kNeedleBank,
  kCompass,
  kNeedleAoa,
  kNeedleAltitude,
  kClockHand1,
  kClockHand2,
  kClockHand3,
  kRotors,
  kCount
};

// The names, one per index above, as scripts and the log write them.
constexpr const char* kNames[kCount] = {
    "nose_steer",      "wheels",          "gear",          "needle_main",
    "needle_hover",    "needle_airspeed", "needle_vspeed", "main_lever",
    "needle_fuel",     "needle_bank",     "compass",       "needle_aoa",
    "needle_altitude", "clock_hand1",     "clock_hand2",   "clock_hand3",
    "rotors",
};

}  // namespace animation_names
