#include "tests/support.h"

namespace {

using test::HostTest;

class EnvelopeTest : public HostTest {
protected:
  void SetUp() override {
    Create();
    Airborne();
  }
  // The envelope's own settings made in the next step.
  std::vector<std::string> EnvelopeCalls() {
    host.journal().Clear();
    Step();
    std::vector<std::string> out;
    for (const std::string& c : Changes())
      if (c.rfind("SetCW", 0) == 0 || c.rfind("SetThruster", 0) == 0) out.push_back(c);
    return out;
  }
  vsim::Thruster& Main() { return *host.Vessel("heli").GroupMember(THGROUP_MAIN); }
  vsim::Thruster& Hover() { return *host.Vessel("heli").GroupMember(THGROUP_HOVER); }
};

const std::string kBrake = "SetCW(999, 999, 999, 999)";
const std::vector<std::string> kNormal = {
    "SetCW(0.3, 0.3, 0.67, 0.92)", "SetThrusterMax0(thruster#1, 25000)",
    "SetThrusterDir(thruster#1, (0, 0, 1))", "SetThrusterMax0(thruster#2, 45000)"};

TEST_F(EnvelopeTest, SpeedLimitAtExactly100ButNotAt99_9) {
  Read().airspeed = 100;
  EXPECT_EQ(EnvelopeCalls(), (std::vector<std::string>{kBrake, "SetThrusterMax0(thruster#1, 0)"}));
  EXPECT_EQ(Main().max0, 0);
  EXPECT_EQ(Hover().max0, 45000);
  Read().airspeed = 99.9;
  EXPECT_EQ(EnvelopeCalls(), kNormal);
  EXPECT_EQ(Main().max0, 25000);
  EXPECT_EQ(host.Vessel("heli").declared.cw[3], 0.92);
}

TEST_F(EnvelopeTest, CeilingAtExactly5000TakesTheHoverThrust) {
  Read().altitude = 5000;
  EXPECT_EQ(EnvelopeCalls(), (std::vector<std::string>{kBrake, "SetThrusterMax0(thruster#2, 0)"}));
  EXPECT_EQ(Hover().max0, 0);
  EXPECT_EQ(Main().max0, 25000) << "the main thruster keeps its last maximum";
  EXPECT_EQ(host.Vessel("heli").declared.cw[0], 999);
  EXPECT_EQ(EnvelopeCalls(), (std::vector<std::string>{kBrake, "SetThrusterMax0(thruster#2, 0)"}));
  Read().altitude = 4999.99;
  EXPECT_EQ(EnvelopeCalls(), kNormal);
  EXPECT_EQ(Hover().max0, 45000);
}

TEST_F(EnvelopeTest, OnTheGroundBelowBothLimitsTheNormalConfigurationWins) {
  Read().ground_contact = true;
  Read().altitude = 0;
  std::vector<std::string> expected = {kBrake, "SetThrusterMax0(thruster#1, 0)"};
  expected.insert(expected.end(), kNormal.begin(), kNormal.end());
  EXPECT_EQ(EnvelopeCalls(), expected);
  EXPECT_EQ(Main().max0, 25000);
  EXPECT_EQ(host.Vessel("heli").declared.cw[2], 0.67);
}

TEST_F(EnvelopeTest, OnTheGroundAboveALimitRuleOneLasts) {
  Read().ground_contact = true;
  Read().altitude = 5000;
  EXPECT_EQ(EnvelopeCalls(), (std::vector<std::string>{kBrake, "SetThrusterMax0(thruster#1, 0)",
                                                       kBrake, "SetThrusterMax0(thruster#2, 0)"}));
  EXPECT_EQ(Main().max0, 0);
  EXPECT_EQ(Hover().max0, 0);
  Read().altitude = 0;
  Read().airspeed = 100;
  EXPECT_EQ(EnvelopeCalls(), (std::vector<std::string>{kBrake, "SetThrusterMax0(thruster#1, 0)",
                                                       kBrake, "SetThrusterMax0(thruster#1, 0)"}));
}

TEST_F(EnvelopeTest, ReverseThrustWaitsUntilBelowTheSpeedLimit) {
  Read().airspeed = 120;
  ASSERT_EQ(Key(OAPI_KEY_B), 1);
  EnvelopeCalls();
  EXPECT_EQ(Main().dir.z, 1) << "above the limit the direction keeps its last setting";
  Read().airspeed = 99;
  const auto calls = EnvelopeCalls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[2], "SetThrusterDir(thruster#1, (0, 0, -1))");
  EXPECT_EQ(Main().dir.z, -1);
  ASSERT_EQ(Key(OAPI_KEY_F), 1);
  EnvelopeCalls();
  EXPECT_EQ(Main().dir.z, 1);
}

TEST_F(EnvelopeTest, TimeAccelerationCappedAboveTen) {
  host.SetTimeAcceleration(10);
  host.journal().Clear();
  Step();
  EXPECT_TRUE(Calls("oapiSetTimeAcceleration").empty());
  EXPECT_EQ(host.TimeAcceleration(), 10);
  host.SetTimeAcceleration(10.5);
  host.journal().Clear();
  Step();
  EXPECT_EQ(Calls("oapiSetTimeAcceleration"),
            std::vector<std::string>{"oapiSetTimeAcceleration(10)"});
  EXPECT_EQ(host.TimeAcceleration(), 10);
  EXPECT_EQ(Changes().front(), "oapiSetTimeAcceleration(10)") << "the cap is the first stage";
}

TEST_F(EnvelopeTest, RefuelFillsTheTankAtTheEndOfTheStepOnce) {
  host.Vessel("heli").declared.propellants[0].mass = 200;
  ASSERT_EQ(Key(OAPI_KEY_W), 1);
  ASSERT_EQ(Key(OAPI_KEY_W), 1);
  host.journal().Clear();
  Step();
  EXPECT_EQ(Changes().back(), "SetFuelMass(1500)");
  EXPECT_EQ(Calls("SetFuelMass"), std::vector<std::string>{"SetFuelMass(1500)"})
      << "two requests, one refill";
  EXPECT_EQ(host.Vessel("heli").FuelMass(), 1500);
  // The gauge of that step still showed the old mass; the next shows the refill.
  EXPECT_DOUBLE_EQ(AnimationState(8), (20000.0 - 200) / 20000 / 3);
  host.journal().Clear();
  Step();
  EXPECT_TRUE(Calls("SetFuelMass").empty());
  EXPECT_DOUBLE_EQ(AnimationState(8), (20000.0 - 1500) / 20000 / 3);
}

TEST_F(EnvelopeTest, StagesRunInTheirFixedOrder) {
  Read().ground_contact = true;
  Read().altitude = 0;
  Read().airspeed = 5;
  Read().bank = 0;
  Read().aoa = 0;
  host.Vessel("heli").controls.rudder = 0.5;
  Level(THGROUP_MAIN) = 0.2;
  Level(THGROUP_HOVER) = 0.5;
  Key(OAPI_KEY_W);
  host.journal().Clear();
  Step();
  const std::vector<std::string> expected = {
      kBrake,
      "SetThrusterMax0(thruster#1, 0)",
      kNormal[0],
      kNormal[1],
      kNormal[2],
      kNormal[3],
      "AddForce((1500000, 0, 0), (0, 0, 3.33))",
      "AddForce((-1500000, 0, 0), (0, 0, -3.33))",
      "SetSurfaceFrictionCoeff(0.25, 0.65)",
      "SetTouchdownPoints((0, -4.25, 7.068734), (-2, -4.25, 0.9311422), (2, -4.25, 0.9311422))",
      "SetAnimation(1, " + vsim::FormatNumber(5.0 / 300) + ")",               // wheels
      "SetAnimation(0, 0.75)",                                                // nose wheel
      "SetAnimation(16, " + vsim::FormatNumber(0.1 * 0.5 + 0.035 + 0) + ")",  // rotor
      "SetAnimation(7, 0.2)",                                                 // lever
      "SetAnimation(3, 0.2)",
      "SetAnimation(4, 0.5)",  // needles
      "SetAnimation(5, 0)",
      "SetAnimation(6, 0)",
      "SetAnimation(9, 0.5)",
      "SetAnimation(10, 0)",
      "SetAnimation(11, 1)",
      "SetAnimation(12, 1)",
      "SetAnimation(13, 0.0002)",
      "SetAnimation(14, 0)",
      "SetAnimation(15, 0)",
      "SetAnimation(8, " + vsim::FormatNumber((20000.0 - 1500) / 20000 / 3) + ")",
      "SetFuelMass(1500)"};
  EXPECT_EQ(Changes(), expected);
}

TEST_F(EnvelopeTest, InstrumentsQueryTheHostInTheirOrder) {
  host.journal().Clear();
  Step();
  const auto all = Calls("");
  const auto start = std::find(all.begin(), all.end(), "oapiGetFocusAirspeedVector()");
  ASSERT_NE(start, all.end());
  std::vector<std::string> names;
  for (auto it = start; it != all.end(); ++it) names.push_back(it->substr(0, it->find('(')));
  const std::vector<std::string> expected = {"oapiGetFocusAirspeedVector",
                                             "SetAnimation",
                                             "SetAnimation",
                                             "GetBank",
                                             "SetAnimation",
                                             "oapiGetFocusHeading",
                                             "SetAnimation",
                                             "GetAOA",
                                             "SetAnimation",
                                             "GetAltitude",
                                             "SetAnimation",
                                             "oapiGetTimeAcceleration",
                                             "SetAnimation",
                                             "SetAnimation",
                                             "SetAnimation",
                                             "GetFuelMass",
                                             "SetAnimation"};
  EXPECT_EQ(names, expected);
}

}  // namespace
