// The rigid-body physics against closed forms and conservation laws, with
// the built modules loaded and stepped as the host steps them.
#include "sim/physics/rigid_body.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "sim/journal/format.h"
#include "sim/physics/atmosphere.h"
#include "sim/physics/attitude.h"
#include "sim/physics/ground_contact.h"
#include "support.h"

namespace {

constexpr double kG = 9.81;
constexpr double kVacuumAltitude_m = 1e7;  // far above the air, far from the ground

class RigidBodyTest : public test::HostTest {
protected:
  RigidBodyTest() { host.SetIntegrator(&physics); }
  vsim::VesselRecord& Body() {
    Load(false, RIGID_BODY_PATH);
    return Create("body");
  }
  // Every member of the group, as the host sets a group's level.
  void Fire(vsim::VesselRecord& v, THGROUP_TYPE group, double level) {
    for (std::uint32_t i : v.Group(group)->members) v.declared.thrusters[i].level = level;
  }
  vsim::RigidBodyPhysics physics;
};

struct Throw {
  const char* name;
  double speed_mps;
  double heading_rad;
};
class Ballistic : public RigidBodyTest, public ::testing::WithParamInterface<Throw> {};

// Without air the path is the closed form x = x0 + v t, y = y0 - g t^2 / 2.
TEST_P(Ballistic, MatchesTheClosedForm) {
  vsim::VesselRecord& v = Body();
  physics.PlaceAt(v, kVacuumAltitude_m);
  physics.SetHeading(v, GetParam().heading_rad);
  physics.SetForwardSpeed(v, GetParam().speed_mps);
  const VECTOR3 start = v.flight.position;
  constexpr int kSteps = 600;
  Step(kSteps);
  const double t = kSteps * host.BaseStep();
  const double drop = -0.5 * kG * t * t;
  RecordProperty("relative_drop_error",
                 vsim::FormatNumber(std::abs((v.flight.position.y - start.y - drop) / drop)));
  EXPECT_NEAR(v.flight.position.y - start.y, drop, 1e-9 * std::abs(drop));
  EXPECT_NEAR(v.flight.velocity.y, -kG * t, 1e-9 * kG * t);
  const double run = GetParam().speed_mps * t;
  const double east = run * std::sin(GetParam().heading_rad);
  const double north = run * std::cos(GetParam().heading_rad);
  EXPECT_NEAR(v.flight.position.x - start.x, east, 1e-9 * run + 1e-12);
  EXPECT_NEAR(v.flight.position.z - start.z, north, 1e-9 * run + 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Vacuum, Ballistic,
                         ::testing::Values(Throw{"FreeFall", 0, 0}, Throw{"North", 100, 0},
                                           Throw{"SouthWest", 250, 1.25 * PI}),
                         [](const auto& info) { return std::string(info.param.name); });

// Spun about its intermediate axis with a small turn about the largest,
// the body flips; energy and the world's angular momentum stay, and the
// flips come with the period of the Jacobi functions.
TEST_F(RigidBodyTest, TorqueFreeTumbleKeepsItsInvariantsAndFlipsOnTime) {
  vsim::VesselRecord& v = Body();
  constexpr double kStep_s = 0.01;
  constexpr int kSteps = 100'000;
  host.SetBaseStep(kStep_s);
  physics.PlaceAt(v, kVacuumAltitude_m);
  constexpr double kSpin = 1, kPerturbation = 1e-3;
  physics.SetRates(v, {0, kSpin, kPerturbation});  // yaw about y, bank about z

  const double mass = v.Mass();
  const vsim::Vec inertia = mass * vsim::ToEigen(v.declared.pmi);
  auto momentum = [&] {
    return vsim::Vec(vsim::ToEigen(v.flight.attitude) *
                     inertia.cwiseProduct(vsim::ToEigen(v.flight.rates)));
  };
  auto energy = [&] {
    const vsim::Vec w = vsim::ToEigen(v.flight.rates);
    return 0.5 * w.dot(inertia.cwiseProduct(w));
  };
  const vsim::Vec l0 = momentum();
  const double e0 = energy();
  double worst_l = 0, worst_e = 0;
  std::vector<double> flips;
  double previous = v.flight.rates.y;
  for (int i = 1; i <= kSteps; ++i) {
    Step();
    worst_l = std::max(worst_l, (momentum() - l0).norm() / l0.norm());
    worst_e = std::max(worst_e, std::abs(energy() - e0) / e0);
    const double now = v.flight.rates.y;
    if ((now < 0) != (previous < 0)) flips.push_back(i * kStep_s);
    previous = now;
  }
  RecordProperty("worst_momentum_error", vsim::FormatNumber(worst_l));
  RecordProperty("worst_energy_error", vsim::FormatNumber(worst_e));
  EXPECT_LT(worst_l, 1e-6);
  EXPECT_LT(worst_e, 1e-6);

  // I1 < I2 < I3 and L^2 > 2 E I2: the intermediate rate goes as sn.
  const double i1 = inertia.x(), i2 = inertia.y(), i3 = inertia.z();
  const double l2 = l0.squaredNorm(), two_e = 2 * e0;
  const double lambda = std::sqrt((i3 - i2) * (l2 - two_e * i1) / (i1 * i2 * i3));
  const double k = std::sqrt((i2 - i1) * (two_e * i3 - l2) / ((i3 - i2) * (l2 - two_e * i1)));
  const double flip_period = 2 * std::comp_ellint_1(k) / lambda;
  ASSERT_GE(flips.size(), 3u) << "expected period " << flip_period << " s";
  const double measured = (flips.back() - flips.front()) / static_cast<double>(flips.size() - 1);
  RecordProperty("flip_period_s",
                 std::to_string(measured) + " against " + std::to_string(flip_period));
  EXPECT_NEAR(measured, flip_period, 0.01 * flip_period);
}

struct Couple {
  const char* name;
  THGROUP_TYPE group;
  double pitch, yaw, bank;  // the rate it raises, as the pilot reads it
};
class AttitudeGroup : public RigidBodyTest, public ::testing::WithParamInterface<Couple> {};

// Each couple of 2 x 1000 N at 2 m turns the body about one axis only, at
// moment / inertia.
TEST_P(AttitudeGroup, GivesTheRateItsMomentPredicts) {
  vsim::VesselRecord& v = Body();
  physics.PlaceAt(v, kVacuumAltitude_m);
  Fire(v, GetParam().group, 1);
  constexpr int kSteps = 60;
  Step(kSteps);
  const double t = kSteps * host.BaseStep();
  constexpr double kMoment_Nm = 2 * 1000 * 2;
  const VECTOR3 pmi = v.declared.pmi;
  const double m = v.Mass();
  const double expected[3] = {GetParam().pitch * kMoment_Nm / (m * pmi.x) * t,
                              GetParam().yaw * kMoment_Nm / (m * pmi.y) * t,
                              GetParam().bank * kMoment_Nm / (m * pmi.z) * t};
  const double got[3] = {v.flight.PitchRate(), v.flight.YawRate(), v.flight.BankRate()};
  for (int axis = 0; axis < 3; ++axis) {
    const double scale = std::max(std::abs(expected[0] + expected[1] + expected[2]), 1e-12);
    EXPECT_NEAR(got[axis], expected[axis], 0.01 * scale) << "axis " << axis;
  }
}

INSTANTIATE_TEST_SUITE_P(Couples, AttitudeGroup,
                         ::testing::Values(Couple{"PitchUp", THGROUP_ATT_PITCHUP, 1, 0, 0},
                                           Couple{"PitchDown", THGROUP_ATT_PITCHDOWN, -1, 0, 0},
                                           Couple{"YawRight", THGROUP_ATT_YAWRIGHT, 0, 1, 0},
                                           Couple{"YawLeft", THGROUP_ATT_YAWLEFT, 0, -1, 0},
                                           Couple{"BankLeft", THGROUP_ATT_BANKLEFT, 0, 0, 1},
                                           Couple{"BankRight", THGROUP_ATT_BANKRIGHT, 0, 0, -1}),
                         [](const auto& info) { return std::string(info.param.name); });

// The level at which the hover thrust holds the full helicopter's weight,
// found by halving: 3500 kg x 9.81 / 45000 N.
TEST_F(RigidBodyTest, HoverBalancesTheWeightAtTheReadmeLevel) {
  vsim::VesselRecord& v = Create();
  Step();  // the module's first step sets its thrust maxima
  double lo = 0, hi = 1;
  for (int i = 0; i < 40; ++i) {
    const double level = (lo + hi) / 2;
    v.declared.propellants.front().mass = 1500;
    physics.PlaceAt(v, 1000);
    v.flight.velocity = {0, 0, 0};
    Level(THGROUP_HOVER) = level;
    Step();
    (v.flight.velocity.y > 0 ? hi : lo) = level;
  }
  EXPECT_NEAR((lo + hi) / 2, 3500 * kG / 45000, 1e-5);
  EXPECT_NEAR((lo + hi) / 2, 0.76300, 1e-5);
}

struct Drop {
  const char* name;
  double height_m;  // above the resting height
  bool hard, crash;
};
class DropTest : public RigidBodyTest, public ::testing::WithParamInterface<Drop> {};

// Dropped with the gear down it lands, is judged, and comes to rest where
// its wheels put it, less their 1 cm; parked it does not creep.
TEST_P(DropTest, LandsIsJudgedAndRestsWithoutCreeping) {
  vsim::VesselRecord& v = Create();
  const double rest = 4.25 - vsim::kContactCompression_m;
  physics.PlaceAt(v, rest + GetParam().height_m);
  int steps = 0;
  while (!v.readings.ground_contact && steps < 10'000) Step(), ++steps;
  const std::vector<vsim::TouchdownReport> touchdowns = physics.TakeTouchdowns();
  ASSERT_EQ(touchdowns.size(), 1u);
  const vsim::Landing& l = touchdowns[0].landing;
  // Free fall, less what the air took.
  const double free_fall = std::sqrt(2 * kG * GetParam().height_m);
  EXPECT_LE(-l.vspeed, free_fall + kG * host.BaseStep()) << "judged after the step that touched";
  EXPECT_GT(-l.vspeed, 0.9 * free_fall);
  EXPECT_EQ(touchdowns[0].hard, GetParam().hard);
  EXPECT_EQ(l.crash, GetParam().crash);
  Step(5 * 60);
  EXPECT_NEAR(v.readings.altitude, rest, 0.01);
  EXPECT_EQ(v.readings.bank, 0);
  const VECTOR3 parked = v.flight.position;
  Step(60 * 60);
  const double moved = std::hypot(v.flight.position.x - parked.x, v.flight.position.y - parked.y,
                                  v.flight.position.z - parked.z);
  EXPECT_LT(moved, 1e-3);
  EXPECT_TRUE(physics.TakeTouchdowns().empty()) << "no bounce";
}

INSTANTIATE_TEST_SUITE_P(Gear, DropTest,
                         ::testing::Values(Drop{"Soft", 0.3, false, false},
                                           Drop{"Hard", 1.0, true, false},
                                           Drop{"Crash", 30, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A banked touchdown levels onto the landing plane.
TEST_F(RigidBodyTest, ABankedTouchdownLevelsOntoThePlane) {
  vsim::VesselRecord& v = Create();
  physics.PlaceAt(v, 6);
  physics.SetBank(v, 10 * RAD);
  physics.SetPitch(v, 5 * RAD);
  Step(5 * 60);
  ASSERT_TRUE(v.readings.ground_contact);
  const std::vector<vsim::TouchdownReport> touchdowns = physics.TakeTouchdowns();
  ASSERT_FALSE(touchdowns.empty());
  EXPECT_NEAR(touchdowns[0].landing.bank, 10 * RAD, 1e-3);
  EXPECT_NEAR(v.readings.bank, 0, 1e-9);
  EXPECT_NEAR(v.readings.pitch, 0, 1e-9);
  EXPECT_NEAR(v.readings.altitude, 4.25 - vsim::kContactCompression_m, 1e-6);
}

// The helicopter's pitch-up group for 1 s in a hover: 3.0e5 N m on
// 20,440 kg m^2, less its rotational drag and the airfoils' damping.
TEST_F(RigidBodyTest, HelicopterPitchRateUnderItsGroup) {
  vsim::VesselRecord& v = Create();
  Step();
  physics.PlaceAt(v, 1000);
  Level(THGROUP_HOVER) = 0.763;
  Fire(v, THGROUP_ATT_PITCHUP, 1);
  Step(60);
  const double inertia = 3500 * 5.84;
  const double damping = 1.5 * vsim::AirAt(1000).density / vsim::kSeaLevelDensity;
  const double rot_drag_only = 3e5 / inertia / damping * (1 - std::exp(-damping));
  EXPECT_LT(v.flight.PitchRate(), rot_drag_only) << "the airfoils damp too, a little";
  EXPECT_NEAR(v.flight.PitchRate(), rot_drag_only, 0.01 * rot_drag_only);
  EXPECT_NEAR(v.flight.PitchRate(), 8.02, 0.01) << "the README's figure";
}

// The airfoils' coefficient functions run inside the physics' step, not in
// a callback: observed, each call they make is recorded as the world's;
// unobserved, they take the fast path and record nothing.
TEST_F(RigidBodyTest, AirfoilCallsAreRecordedOnlyWhenObserved) {
  vsim::VesselRecord& v = Create();
  Step();
  physics.PlaceAt(v, 1000);
  physics.SetForwardSpeed(v, 50);
  constexpr int kSteps = 30;
  constexpr std::size_t kAirfoils = 2;
  host.journal().enabled = host.journal().keep = true;
  host.journal().Clear();
  Step(kSteps);
  EXPECT_EQ(Calls("oapiGetInducedDrag", "-").size(), kAirfoils * kSteps);
  EXPECT_TRUE(Calls("oapiGetInducedDrag").empty()) << "none is the vessel's own";

  host.journal().enabled = false;
  host.journal().Clear();
  const double before = v.flight.position.z;
  Step(kSteps);
  EXPECT_TRUE(host.journal().Entries().empty());
  EXPECT_GT(v.flight.position.z - before, 0.9 * 50 * kSteps * host.BaseStep()) << "still flying";
  EXPECT_FALSE(host.Faulted());
}

// Full rudder while taxiing: the module's couple far outweighs the wheels'
// friction moment; the host says so once and the state stays finite.
TEST_F(RigidBodyTest, SteeringCoupleSpinsTheTaxiingHelicopterFinitely) {
  vsim::VesselRecord& v = Create();
  physics.SetForwardSpeed(v, 5);
  v.controls.rudder = 1;
  Step(60);
  EXPECT_TRUE(v.readings.ground_contact);
  EXPECT_GT(v.flight.YawRate(), 100);
  const std::vector<std::string> notices = physics.TakeNotices();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].find("the steering couple exceeds the wheels' friction moment"),
            std::string::npos)
      << notices[0];
  Step(600);
  EXPECT_TRUE(std::isfinite(v.flight.YawRate()));
  EXPECT_TRUE(std::isfinite(v.readings.heading));
  EXPECT_TRUE(physics.TakeNotices().empty()) << "told once";
}

}  // namespace
