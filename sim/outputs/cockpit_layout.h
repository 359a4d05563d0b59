// The helicopter's instrument panel as the flight page draws it: which
// animations turn the needles of each named instrument. A vessel whose
// animations carry the helicopter's names gets this panel; any other vessel
// gets one generic dial per rotating component.
#pragma once

#include <cstddef>

#include "visual/animation_names.h"

namespace vsim {

constexpr std::size_t kMaxHands = 3;

struct CockpitInstrument {
  const char* title;
  std::size_t hands;  // how many of the animations below it shows
  unsigned animations[kMaxHands];
};

constexpr CockpitInstrument kHelicopterPanel[] = {
    {"airspeed", 1, {animation_names::kNeedleAirspeed}},
    {"vertical speed", 1, {animation_names::kNeedleVspeed}},
    {"bank", 1, {animation_names::kNeedleBank}},
    {"compass", 1, {animation_names::kCompass}},
    {"angle of attack", 1, {animation_names::kNeedleAoa}},
    {"altimeter", 1, {animation_names::kNeedleAltitude}},
    {"fuel", 1, {animation_names::kNeedleFuel}},
    {"clock",
     3,
     {animation_names::kClockHand1, animation_names::kClockHand2, animation_names::kClockHand3}},
    {"main lever", 1, {animation_names::kMainLever}},
    {"main thrust", 1, {animation_names::kNeedleMain}},
    {"hover thrust", 1, {animation_names::kNeedleHover}},
};

constexpr bool PanelWellFormed() {
  for (const CockpitInstrument& i : kHelicopterPanel) {
    if (i.hands == 0 || i.hands > kMaxHands) return false;
    for (std::size_t h = 0; h < i.hands; ++h)
      if (i.animations[h] >= animation_names::kCount) return false;
  }
  return true;
}
static_assert(PanelWellFormed(), "every instrument shows one to three known animations");

}  // namespace vsim
