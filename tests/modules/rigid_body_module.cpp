// A test-only vessel module that is a bare rigid body: unequal principal
// moments, no drag, no airfoils, no rotational drag, and six attitude
// groups, each a pure couple of two thrusters.
#include <iterator>

#include "host/host_api.h"

namespace {

constexpr double kEmptyMass_kg = 1000;
constexpr double kFuel_kg = 100;
constexpr VECTOR3 kMoments = {1, 2, 3};  // m^2: x smallest, y intermediate, z largest
constexpr double kCoupleThrust_N = 1000;
constexpr double kArm_m = 2;
constexpr double kIsp = 1e12;  // m/s: the burn leaves the mass as it is
constexpr VECTOR3 kTouchdown[3] = {{0, -1, 1}, {-1, -1, -1}, {1, -1, -1}};

struct Couple {
  THGROUP_TYPE group;
  VECTOR3 pos, dir;  // of the first thruster; the second is opposite in both
};
constexpr Couple kCouples[] = {
    {THGROUP_ATT_PITCHUP, {0, 0, kArm_m}, {0, 1, 0}},
    {THGROUP_ATT_PITCHDOWN, {0, 0, kArm_m}, {0, -1, 0}},
    {THGROUP_ATT_YAWRIGHT, {0, 0, kArm_m}, {1, 0, 0}},
    {THGROUP_ATT_YAWLEFT, {0, 0, kArm_m}, {-1, 0, 0}},
    {THGROUP_ATT_BANKLEFT, {kArm_m, 0, 0}, {0, 1, 0}},
    {THGROUP_ATT_BANKRIGHT, {kArm_m, 0, 0}, {0, -1, 0}},
};

VECTOR3 Opposite(VECTOR3 v) { return {-v.x, -v.y, -v.z}; }

class RigidBody final : public VESSEL2 {
public:
  using VESSEL2::VESSEL2;
  void clbkSetClassCaps(FILEHANDLE) override {
    SetEmptyMass(kEmptyMass_kg);
    SetPMI(kMoments);
    SetTouchdownPoints(kTouchdown[0], kTouchdown[1], kTouchdown[2]);
    PROPELLANT_HANDLE tank = CreatePropellantResource(kFuel_kg);
    for (const Couple& c : kCouples) {
      THRUSTER_HANDLE pair[2] = {
          CreateThruster(c.pos, c.dir, kCoupleThrust_N, tank, kIsp),
          CreateThruster(Opposite(c.pos), Opposite(c.dir), kCoupleThrust_N, tank, kIsp)};
      CreateThrusterGroup(pair, static_cast<int>(std::size(pair)), c.group);
    }
  }
};

}  // namespace

DLLCLBK VESSEL* ovcInit(OBJHANDLE vessel, int flight_model) noexcept {
  return new RigidBody(vessel, flight_model);
}
DLLCLBK void ovcExit(VESSEL* vessel) noexcept { delete static_cast<RigidBody*>(vessel); }
DLLCLBK const char* ModuleDate() noexcept { return "Dec 09 2026"; }
DLLCLBK int GetModuleVersion() noexcept { return 1; }
