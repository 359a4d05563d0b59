#include <cmath>
#include <limits>

#include "tests/support.h"

namespace {

struct Coefficients {
  double lift, moment, drag;
};

class AirfoilTest : public test::HostTest {
protected:
  void SetUp() override { Create(); }

  // Calls the airfoil's coefficient function the way the host does.
  Coefficients At(int airfoil, double angle, double mach = 0.3, double reynolds = 1e6) {
    Coefficients c{};
    host.Vessel("heli")
        .declared.airfoils.at(static_cast<std::size_t>(airfoil))
        .coefficients(angle, mach, reynolds, &c.lift, &c.moment, &c.drag);
    return c;
  }
};

constexpr int kVertical = 0;
constexpr int kHorizontal = 1;
constexpr double kTol = 1e-12;

struct Point {
  double angle_deg, lift, moment;
};

TEST_F(AirfoilTest, VerticalLiftAtTablePointsAndBetween) {
  const Point points[] = {{0, -0.02, 0.0012}, {15, 0.6355, 0},    {7.5, 0.30775, 0.0006},
                          {-180, 0.1, 0},     {180, 0.1, 0},      {-90, 0, 0},
                          {90, 0, 0},         {-30, -0.5, 0.004}, {37.5, 0.545, -0.00095}};
  for (const Point& p : points) {
    const Coefficients c = At(kVertical, p.angle_deg * RAD);
    EXPECT_NEAR(c.lift, p.lift, kTol) << p.angle_deg;
    EXPECT_NEAR(c.moment, p.moment, kTol) << p.angle_deg;
  }
}

TEST_F(AirfoilTest, HorizontalLiftAtTablePointsWithNoMoment) {
  const Point points[] = {{45, 0.3, 0}, {-45, -0.3, 0}, {0, 0, 0},       {90, 0, 0},
                          {-90, 0, 0},  {135, -0.3, 0}, {11.25, 0.1, 0}, {-180, 0, 0}};
  for (const Point& p : points) {
    const Coefficients c = At(kHorizontal, p.angle_deg * RAD);
    EXPECT_NEAR(c.lift, p.lift, kTol) << p.angle_deg;
    EXPECT_EQ(c.moment, 0.0) << p.angle_deg;
  }
}

TEST_F(AirfoilTest, DragIsInducedDragOfTheWrittenLiftPlusZeroLiftDrag) {
  host.journal().Clear();
  const Coefficients v = At(kVertical, 20 * RAD);
  const Coefficients h = At(kHorizontal, 30 * RAD);
  const auto calls = Calls("oapiGetInducedDrag", "-");
  ASSERT_EQ(calls.size(), 2u) << "one induced-drag query per call";
  EXPECT_EQ(calls[0], "oapiGetInducedDrag(" + vsim::FormatNumber(v.lift) + ", 2.266, 0.6)");
  EXPECT_EQ(calls[1], "oapiGetInducedDrag(" + vsim::FormatNumber(h.lift) + ", 1.5, 0.6)");
  EXPECT_NEAR(v.drag, v.lift * v.lift / (PI * 2.266 * 0.6) + 0.06, kTol);
  EXPECT_NEAR(h.drag, h.lift * h.lift / (PI * 1.5 * 0.6) + 0.02, kTol);
}

TEST_F(AirfoilTest, MachAndReynoldsHaveNoInfluence) {
  for (int airfoil : {kVertical, kHorizontal}) {
    const Coefficients a = At(airfoil, 0.3, 0.0, 0.0);
    const Coefficients b = At(airfoil, 0.3, 5.0, 1e9);
    EXPECT_EQ(a.lift, b.lift);
    EXPECT_EQ(a.moment, b.moment);
    EXPECT_EQ(a.drag, b.drag);
  }
}

TEST_F(AirfoilTest, ContinuousAcrossPlusMinus180) {
  const double eps = 1e-9;
  for (int airfoil : {kVertical, kHorizontal}) {
    EXPECT_NEAR(At(airfoil, PI - eps).lift, At(airfoil, -PI + eps).lift, 1e-6);
    EXPECT_NEAR(At(airfoil, PI).lift, At(airfoil, -PI).lift, kTol);
  }
}

TEST_F(AirfoilTest, AnglesOutsideTheCircleExtendTheEndSegment) {
  // Half a step beyond +180: the last segment (-0.1 .. 0.1) continued.
  EXPECT_NEAR(At(kVertical, PI + 7.5 * RAD).lift, 0.2, kTol);
  // Half a step below -180: the first segment (0.1 .. 0.17) continued backwards.
  EXPECT_NEAR(At(kVertical, -PI - 7.5 * RAD).lift, 0.065, kTol);
  EXPECT_NEAR(At(kHorizontal, PI + 22.5 * RAD).lift, 0.2, kTol);
  EXPECT_NEAR(At(kHorizontal, -PI - 22.5 * RAD).lift, -0.2, kTol);
}

TEST_F(AirfoilTest, NonFiniteAndHugeAnglesGiveDefinedResults) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const Coefficients vn = At(kVertical, nan);
  EXPECT_TRUE(std::isnan(vn.lift));
  EXPECT_TRUE(std::isnan(vn.drag));
  const Coefficients hn = At(kHorizontal, nan);
  EXPECT_TRUE(std::isnan(hn.lift));
  EXPECT_TRUE(std::isnan(hn.drag));
  EXPECT_EQ(hn.moment, 0.0);
  // Both end segments of the vertical table rise with the angle.
  EXPECT_EQ(At(kVertical, inf).lift, inf);
  EXPECT_EQ(At(kVertical, -inf).lift, -inf);
  EXPECT_EQ(At(kHorizontal, inf).moment, 0.0);
  const Coefficients huge = At(kVertical, 1e300);
  EXPECT_GT(huge.lift, 1e298);
  EXPECT_EQ(huge.moment, 0.0);
  EXPECT_LT(At(kHorizontal, -1e300).lift, -1e298);
}

}  // namespace
