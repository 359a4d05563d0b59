#include <algorithm>
#include <cmath>

#include "tests/support.h"

namespace {

using test::HostTest;
using test::V;

// The calls clbkSetClassCaps made, from SetSize to the last mesh call.
std::vector<std::string> ClassCapsCalls(vsim::Host& host, const std::string& vessel) {
  const auto all = host.journal().Calls(vessel);
  const auto first = std::find(all.begin(), all.end(), "SetSize(8)");
  const auto last = std::find(all.begin(), all.end(), "SetMeshVisibilityMode(1, 2)");
  if (first == all.end() || last == all.end()) return {};
  return {first, last + 1};
}

const char kExhaust[] =
    "{flags=0, srcsize=0.2, srcrate=125, v0=15, srcspread=0.015, lifetime=0.1, growthrate=1, "
    "atmslowdown=1, ltype=1, levelmap=4, lmin=0, lmax=2, atmsmap=2, amin=0.0001, amax=1, "
    "tex=null}";

std::string Thruster(const std::string& pos, const std::string& dir, int max) {
  return "CreateThruster(" + pos + ", " + dir + ", " + std::to_string(max) +
         ", propellant#1, 50000, 0, 101400)";
}

std::vector<std::string> ExpectedClassCaps(bool realistic) {
  std::vector<std::string> calls = {"SetSize(8)",
                                    "SetEmptyMass(2000)",
                                    "SetCW(0.09, 0.09, 2, 1.5)",
                                    "SetWingAspect(6.98)",
                                    "SetWingEffectiveness(2.5)",
                                    "SetCrossSections((8.03, 26.06, 8.36))",
                                    "SetRotDrag((1.5, 1.5, 1.5))",
                                    "GetFlightModel()"};
  if (realistic) {
    calls.push_back("SetPitchMomentScale(1e-07)");
    calls.push_back("SetBankMomentScale(1e-07)");
  }
  const std::vector<std::string> rest = {
      "SetPMI((5.84, 10.73, 7.85))",
      "SetTrimScale(0.05)",
      "SetCameraOffset((0, 0, 0))",
      "SetTouchdownPoints((0, -4.25, 7.068734), (-2, -4.25, 0.9311422), (2, -4.25, 0.9311422))",
      "CreateAirfoil(0, (0, 0, -0.5), function#1, 0.86, 5.16, 6.98)",
      "CreateAirfoil(1, (0, 0, -4), function#2, 0.86, 5.16, 6.98)",
      "CreateVariableDragElement(&1, 0.8, (0, -1, 0))",
      "CreatePropellantResource(1500, -1, 1)",
      Thruster(V(0, 0, 0), V(0, 0, 1), 25000),
      "CreateThrusterGroup([thruster#1], 1, 0)",
      "AddExhaustStream(thruster#1, (-0.6395, -1.1028, 2.5622), " + std::string(kExhaust) + ")",
      "AddExhaustStream(thruster#1, (0.6395, -1.1028, 2.5622), " + std::string(kExhaust) + ")",
      Thruster(V(0, 0, 0), V(0, 1, 0), 45000),
      "CreateThrusterGroup([thruster#2], 1, 2)",
  };
  calls.insert(calls.end(), rest.begin(), rest.end());
  struct Att {
    VECTOR3 pos, dir;
  };
  const Att attitude[14] = {
      {{1, 0, 3}, {0, 1, 0}},   {{1, 0, 3}, {0, -1, 0}},   {{-1, 0, 3}, {0, 1, 0}},
      {{-1, 0, 3}, {0, -1, 0}}, {{1, 0, -3}, {0, 1, 0}},   {{1, 0, -3}, {0, -1, 0}},
      {{-1, 0, -3}, {0, 1, 0}}, {{-1, 0, -3}, {0, -1, 0}}, {{1, 0, 3}, {-1, 0, 0}},
      {{-1, 0, 3}, {1, 0, 0}},  {{1, 0, -3}, {-1, 0, 0}},  {{-1, 0, -3}, {1, 0, 0}},
      {{0, 0, -3}, {0, 0, 1}},  {{0, 0, 3}, {0, 0, -1}}};
  for (const Att& a : attitude)
    calls.push_back(Thruster(vsim::FormatVector(a.pos), vsim::FormatVector(a.dir), 25000));
  // Attitude thruster n is thruster#(n + 3).
  const char* groups[] = {"[thruster#3, thruster#5, thruster#8, thruster#10], 4, 3",
                          "[thruster#4, thruster#6, thruster#7, thruster#9], 4, 4",
                          "[thruster#3, thruster#7, thruster#6, thruster#10], 4, 7",
                          "[thruster#4, thruster#8, thruster#5, thruster#9], 4, 8",
                          "[thruster#3, thruster#7, thruster#5, thruster#9], 4, 11",
                          "[thruster#4, thruster#8, thruster#6, thruster#10], 4, 12",
                          "[thruster#11, thruster#14], 2, 5",
                          "[thruster#12, thruster#13], 2, 6",
                          "[thruster#11, thruster#13], 2, 10",
                          "[thruster#12, thruster#14], 2, 9",
                          "[thruster#15], 1, 13",
                          "[thruster#16], 1, 14"};
  for (const char* g : groups) calls.push_back("CreateThrusterGroup(" + std::string(g) + ")");
  const std::string beacon_tail =
      ", size=0.4, falloff=0.6, period=1.13, duration=0.05, tofs=0.6, active=false})";
  calls.push_back("AddBeacon({shape=2, pos=(0, 0.238665, 2.220898), col=(0.938, 0.074, 0.117)" +
                  beacon_tail);
  calls.push_back("AddBeacon({shape=2, pos=(0, 0.277865, -5.783546), col=(0.043, 0.586, 0.043)" +
                  beacon_tail);
  calls.push_back("AddMesh(mesh#1)");
  calls.push_back("AddMesh(mesh#2, (0, 0.2, 4.5))");
  calls.push_back("SetMeshVisibilityMode(1, 2)");
  return calls;
}

TEST_F(HostTest, ClassCapsDeclaresTheHelicopterInOrderRealisticModel) {
  Create("heli", 1);
  EXPECT_EQ(ClassCapsCalls(host, "heli"), ExpectedClassCaps(true));
}

TEST_F(HostTest, ClassCapsEasyModelKeepsTheHostsMomentScales) {
  Create("heli", 0);
  EXPECT_EQ(ClassCapsCalls(host, "heli"), ExpectedClassCaps(false));
}

TEST_F(HostTest, ClassConfigurationFileChangesNothing) {
  Load();
  host.CreateVessel("plain", 1, "");
  host.CreateVessel("configured", 1, "Size = 99\nMass = 1\nEmptyMass = 5\n");
  EXPECT_EQ(ClassCapsCalls(host, "plain"), ClassCapsCalls(host, "configured"));
  EXPECT_FALSE(ClassCapsCalls(host, "configured").empty());
}

TEST_F(HostTest, FreshHelicopterHasFullTankBeaconsOffAndCockpitMeshInside) {
  vsim::VesselRecord& heli = Create();
  EXPECT_EQ(heli.FuelMass(), 1500.0);
  ASSERT_EQ(heli.declared.beacons.size(), 2u);
  EXPECT_FALSE(heli.declared.beacons[0]->active);
  EXPECT_FALSE(heli.declared.beacons[1]->active);
  ASSERT_EQ(heli.declared.meshes.size(), 2u);
  EXPECT_EQ(heli.declared.meshes[0].visibility, MESHVIS_EXTERNAL);
  EXPECT_FALSE(heli.declared.meshes[0].offset.has_value());
  EXPECT_EQ(heli.declared.meshes[1].visibility, MESHVIS_COCKPIT);
  ASSERT_EQ(heli.declared.drag_elements.size(), 1u);
  EXPECT_EQ(*heli.declared.drag_elements[0].level, 1.0);
  EXPECT_EQ(heli.declared.thrusters.size(), 16u);
  for (const vsim::Thruster& t : heli.declared.thrusters) EXPECT_EQ(t.resource, 0u);
}

// The thrusters of a group, as the host keeps them.
std::vector<const vsim::Thruster*> Members(const vsim::ThrusterGroup& group) {
  const vsim::VesselRecord& heli = *vsim::ActiveHost()->Vessels().front();
  std::vector<const vsim::Thruster*> members;
  for (std::uint32_t i : group.members) members.push_back(&heli.declared.thrusters.at(i));
  return members;
}

// Moment of a thruster group about the centre of mass: sum of r x F.
VECTOR3 Moment(const vsim::ThrusterGroup& group) {
  VECTOR3 m{0, 0, 0};
  for (const vsim::Thruster* t : Members(group)) {
    const VECTOR3 f{t->dir.x * t->max0, t->dir.y * t->max0, t->dir.z * t->max0};
    m.x += t->pos.y * f.z - t->pos.z * f.y;
    m.y += t->pos.z * f.x - t->pos.x * f.z;
    m.z += t->pos.x * f.y - t->pos.y * f.x;
  }
  return m;
}

VECTOR3 NetForce(const vsim::ThrusterGroup& group) {
  VECTOR3 f{0, 0, 0};
  for (const vsim::Thruster* t : Members(group)) {
    f.x += t->dir.x * t->max0;
    f.y += t->dir.y * t->max0;
    f.z += t->dir.z * t->max0;
  }
  return f;
}

TEST_F(HostTest, AttitudeGroupsPushTheWayTheirNamesSay) {
  vsim::VesselRecord& heli = Create();
  const auto* pitch_up = heli.Group(THGROUP_ATT_PITCHUP);
  const auto* bank_left = heli.Group(THGROUP_ATT_BANKLEFT);
  const auto* yaw_left = heli.Group(THGROUP_ATT_YAWLEFT);
  ASSERT_TRUE(pitch_up && bank_left && yaw_left);
  for (const vsim::Thruster* t : Members(*pitch_up))  // nose pair up, tail pair down
    EXPECT_GT(t->dir.y * t->pos.z, 0) << vsim::FormatVector(t->pos);
  for (const vsim::Thruster* t : Members(*bank_left))  // right pair up, left pair down
    EXPECT_GT(t->dir.y * t->pos.x, 0) << vsim::FormatVector(t->pos);
  for (const vsim::Thruster* t : Members(*yaw_left))  // nose left, tail right
    EXPECT_LT(t->dir.x * t->pos.z, 0) << vsim::FormatVector(t->pos);
  // Rotation groups turn without pushing, and each has an opposite.
  const std::pair<THGROUP_TYPE, THGROUP_TYPE> opposites[] = {
      {THGROUP_ATT_PITCHUP, THGROUP_ATT_PITCHDOWN},
      {THGROUP_ATT_BANKLEFT, THGROUP_ATT_BANKRIGHT},
      {THGROUP_ATT_YAWLEFT, THGROUP_ATT_YAWRIGHT}};
  for (const auto& [a, b] : opposites) {
    const VECTOR3 fa = NetForce(*heli.Group(a));
    EXPECT_EQ(fa.x, 0);
    EXPECT_EQ(fa.y, 0);
    EXPECT_EQ(fa.z, 0);
    const VECTOR3 ma = Moment(*heli.Group(a));
    const VECTOR3 mb = Moment(*heli.Group(b));
    EXPECT_EQ(ma.x, -mb.x);
    EXPECT_EQ(ma.y, -mb.y);
    EXPECT_EQ(ma.z, -mb.z);
    EXPECT_GT(std::abs(ma.x) + std::abs(ma.y) + std::abs(ma.z), 0);
  }
  // Translation groups push without turning.
  for (THGROUP_TYPE t : {THGROUP_ATT_UP, THGROUP_ATT_DOWN, THGROUP_ATT_LEFT, THGROUP_ATT_RIGHT}) {
    const VECTOR3 m = Moment(*heli.Group(t));
    EXPECT_EQ(m.x, 0);
    EXPECT_EQ(m.y, 0);
    EXPECT_EQ(m.z, 0);
  }
  EXPECT_GT(NetForce(*heli.Group(THGROUP_ATT_UP)).y, 0);
  EXPECT_LT(NetForce(*heli.Group(THGROUP_ATT_LEFT)).x, 0);
  EXPECT_GT(NetForce(*heli.Group(THGROUP_ATT_FORWARD)).z, 0);
}

}  // namespace
