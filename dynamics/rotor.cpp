#include <algorithm>

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
