#include <algorithm>

#include "airframe/airframe.h"
#include "dynamics/display.h"
#include "module/shuttle_pb.h"

namespace {

constexpr double kTaxiMin_mps = 0.6;
constexpr double kTaxiMax_mps = 90.0;
constexpr double kGearDownThreshold = 0.05;
constexpr double kGearUpThreshold = 0.95;
constexpr double kSteeringForcePerRudder_N = 3000000.0;
constexpr double kSteeringArm_m = 3.33;
constexpr double kMaxTimeAccelerationForSteering = 10.0;
constexpr double kFrictionLongitudinal = 0.25;
constexpr double kFrictionLateral = 0.65;
constexpr double kGearTravelPerStep = 0.00242;
constexpr double kWheelPhaseMax = 1.0;
constexpr double kWheelSpeedCap_mps = 30.0;
constexpr double kWheelPhasePerMps = 1.0 / 300.0;
constexpr double kNoseWheelCentred = 0.5;

bool InTaxiWindow(double airspeed) { return airspeed > kTaxiMin_mps && airspeed < kTaxiMax_mps; }

// One step of a travel command: 1 drives the position to 1, any other
// non-zero command to 0; reaching an end stops the travel there. Both ends
// hold whatever the increment, so the position never leaves 0..1.
void Travel(int& cmd, double& pos, double increment) {
  pos += cmd == 1 ? increment : -increment;
  if (cmd == 1 ? pos > 1.0 : pos < 0.0) cmd = 0;
  pos = std::clamp(pos, 0.0, 1.0);
}

}  // namespace

bool ShuttlePB::TaxiingOnWheels(double airspeed) const {
  return GroundContact() && InTaxiWindow(airspeed) && state.gear_pos < kGearDownThreshold;
}

void ShuttlePB::ApplyGroundSteering(double airspeed) {
  if (!TaxiingOnWheels(airspeed)) return;
  const double force = GetControlSurfaceLevel(AIRCTRL_RUDDER) * kSteeringForcePerRudder_N;
  if (oapiGetTimeAcceleration() > kMaxTimeAccelerationForSteering) return;
  AddForce({force, 0, 0}, {0, 0, kSteeringArm_m});
  AddForce({-force, 0, 0}, {0, 0, -kSteeringArm_m});
}

void ShuttlePB::ApplyWheelContact(double airspeed) {
  if (TaxiingOnWheels(airspeed)) SetSurfaceFrictionCoeff(kFrictionLongitudinal, kFrictionLateral);
  if (state.gear_pos < kGearDownThreshold)
    SetTouchdownPoints(kGearDownPoints[0], kGearDownPoints[1], kGearDownPoints[2]);
  else if (state.gear_pos > kGearUpThreshold)
    SetTouchdownPoints(kBellyPoints[0], kBellyPoints[1], kBellyPoints[2]);
}

void ShuttlePB::ShowWheelRotation(double airspeed) {
  if (state.wheel_phase > kWheelPhaseMax) state.wheel_phase = 0.0;
  if (!(airspeed > kTaxiMin_mps)) return;
  state.wheel_phase += std::min(airspeed, kWheelSpeedCap_mps) * kWheelPhasePerMps;
  if (GroundContact() && state.gear_pos < kGearDownThreshold)
    SetAnimation(anim_wheels, state.wheel_phase);
}

void ShuttlePB::ShowNoseWheelSteering(double airspeed) {
  if (!GroundContact() && state.gear_pos < 1.0 && airspeed > kTaxiMin_mps) {
    state.nosewheel_state = kNoseWheelCentred;
    SetAnimation(anim_nose_steer, kNoseWheelCentred);
  }
  if (GroundContact() && state.gear_pos < kGearDownThreshold) {
    state.nosewheel_state =
        ClampDisplay((GetControlSurfaceLevel(AIRCTRL_RUDDER) + 1.0) * 0.5, 0, 1);
    SetAnimation(anim_nose_steer, state.nosewheel_state);
  }
}

void ShuttlePB::MoveGear() {
  if (state.gear_cmd == 0 || GroundContact()) return;
  Travel(state.gear_cmd, state.gear_pos,
         kGearTravelPerStep * IncrementScale(oapiGetTimeAcceleration()));
  SetAnimation(anim_gear, state.gear_pos);
  state.gear_drag = 1.0 - state.gear_pos;
}

// This travel has no time-acceleration factor and no animation.
void ShuttlePB::MoveAuxGear() {
  if (state.aux_gear_cmd == 0 || GroundContact()) return;
  Travel(state.aux_gear_cmd, state.aux_gear_pos, kGearTravelPerStep);
}
