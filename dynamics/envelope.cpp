#include <initializer_list>

#include "airframe/airframe.h"
#include "module/shuttle_pb.h"

namespace {

constexpr double kMaxTimeAcceleration = 10.0;
constexpr double kSpeedLimit_mps = 100.0;
constexpr double kCeiling_m = 5000.0;

constexpr DragCoefficients kBrakingDrag = {999, 999, 999, 999};
constexpr DragCoefficients kNormalDrag = {0.3, 0.3, 0.67, 0.92};

constexpr VECTOR3 kForward = {0, 0, 1};
constexpr VECTOR3 kBackward = {0, 0, -1};

}  // namespace

void ShuttlePB::CapTimeAcceleration() {
  if (oapiGetTimeAcceleration() > kMaxTimeAcceleration)
    oapiSetTimeAcceleration(kMaxTimeAcceleration);
}

// Each rule that holds issues its settings; a later rule overrides an
// earlier one, and the host keeps every setting until it is made anew.
void ShuttlePB::ApplyEnvelope() {
  if (GroundContact()) {
    SetDrag(*this, kBrakingDrag);
    SetThrusterMax0(state.th_main, 0);
  }
  if (GetAirspeed() >= kSpeedLimit_mps) {
    SetDrag(*this, kBrakingDrag);
    SetThrusterMax0(state.th_main, 0);
  }
  if (GetAltitude() >= kCeiling_m) {
    SetDrag(*this, kBrakingDrag);
    SetThrusterMax0(state.th_hover, 0);
  }
  for (const double reverse : {0.0, 1.0}) {
    if (GetAirspeed() < kSpeedLimit_mps && GetAltitude() < kCeiling_m &&
        state.main_reverse == reverse) {
      SetDrag(*this, kNormalDrag);
      SetThrusterMax0(state.th_main, kMainThrust_N);
      SetThrusterDir(state.th_main, reverse == 0.0 ? kForward : kBackward);
      SetThrusterMax0(state.th_hover, kHoverThrust_N);
    }
  }
}
