#include <cmath>
#include <limits>

#include "tests/support.h"
#include "visual/animation_names.h"

namespace {

using test::HostTest;
namespace A = animation_names;

// The module's own order of its animations.
constexpr UINT kNeedleMain = A::kNeedleMain, kNeedleHover = A::kNeedleHover,
               kAirspeed = A::kNeedleAirspeed, kVspeed = A::kNeedleVspeed, kLever = A::kMainLever,
               kFuel = A::kNeedleFuel, kBank = A::kNeedleBank, kCompass = A::kCompass,
               kAoa = A::kNeedleAoa, kAltimeter = A::kNeedleAltitude, kClock1 = A::kClockHand1,
               kClock2 = A::kClockHand2, kClock3 = A::kClockHand3, kRotors = A::kRotors;

class DisplayTest : public HostTest {
protected:
  void SetUp() override {
    Create();
    Airborne();
  }
};

TEST_F(DisplayTest, RotorDrivenByHoverThrustWrapsToZero) {
  Level(THGROUP_HOVER) = 1;
  Place(&VesselState::rotor_phase, 0.5);
  Step();
  EXPECT_DOUBLE_EQ(AnimationState(kRotors), 0.635);
  Place(&VesselState::rotor_phase, 0.9);
  Step();
  EXPECT_EQ(AnimationState(kRotors), 0.0) << "1.035 restarts at 0, not at the remainder";
}

TEST_F(DisplayTest, RotorStandsAtTenMetresPerSecondAndWindmillsAbove) {
  Place(&VesselState::rotor_phase, 0.3);
  Read().airspeed = 10;
  host.journal().Clear();
  Step();
  EXPECT_EQ(AnimationState(kRotors), 0.3);
  EXPECT_EQ(FirstStepWith("SetAnimation(16, 0.3)"), 1) << "a standing rotor is still shown";
  Read().airspeed = 30;
  Step();
  EXPECT_DOUBLE_EQ(AnimationState(kRotors), 0.3 + 0.01 + 0.03);
  Read().airspeed = 60;
  const double before = AnimationState(kRotors);
  Step();
  EXPECT_DOUBLE_EQ(AnimationState(kRotors), before + 0.054) << "the speed term stops at 44 m/s";
  Read().ground_contact = true;
  Step();
  EXPECT_DOUBLE_EQ(AnimationState(kRotors), before + 0.108) << "windmilling on the ground too";
}

TEST_F(DisplayTest, LeverAndNeedlesShowTheThrustLevels) {
  Level(THGROUP_MAIN) = 0.4;
  Level(THGROUP_HOVER) = 0.7;
  Step();
  EXPECT_EQ(AnimationState(kLever), 0.4);
  EXPECT_EQ(AnimationState(kNeedleMain), 0.4);
  EXPECT_EQ(AnimationState(kNeedleHover), 0.7);
}

struct Reading {
  const char* what;
  double value;
  UINT animation;
  double expected;
};

void PrintTo(const Reading& r, std::ostream* out) { *out << r.what << " " << r.value; }

class InstrumentTest : public DisplayTest, public ::testing::WithParamInterface<Reading> {};

TEST_P(InstrumentTest, ShowsItsQuantityClamped) {
  const Reading& r = GetParam();
  const std::string what = r.what;
  if (what == "airspeed-x") Read().airspeed_vector.x = r.value;
  if (what == "airspeed-y") Read().airspeed_vector.y = r.value;
  if (what == "bank") Read().bank = r.value;
  if (what == "heading") Read().heading = r.value;
  if (what == "aoa") Read().aoa = r.value * RAD;
  if (what == "altitude") Read().altitude = r.value;
  if (what == "fuel") host.Vessel("heli").declared.propellants[0].mass = r.value;
  Step();
  EXPECT_NEAR(AnimationState(r.animation), r.expected, 1e-12);
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Readings, InstrumentTest,
    ::testing::Values(
        Reading{"airspeed-x", 150, kAirspeed, 1}, Reading{"airspeed-x", -20, kAirspeed, 0},
        Reading{"airspeed-x", 50, kAirspeed, 0.5}, Reading{"airspeed-y", -5, kVspeed, 0},
        Reading{"airspeed-y", 25, kVspeed, 0.25}, Reading{"bank", 0, kBank, 0.5},
        Reading{"bank", PI, kBank, 1}, Reading{"bank", -3, kBank, 0},
        Reading{"heading", PI, kCompass, PI / 6.2832},
        Reading{"heading", 2 * PI - 1e-5, kCompass, (2 * PI - 1e-5) / 6.2832},
        Reading{"aoa", -5, kAoa, 1}, Reading{"aoa", 15, kAoa, 0.5}, Reading{"aoa", 45, kAoa, 0},
        Reading{"altitude", 9999.9, kAltimeter, 0.0001}, Reading{"altitude", -3.5, kAltimeter, 1},
        Reading{"altitude", 5e12, kAltimeter, 0}, Reading{"altitude", 1500.99, kAltimeter, 0.85},
        Reading{"fuel", 1500, kFuel, 0.308333333333333333},
        Reading{"fuel", 0, kFuel, 0.333333333333333333}, Reading{"airspeed-x", kNaN, kAirspeed, 0},
        Reading{"bank", kNaN, kBank, 0}, Reading{"heading", kNaN, kCompass, 0},
        Reading{"aoa", kNaN, kAoa, 1}, Reading{"altitude", kNaN, kAltimeter, 1},
        Reading{"fuel", kNaN, kFuel, 0}),
    [](const auto& info) {
      std::string name = info.param.what;
      for (char& c : name)
        if (c == '-') c = '_';
      return name + "_" + std::to_string(info.index);
    });

TEST_F(DisplayTest, ClockHandTwoWrapsOnlyAtTheSixty_firstIncrement) {
  Place(&VesselState::clock_hand1, 0.9999);
  for (int i = 0; i < 60; ++i) {
    Place(&VesselState::clock_hand1, 0.9999);
    Step();
  }
  EXPECT_NEAR(AnimationState(kClock2), 60 * 0.016666666, 1e-9);
  EXPECT_LT(AnimationState(kClock2), 1.0);
  EXPECT_EQ(AnimationState(kClock3), 0.0);
  Place(&VesselState::clock_hand1, 0.9999);
  Step();
  EXPECT_EQ(AnimationState(kClock2), 0.0);
  EXPECT_NEAR(AnimationState(kClock3), 0.016666666, 1e-12);
}

TEST_F(DisplayTest, ClockRunsFasterUnderTimeAcceleration) {
  host.SetTimeAcceleration(10);
  Step();
  EXPECT_NEAR(AnimationState(kClock1), 0.002, 1e-15);
  Step();
  EXPECT_NEAR(AnimationState(kClock1), 0.004, 1e-15);
  EXPECT_EQ(AnimationState(kClock3), 0.0);
}

}  // namespace
