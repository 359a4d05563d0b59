#include <algorithm>
#include <limits>

#include "tests/support.h"

namespace {

using test::HostTest;

const std::string kGearDown =
    "SetTouchdownPoints((0, -4.25, 7.068734), (-2, -4.25, 0.9311422), (2, -4.25, 0.9311422))";
const std::string kBelly =
    "SetTouchdownPoints((0, -3.79355, 7.068734), (-2, -3.79355, 0.9311422), (2, -3.79355, "
    "0.9311422))";

class GearTest : public HostTest {
protected:
  void SetUp() override {
    Create();
    Airborne();
  }
  void Airborne() { HostTest::Airborne(50, 20); }
  void OnGround(double airspeed) {
    Read().ground_contact = true;
    Read().altitude = 0;
    Read().airspeed = airspeed;
  }
  std::vector<std::string> StepChanges(const char* prefix) {
    host.journal().Clear();
    Step();
    std::vector<std::string> out;
    for (const std::string& c : Changes())
      if (c.rfind(prefix, 0) == 0) out.push_back(c);
    return out;
  }
  double DragLevel() { return *host.Vessel("heli").declared.drag_elements.at(0).level; }
};

TEST_F(GearTest, FullRetractionEndsInStep414AtTimeAccelerationOne) {
  ASSERT_EQ(Key(OAPI_KEY_G), 1);
  host.journal().Clear();
  Step(420);
  EXPECT_EQ(FirstStepWith("SetAnimation(2, 1)"), 414);
  EXPECT_EQ(DragLevel(), 0.0);
  EXPECT_EQ(AnimationState(2), 1.0);
  int gear_calls = 0;
  for (const std::string& c : Calls("SetAnimation"))
    gear_calls += c.rfind("SetAnimation(2,", 0) == 0;
  EXPECT_EQ(gear_calls, 414) << "the gear animation stops with the travel";
}

TEST_F(GearTest, FullRetractionEndsInStep42AtTimeAccelerationTen) {
  host.SetTimeAcceleration(10);
  ASSERT_EQ(Key(OAPI_KEY_G), 1);
  host.journal().Clear();
  Step(45);
  EXPECT_EQ(FirstStepWith("SetAnimation(2, 1)"), 42);
  EXPECT_EQ(AnimationState(2), 1.0);
}

TEST_F(GearTest, GearDragFollowsThePositionAsTheHostReadsIt) {
  EXPECT_EQ(DragLevel(), 1.0);
  Key(OAPI_KEY_G);
  Step(100);
  EXPECT_DOUBLE_EQ(DragLevel(), 1.0 - AnimationState(2));
  EXPECT_NEAR(AnimationState(2), 0.242, 1e-12);
}

TEST_F(GearTest, TravelPausesOnTheGroundAndReversesMidTravel) {
  Key(OAPI_KEY_G);
  Step(10);
  const double pos = AnimationState(2);
  OnGround(0);
  host.journal().Clear();
  Step(5);
  EXPECT_EQ(FirstStepWith("SetAnimation(2, " + vsim::FormatNumber(pos + 0.00242) + ")"), 0);
  EXPECT_EQ(AnimationState(2), pos);
  Airborne();
  Step();
  EXPECT_DOUBLE_EQ(AnimationState(2), pos + 0.00242) << "the command waited, it was not dropped";
  Place(&VesselState::gear_pos, 0.6);
  Key(OAPI_KEY_G);
  Step();
  EXPECT_DOUBLE_EQ(AnimationState(2), 0.6 - 0.00242) << "G past halfway lowers the gear";
}

TEST_F(GearTest, RetractionEndsAtExactlyOneFrom0_999AtTimeAccelerationTen) {
  host.SetTimeAcceleration(10);
  Place(&VesselState::gear_pos, 0.999);
  Place(&VesselState::gear_cmd, 1);
  host.journal().Clear();
  Step();
  EXPECT_EQ(AnimationState(2), 1.0);
  const auto calls = Calls("SetAnimation");
  EXPECT_NE(std::find(calls.begin(), calls.end(), "SetAnimation(2, 1)"), calls.end());
  EXPECT_EQ(DragLevel(), 0.0);
  EXPECT_TRUE(StepChanges("SetAnimation(2,").empty()) << "the travel ended there";
}

TEST_F(GearTest, ContactSetsSwitchAtTheThresholds) {
  struct Case {
    double gear_pos;
    std::vector<std::string> expected;
  };
  const Case cases[] = {{0.0, {kGearDown}}, {0.0499, {kGearDown}}, {0.05, {}},     {0.5, {}},
                        {0.95, {}},         {0.9501, {kBelly}},    {1.0, {kBelly}}};
  for (const Case& c : cases) {
    Place(&VesselState::gear_pos, c.gear_pos);
    EXPECT_EQ(StepChanges("SetTouchdownPoints"), c.expected) << c.gear_pos;
  }
  EXPECT_EQ(host.Vessel("heli").declared.touchdown[0].y, -3.79355) << "the last set stays in force";
}

TEST_F(GearTest, SteeringCoupleAndFrictionInsideTheTaxiWindowOnly) {
  host.Vessel("heli").controls.rudder = 1;
  struct Case {
    double airspeed;
    bool couple;
  };
  for (const Case c :
       {Case{0.6, false}, Case{0.61, true}, Case{5, true}, Case{89.9, true}, Case{90, false}}) {
    OnGround(c.airspeed);
    const auto forces = StepChanges("AddForce");
    const auto friction = Calls("SetSurfaceFrictionCoeff");
    if (c.couple) {
      EXPECT_EQ(forces, (std::vector<std::string>{"AddForce((3000000, 0, 0), (0, 0, 3.33))",
                                                  "AddForce((-3000000, 0, 0), (0, 0, -3.33))"}))
          << c.airspeed;
      EXPECT_EQ(friction, std::vector<std::string>{"SetSurfaceFrictionCoeff(0.25, 0.65)"});
    } else {
      EXPECT_TRUE(forces.empty()) << c.airspeed;
      EXPECT_TRUE(friction.empty()) << c.airspeed;
    }
  }
  EXPECT_EQ(*host.Vessel("heli").declared.friction_lat, 0.65);
}

TEST_F(GearTest, CentredRudderStillAddsTwoZeroForces) {
  OnGround(5);
  host.Vessel("heli").controls.rudder = 0;
  EXPECT_EQ(StepChanges("AddForce"),
            (std::vector<std::string>{"AddForce((0, 0, 0), (0, 0, 3.33))",
                                      "AddForce((-0, 0, 0), (0, 0, -3.33))"}));
  EXPECT_EQ(host.Vessel("heli").declared.forces.size(), 2u);
}

TEST_F(GearTest, CoupleSuppressedWhileTheHostReportsMoreThanTenfold) {
  OnGround(5);
  host.Vessel("heli").controls.rudder = 1;
  Faults().DeferTimeAcceleration(true);
  host.SetTimeAcceleration(20);
  EXPECT_TRUE(StepChanges("AddForce").empty());
  EXPECT_EQ(Calls("SetSurfaceFrictionCoeff").size(), 1u) << "friction does not depend on it";
  EXPECT_EQ(StepChanges("AddForce").size(), 2u) << "the cap took effect at the next step";
}

TEST_F(GearTest, NoCoupleOrWheelDisplayAtGearPositionOfExactly0_05) {
  OnGround(5);
  Place(&VesselState::gear_pos, 0.05);
  host.journal().Clear();
  Step();
  EXPECT_TRUE(Calls("AddForce").empty());
  EXPECT_TRUE(Calls("SetSurfaceFrictionCoeff").empty());
  for (const std::string& c : Calls("SetAnimation")) {
    EXPECT_NE(c.rfind("SetAnimation(1,", 0), 0u) << c;
    EXPECT_NE(c.rfind("SetAnimation(0,", 0), 0u) << c;
  }
}

TEST_F(GearTest, WheelPhasePassesOneAndRestarts) {
  OnGround(20);
  Place(&VesselState::wheel_phase, 0.95);
  EXPECT_EQ(
      StepChanges("SetAnimation(1,"),
      std::vector<std::string>{"SetAnimation(1, " + vsim::FormatNumber(0.95 + 20.0 / 300) + ")"});
  EXPECT_EQ(
      StepChanges("SetAnimation(1,"),
      std::vector<std::string>{"SetAnimation(1, " + vsim::FormatNumber(0 + 20.0 / 300) + ")"});
  OnGround(0.6);
  EXPECT_TRUE(StepChanges("SetAnimation(1,").empty());
  OnGround(90);
  const double before = 20.0 / 300;
  Step();
  EXPECT_DOUBLE_EQ(AnimationState(1), before + 0.1) << "the speed counts up to 30 m/s";
  Airborne();
  Read().airspeed = 45;
  EXPECT_TRUE(StepChanges("SetAnimation(1,").empty()) << "in the air the phase is not shown";
  OnGround(30);
  Step();
  EXPECT_DOUBLE_EQ(AnimationState(1), before + 0.3) << "but it went on turning";
}

TEST_F(GearTest, NoseWheelCentredInTheAirSteeredOnTheGround) {
  host.Vessel("heli").controls.rudder = -1;
  EXPECT_EQ(StepChanges("SetAnimation(0,"), std::vector<std::string>{"SetAnimation(0, 0.5)"});
  OnGround(0);
  EXPECT_EQ(StepChanges("SetAnimation(0,"), std::vector<std::string>{"SetAnimation(0, 0)"});
  host.Vessel("heli").controls.rudder = 1;
  EXPECT_EQ(StepChanges("SetAnimation(0,"), std::vector<std::string>{"SetAnimation(0, 1)"});
  Airborne();
  Place(&VesselState::gear_pos, 1.0);
  EXPECT_TRUE(StepChanges("SetAnimation(0,").empty()) << "a retracted gear is left alone";
  Read().airspeed = 0.5;
  Place(&VesselState::gear_pos, 0.5);
  EXPECT_TRUE(StepChanges("SetAnimation(0,").empty());
  EXPECT_EQ(AnimationState(0), 1.0);
}

// The second travel has no animation: nothing of it reaches the host.
TEST_F(GearTest, SecondTravelCallsNothing) {
  host.SetTimeAcceleration(10);
  Key(OAPI_KEY_G);
  host.journal().Clear();
  Step(42);
  EXPECT_EQ(AnimationState(2), 1.0) << "the gear is up, the second travel still moving";
  // A step with the second travel moving changes the host exactly as one
  // without it (only the travel's own ground-contact query is extra).
  auto changed = [this] {
    host.journal().Clear();
    Step();
    std::vector<std::string> names;
    for (const std::string& call : Changes()) names.push_back(call.substr(0, call.find(',')));
    return names;
  };
  const auto travelling = changed();
  Place(&VesselState::aux_gear_cmd, 0);
  EXPECT_EQ(changed(), travelling);
}

// What the host reports as its time acceleration, whatever the module asks.
class HostileTimeAccelerationTest
    : public GearTest,
      public ::testing::WithParamInterface<std::pair<const char*, double>> {
protected:
  void Report(double factor) { Faults().Override(vsim::Query::kTimeAcceleration, factor); }
};

// A factor that is not finite or not positive moves no travel and no hand:
// every state stays where it was, within 0..1.
TEST_P(HostileTimeAccelerationTest, MovesNothing) {
  Key(OAPI_KEY_G);
  Step(5);
  const double gear = AnimationState(2);
  const double clock = AnimationState(13);
  Report(GetParam().second);
  Step(3);
  EXPECT_EQ(AnimationState(2), gear);
  EXPECT_EQ(DragLevel(), 1.0 - gear);
  EXPECT_EQ(AnimationState(13), clock);
  for (const vsim::Animation& a : host.Vessel("heli").declared.animations) {
    EXPECT_GE(a.state, 0.0);
    EXPECT_LE(a.state, 1.0);
  }
}

constexpr double kInf = std::numeric_limits<double>::infinity();
INSTANTIATE_TEST_SUITE_P(
    Factors, HostileTimeAccelerationTest,
    ::testing::Values(std::pair{"nan", std::numeric_limits<double>::quiet_NaN()},
                      std::pair{"infinity", kInf}, std::pair{"minus_infinity", -kInf},
                      std::pair{"minus_1e300", -1e300}, std::pair{"minus_one", -1.0},
                      std::pair{"negative_zero", -0.0}),
    [](const auto& info) { return std::string(info.param.first); });

// A huge factor ends the travel at its end, never beyond it, both ways.
TEST_F(HostileTimeAccelerationTest, HugeFactorStopsTheGearAtItsEnd) {
  Key(OAPI_KEY_G);
  Report(1e300);
  Step();
  EXPECT_EQ(AnimationState(2), 1.0);
  Key(OAPI_KEY_G);
  Step();
  EXPECT_EQ(AnimationState(2), 0.0);
}

}  // namespace
