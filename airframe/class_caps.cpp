#include <cstddef>
#include <iterator>
#include <type_traits>

#include "airframe/airfoils.h"
#include "airframe/airframe.h"
#include "module/shuttle_pb.h"

namespace {

constexpr double kSize = 8.0;
constexpr double kEmptyMass = 2000.0;
constexpr DragCoefficients kDeclaredDrag = {0.09, 0.09, 2.0, 1.5};
constexpr double kWingAspect = 6.98;
constexpr double kWingEffectiveness = 2.5;
constexpr VECTOR3 kCrossSections = {8.03, 26.06, 8.36};
constexpr VECTOR3 kRotDrag = {1.5, 1.5, 1.5};
constexpr double kRealisticMomentScale = 1e-7;
constexpr VECTOR3 kPmi = {5.84, 10.73, 7.85};
constexpr double kTrimScale = 0.05;
constexpr VECTOR3 kCameraOffset = {0, 0, 0};

struct AirfoilRow {
  AIRFOIL_ORIENTATION orientation;
  VECTOR3 ref;
  AirfoilCoeffFunc coefficients;
  double chord_m, area_m2, aspect;
};
constexpr AirfoilRow kAirfoils[] = {
    {LIFT_VERTICAL, {0, 0, -0.5}, vlift_coeff, 0.86, 5.16, 6.98},
    {LIFT_HORIZONTAL, {0, 0, -4.0}, hlift_coeff, 0.86, 5.16, 6.98},
};

constexpr double kGearDragFactor = 0.8;
constexpr VECTOR3 kGearDragRef = {0, -1, 0};

constexpr double kStartFull = -1.0;
constexpr double kPropellantEfficiency = 1.0;

constexpr double kIsp_mps = 50000.0;
constexpr double kIspAtRef = 0.0;
constexpr double kRefPressure_Pa = 101400.0;

struct ThrusterRow {
  VECTOR3 pos;
  VECTOR3 dir;
  double max_thrust_N;
};
constexpr ThrusterRow kMainThruster = {{0, 0, 0}, {0, 0, 1}, kMainThrust_N};
constexpr ThrusterRow kHoverThruster = {{0, 0, 0}, {0, 1, 0}, kHoverThrust_N};
constexpr VECTOR3 kExhaustPositions[] = {{-0.6395, -1.1028, 2.5622}, {0.6395, -1.1028, 2.5622}};

constexpr double kAttitudeThrust_N = 25000;
constexpr ThrusterRow kAttitudeThrusters[] = {
    {{1, 0, 3}, {0, 1, 0}, kAttitudeThrust_N},   {{1, 0, 3}, {0, -1, 0}, kAttitudeThrust_N},
    {{-1, 0, 3}, {0, 1, 0}, kAttitudeThrust_N},  {{-1, 0, 3}, {0, -1, 0}, kAttitudeThrust_N},
    {{1, 0, -3}, {0, 1, 0}, kAttitudeThrust_N},  {{1, 0, -3}, {0, -1, 0}, kAttitudeThrust_N},
    {{-1, 0, -3}, {0, 1, 0}, kAttitudeThrust_N}, {{-1, 0, -3}, {0, -1, 0}, kAttitudeThrust_N},
    {{1, 0, 3}, {-1, 0, 0}, kAttitudeThrust_N},  {{-1, 0, 3}, {1, 0, 0}, kAttitudeThrust_N},
    {{1, 0, -3}, {-1, 0, 0}, kAttitudeThrust_N}, {{-1, 0, -3}, {1, 0, 0}, kAttitudeThrust_N},
    {{0, 0, -3}, {0, 0, 1}, kAttitudeThrust_N},  {{0, 0, 3}, {0, 0, -1}, kAttitudeThrust_N},
};

struct GroupRow {
  THGROUP_TYPE type;
  int count;
  int members[4];
};
constexpr GroupRow kAttitudeGroups[] = {
    {THGROUP_ATT_PITCHUP, 4, {0, 2, 5, 7}},  {THGROUP_ATT_PITCHDOWN, 4, {1, 3, 4, 6}},
    {THGROUP_ATT_BANKLEFT, 4, {0, 4, 3, 7}}, {THGROUP_ATT_BANKRIGHT, 4, {1, 5, 2, 6}},
    {THGROUP_ATT_UP, 4, {0, 4, 2, 6}},       {THGROUP_ATT_DOWN, 4, {1, 5, 3, 7}},
    {THGROUP_ATT_YAWLEFT, 2, {8, 11}},       {THGROUP_ATT_YAWRIGHT, 2, {9, 10}},
    {THGROUP_ATT_LEFT, 2, {8, 10}},          {THGROUP_ATT_RIGHT, 2, {9, 11}},
    {THGROUP_ATT_FORWARD, 1, {12}},          {THGROUP_ATT_BACK, 1, {13}},
};

constexpr int LargestGroup() {
  int largest = 0;
  for (const GroupRow& g : kAttitudeGroups) largest = g.count > largest ? g.count : largest;
  return largest;
}
// The state's arrays hold exactly the tables' thrusters.
static_assert(std::size(kAttitudeThrusters) == std::extent_v<decltype(VesselState::th_att)>,
              "one handle per attitude thruster");
static_assert(LargestGroup() <= static_cast<int>(std::extent_v<decltype(VesselState::th_group)>),
              "room for the largest attitude group");

PARTICLESTREAMSPEC ExhaustStream() {
  PARTICLESTREAMSPEC exhaust{};
  exhaust.flags = 0;
  exhaust.srcsize = 0.2;
  exhaust.srcrate = 125.0;
  exhaust.v0 = 15.0;
  exhaust.srcspread = 0.015;
  exhaust.lifetime = 0.1;
  exhaust.growthrate = 1.0;
  exhaust.atmslowdown = 1.0;
  exhaust.ltype = PARTICLESTREAMSPEC::DIFFUSE;
  exhaust.levelmap = PARTICLESTREAMSPEC::LVL_PSQRT;
  exhaust.lmin = 0.0;
  exhaust.lmax = 2.0;
  exhaust.atmsmap = PARTICLESTREAMSPEC::ATM_PLOG;
  exhaust.amin = 0.0001;
  exhaust.amax = 1.0;
  exhaust.tex = nullptr;
  return exhaust;
}

struct BeaconLook {
  DWORD shape;
  double size, falloff, period_s, duration_s, tofs_s;
};
constexpr BeaconLook kBeaconLook = {BEACONSHAPE_STAR, 0.4, 0.6, 1.13, 0.05, 0.6};

void FillBeacon(BEACONLIGHTSPEC& beacon, VECTOR3* pos, VECTOR3* col) {
  beacon.shape = kBeaconLook.shape;
  beacon.pos = pos;
  beacon.col = col;
  beacon.size = kBeaconLook.size;
  beacon.falloff = kBeaconLook.falloff;
  beacon.period = kBeaconLook.period_s;
  beacon.duration = kBeaconLook.duration_s;
  beacon.tofs = kBeaconLook.tofs_s;
  beacon.active = false;
}

constexpr VECTOR3 kCockpitMeshOffset = {0, 0.2, 4.5};

}  // namespace

void ShuttlePB::clbkSetClassCaps(FILEHANDLE /*cfg*/) {
  SetSize(kSize);
  SetEmptyMass(kEmptyMass);
  SetDrag(*this, kDeclaredDrag);
  SetWingAspect(kWingAspect);
  SetWingEffectiveness(kWingEffectiveness);
  SetCrossSections(kCrossSections);
  SetRotDrag(kRotDrag);
  if (GetFlightModel() >= 1) {
    SetPitchMomentScale(kRealisticMomentScale);
    SetBankMomentScale(kRealisticMomentScale);
  }
  SetPMI(kPmi);
  SetTrimScale(kTrimScale);
  SetCameraOffset(kCameraOffset);
  SetTouchdownPoints(kGearDownPoints[0], kGearDownPoints[1], kGearDownPoints[2]);
  for (const AirfoilRow& airfoil : kAirfoils)
    CreateAirfoil(airfoil.orientation, airfoil.ref, airfoil.coefficients, airfoil.chord_m,
                  airfoil.area_m2, airfoil.aspect);
  CreateVariableDragElement(&state.gear_drag, kGearDragFactor, kGearDragRef);
  PROPELLANT_HANDLE tank =
      CreatePropellantResource(kFuelCapacity_kg, kStartFull, kPropellantEfficiency);
  PARTICLESTREAMSPEC exhaust = ExhaustStream();

  state.th_main = CreateThruster(kMainThruster.pos, kMainThruster.dir, kMainThruster.max_thrust_N,
                                 tank, kIsp_mps, kIspAtRef, kRefPressure_Pa);
  CreateThrusterGroup(&state.th_main, 1, THGROUP_MAIN);
  for (const VECTOR3& pos : kExhaustPositions) AddExhaustStream(state.th_main, pos, &exhaust);

  state.th_hover =
      CreateThruster(kHoverThruster.pos, kHoverThruster.dir, kHoverThruster.max_thrust_N, tank,
                     kIsp_mps, kIspAtRef, kRefPressure_Pa);
  CreateThrusterGroup(&state.th_hover, 1, THGROUP_HOVER);

  for (std::size_t i = 0; i < std::size(kAttitudeThrusters); ++i) {
    const ThrusterRow& row = kAttitudeThrusters[i];
    state.th_att[i] = CreateThruster(row.pos, row.dir, row.max_thrust_N, tank, kIsp_mps, kIspAtRef,
                                     kRefPressure_Pa);
  }
  for (const GroupRow& group : kAttitudeGroups) {
    if (group.count == 1) {
      CreateThrusterGroup(&state.th_att[group.members[0]], 1, group.type);
      continue;
    }
    for (int m = 0; m < group.count; ++m) state.th_group[m] = state.th_att[group.members[m]];
    CreateThrusterGroup(state.th_group, group.count, group.type);
  }

  FillBeacon(state.beacon_fwd, &state.beacon_fwd_pos, &state.beacon_fwd_col);
  AddBeacon(&state.beacon_fwd);
  FillBeacon(state.beacon_aft, &state.beacon_aft_pos, &state.beacon_aft_col);
  AddBeacon(&state.beacon_aft);

  AddMesh(state.mesh_exterior);
  const UINT cockpit = AddMesh(state.mesh_cockpit, &kCockpitMeshOffset);
  SetMeshVisibilityMode(cockpit, MESHVIS_COCKPIT);
}
