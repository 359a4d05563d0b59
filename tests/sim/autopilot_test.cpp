// The host's holds flying the helicopter (and refusing a bare body) with
// the rigid-body physics.
#include "sim/flight/autopilot.h"

#include <gtest/gtest.h>

#include <cmath>

#include "sim/physics/rigid_body.h"
#include "tests/support.h"

namespace {

class AutopilotTest : public ::testing::Test {
protected:
  AutopilotTest() { host.SetIntegrator(&physics); }
  vsim::VesselRecord& Heli(const char* module = MODULE_PATH) {
    host.LoadModule(module);
    return host.CreateVessel("heli", 1);
  }
  void Hold(vsim::Autopilot hold, const char* name, double target = 0) {
    autopilots.Engage(*host.Focus(), vsim::AutopilotCommand{hold, name, target});
  }
  void Step(int n = 1) {
    for (int i = 0; i < n; ++i) {
      autopilots.Apply(host, host.BaseStep() * host.TimeAcceleration());
      host.Step();
    }
  }
  static constexpr int kPerSecond = 60;

  test::ScratchDirectory scratch;
  vsim::Host host;
  vsim::RigidBodyPhysics physics;
  vsim::Autopilots autopilots{vsim::PhysicsConstants{}.gravity};
};

TEST_F(AutopilotTest, AltitudeHoldKeepsFiftyMetresWithinHalfAMetre) {
  vsim::VesselRecord& v = Heli();
  Hold(vsim::Autopilot::kLevel, "level");
  Hold(vsim::Autopilot::kAltitude, "altitude", 50);
  int steps = 0;
  while (std::abs(v.readings.altitude - 50) > 0.1 && steps < 120 * kPerSecond) Step(), ++steps;
  ASSERT_LT(steps, 120 * kPerSecond) << "never reached 50 m: " << v.readings.altitude;
  double worst = 0;
  for (int i = 0; i < 60 * kPerSecond; ++i) {
    Step();
    worst = std::max(worst, std::abs(v.readings.altitude - 50));
  }
  RecordProperty("worst_deviation_m", std::to_string(worst));
  EXPECT_LT(worst, 0.5);
}

TEST_F(AutopilotTest, LevelHoldTakesOutABankOfTwentyDegreesWithinTenSeconds) {
  vsim::VesselRecord& v = Heli();
  physics.PlaceAt(v, 100);
  Hold(vsim::Autopilot::kAltitude, "altitude", 100);
  Hold(vsim::Autopilot::kLevel, "level");
  physics.SetBank(v, 20 * RAD);
  int steps = 0;
  while (std::abs(v.readings.bank) >= 1 * RAD && steps < 30 * kPerSecond) Step(), ++steps;
  RecordProperty("seconds_to_level", std::to_string(steps / double{kPerSecond}));
  EXPECT_LT(steps, 10 * kPerSecond);
  Step(5 * kPerSecond);
  EXPECT_LT(std::abs(v.readings.bank), 1 * RAD) << "and stays level";
}

TEST_F(AutopilotTest, HeadingHoldTurnsTheHelicopterInTheAir) {
  vsim::VesselRecord& v = Heli();
  physics.PlaceAt(v, 100);
  Hold(vsim::Autopilot::kAltitude, "altitude", 100);
  Hold(vsim::Autopilot::kLevel, "level");
  Hold(vsim::Autopilot::kHeading, "heading", PI / 2);
  Step(20 * kPerSecond);
  EXPECT_NEAR(v.readings.heading, PI / 2, 1 * RAD);
  EXPECT_NEAR(v.readings.altitude, 100, 0.5);
}

TEST_F(AutopilotTest, VerticalSpeedHoldAndTheHoverThrottleOverridingIt) {
  vsim::VesselRecord& v = Heli();
  physics.PlaceAt(v, 500);
  Hold(vsim::Autopilot::kVerticalSpeed, "vspeed", -2);
  Step(20 * kPerSecond);
  EXPECT_NEAR(v.flight.VerticalSpeed(), -2, 0.05);
  v.GroupMember(THGROUP_HOVER)->level = 1;
  autopilots.Commanded(v, THGROUP_HOVER);
  Step(2 * kPerSecond);
  EXPECT_EQ(v.GroupMember(THGROUP_HOVER)->level, 1) << "the last command on a group wins";
  EXPECT_GT(v.flight.VerticalSpeed(), 0);
}

TEST_F(AutopilotTest, KillRotationStopsATumble) {
  vsim::VesselRecord& v = Heli();
  physics.PlaceAt(v, 1000);
  physics.SetRates(v, {0.5, -0.4, 0.3});
  Hold(vsim::Autopilot::kAltitude, "altitude", 1000);
  Hold(vsim::Autopilot::kKillRotation, "killrot");
  Step(10 * kPerSecond);
  EXPECT_LT(
      std::abs(v.flight.PitchRate()) + std::abs(v.flight.YawRate()) + std::abs(v.flight.BankRate()),
      1e-3);
}

TEST_F(AutopilotTest, AHoldWithoutItsGroupsIsRefusedWithTheReason) {
  Heli(RIGID_BODY_PATH);
  try {
    Hold(vsim::Autopilot::kAltitude, "altitude", 50);
    FAIL() << "no hover group, yet the hold was taken";
  } catch (const vsim::HoldError& e) {
    EXPECT_STREQ(e.what(), "hold altitude: heli has no hover thrusters");
  }
  EXPECT_NO_THROW(Hold(vsim::Autopilot::kKillRotation, "killrot")) << "it has its couples";
}

}  // namespace
