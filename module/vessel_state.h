// The helicopter's run-time state, one record per vessel object. The host
// keeps the addresses of the beacon records and of gear_drag, so the record
// lives inside the vessel object and never moves while the vessel exists.
#pragma once

#include "host/host_api.h"

struct VesselState {
  // Host configuration
  THRUSTER_HANDLE th_main = nullptr;
  THRUSTER_HANDLE th_hover = nullptr;
  THRUSTER_HANDLE th_att[14] = {};
  THRUSTER_HANDLE th_group[4] = {};
  VECTOR3 beacon_fwd_pos = {0, 0.238665, 2.220898};
  VECTOR3 beacon_fwd_col = {0.938, 0.074, 0.117};
  VECTOR3 beacon_aft_pos = {0, 0.277865, -5.783546};
  VECTOR3 beacon_aft_col = {0.043, 0.586, 0.043};
  BEACONLIGHTSPEC beacon_fwd = {};
  BEACONLIGHTSPEC beacon_aft = {};
  double gear_drag = 1.0;
  MESHHANDLE mesh_exterior = nullptr;
  MESHHANDLE mesh_cockpit = nullptr;

  // Crew commands and switches
  double main_reverse = 0.0;
  double refuel_request = 0.0;
  double beacons_on = 0.0;
  double beacons_changed = 0.0;
  int gear_cmd = 0;
  int aux_gear_cmd = 0;
  double vc_main_level = 0.0;
  int aux2_cmd = 0;
  double aux2_pos = 0.0;

  // Positions kept from step to step
  double gear_pos = 0.0;
  double aux_gear_pos = 0.0;
  double wheel_phase = 0.0;
  double nosewheel_state = 0.0;
  double rotor_phase = 0.0;
  double clock_hand1 = 0.0;
  double clock_hand2 = 0.0;
  double clock_hand3 = 0.0;
  double engine_sound_base = 0.0;
  double engine_sound_freq = 22000.0;

  // Display values, recomputed in every step before use
  VECTOR3 focus_airspeed = {0, 0, 0};
  double airspeed_x = 0.0;
  double airspeed_x_state = 0.0;
  double airspeed_y = 0.0;
  double airspeed_y_state = 0.0;
  double bank_state = 0.0;
  double focus_heading = 0.0;
  double compass_state = 0.0;
  double aoa_deg = 0.0;
  double aoa_state = 0.0;
  double altimeter_alt = 0.0;
  double altimeter_state = 0.0;
  double fuel_empty_frac = 0.0;
  double fuel_gauge_state = 0.0;
  double main_lever_state = 0.0;
  double main_needle_state = 0.0;
  double hover_needle_state = 0.0;
};

// Degrees per radian, as the instruments convert angles.
constexpr double DEG_PER_RAD = 57.29577951308232;
