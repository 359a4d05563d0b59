#include <algorithm>

#include "dynamics/display.h"
#include "module/shuttle_pb.h"

namespace {

constexpr double kDrivenAdvancePerLevel = 0.1;
constexpr double kDrivenAdvanceBase = 0.035;
constexpr double kWindmillMin_mps = 10.0;
constexpr double kWindmillAdvanceBase = 0.01;
constexpr double kWindmillAdvancePerMps = 0.001;
constexpr double kWindmillSpeedCap_mps = 44.0;

// On passing 1 the phase restarts at 0, not at the remainder.
double Wrap(double phase) { return phase > 1.0 ? 0.0 : phase; }

}  // namespace

void ShuttlePB::ShowRotor(double airspeed) {
  const double hover_level = GetThrusterLevel(state.th_hover);
  if (hover_level > 0.0) {
    state.rotor_phase =
        Wrap(kDrivenAdvancePerLevel * hover_level + kDrivenAdvanceBase + state.rotor_phase);
    SetAnimation(anim_rotors, state.rotor_phase);
  }
  if (hover_level == 0.0 && airspeed <= kWindmillMin_mps)
    SetAnimation(anim_rotors, state.rotor_phase);
  if (hover_level == 0.0 && airspeed > kWindmillMin_mps) {
    state.rotor_phase = Wrap(state.rotor_phase + kWindmillAdvanceBase +
                             kWindmillAdvancePerMps * std::min(airspeed, kWindmillSpeedCap_mps));
    SetAnimation(anim_rotors, state.rotor_phase);
  }
}

// A level is 0..1; the clamp keeps a hostile reading (NaN, infinite) from
// reaching the host as a state.
void ShuttlePB::ShowMainLever() {
  state.main_lever_state = ClampDisplay(GetThrusterLevel(state.th_main), 0, 1);
  SetAnimation(anim_main_lever, state.main_lever_state);
}

void ShuttlePB::ShowThrustNeedles() {
  state.main_needle_state = ClampDisplay(GetThrusterLevel(state.th_main), 0, 1);
  SetAnimation(anim_needle_main, state.main_needle_state);
  state.hover_needle_state = ClampDisplay(GetThrusterLevel(state.th_hover), 0, 1);
  SetAnimation(anim_needle_hover, state.hover_needle_state);
}
