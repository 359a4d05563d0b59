#include <cmath>

#include "dynamics/display.h"
#include "module/shuttle_pb.h"

namespace {

constexpr double kAirspeedFullScale_mps = 100.0;
constexpr double kBankHalfRange_rad = 3.0;
constexpr double kCompassTurn_rad = 6.2832;
constexpr double kAoaFullScale_deg = 30.0;
constexpr double kAltimeterFullScale_m = 10000.0;
constexpr double kClockHand1PerStep = 0.0002;
constexpr double kClockCarry = 0.016666666;
constexpr double kFuelGaugeScale_kg = 20000.0;
constexpr double kFuelGaugeDivisor = 3.0;

// A hand below 0 stops at 0; one that reaches a full turn restarts at 0 and
// carries into the next hand.
void AdvanceHand(double& hand, double* carry_into) {
  if (hand < 0.0) {
    hand = 0.0;
  } else if (hand >= 1.0) {
    hand = 0.0;
    if (carry_into != nullptr) *carry_into += kClockCarry;
  }
}

}  // namespace

void ShuttlePB::ShowInstruments() {
  VesselState& s = state;

  oapiGetFocusAirspeedVector(&s.focus_airspeed);
  s.airspeed_x = ClampDisplay(s.focus_airspeed.x, 0, kAirspeedFullScale_mps);
  s.airspeed_x_state = ClampDisplay(s.airspeed_x / kAirspeedFullScale_mps, 0, 1);
  SetAnimation(anim_needle_airspeed, s.airspeed_x_state);
  s.airspeed_y = ClampDisplay(s.focus_airspeed.y, 0, kAirspeedFullScale_mps);
  s.airspeed_y_state = ClampDisplay(s.airspeed_y / kAirspeedFullScale_mps, 0, 1);
  SetAnimation(anim_needle_vspeed, s.airspeed_y_state);

  s.bank_state = ClampDisplay((GetBank() + kBankHalfRange_rad) / (2 * kBankHalfRange_rad), 0, 1);
  SetAnimation(anim_needle_bank, s.bank_state);

  oapiGetFocusHeading(&s.focus_heading);
  s.compass_state = s.focus_heading / kCompassTurn_rad;
  // A heading outside one turn reads as the same direction on the dial.
  if (!std::isfinite(s.compass_state)) s.compass_state = 0.0;
  if (s.compass_state < 0.0 || s.compass_state > 1.0)
    s.compass_state -= std::floor(s.compass_state);
  SetAnimation(anim_compass, s.compass_state);

  s.aoa_deg = ClampDisplay(GetAOA() * DEG_PER_RAD, 0, kAoaFullScale_deg);
  s.aoa_state = ClampDisplay((kAoaFullScale_deg - s.aoa_deg) / kAoaFullScale_deg, 0, 1);
  SetAnimation(anim_needle_aoa, s.aoa_state);

  s.altimeter_alt = ClampDisplay(std::trunc(GetAltitude()), 0, kAltimeterFullScale_m);
  s.altimeter_state =
      ClampDisplay((kAltimeterFullScale_m - s.altimeter_alt) / kAltimeterFullScale_m, 0, 1);
  SetAnimation(anim_needle_altitude, s.altimeter_state);

  s.clock_hand1 += kClockHand1PerStep * IncrementScale(oapiGetTimeAcceleration());
  AdvanceHand(s.clock_hand1, &s.clock_hand2);
  SetAnimation(anim_clock_hand1, s.clock_hand1);
  AdvanceHand(s.clock_hand2, &s.clock_hand3);
  SetAnimation(anim_clock_hand2, s.clock_hand2);
  AdvanceHand(s.clock_hand3, nullptr);
  SetAnimation(anim_clock_hand3, s.clock_hand3);

  s.fuel_empty_frac = (kFuelGaugeScale_kg - GetFuelMass()) / kFuelGaugeScale_kg;
  s.fuel_gauge_state = ClampDisplay(s.fuel_empty_frac / kFuelGaugeDivisor, 0, 1);
  SetAnimation(anim_needle_fuel, s.fuel_gauge_state);
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
