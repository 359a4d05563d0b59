#include <algorithm>
#include <cmath>
#include <limits>

#include "tests/support.h"

namespace {

using test::HostTest;

bool Has(const std::vector<std::string>& calls, const std::string& call) {
  return std::find(calls.begin(), calls.end(), call) != calls.end();
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST_F(HostTest, NullHandlesFromTheHostArePassedOnUnchanged) {
  Load();
  Faults().NullHandles(true);
  Create();
  EXPECT_TRUE(Has(Calls("CreateThrusterGroup"), "CreateThrusterGroup([null], 1, 0)"));
  EXPECT_TRUE(Has(Calls("AddMesh"), "AddMesh(null)"));
  ASSERT_EQ(Calls("AddExhaustStream").size(), 2u);
  EXPECT_EQ(Calls("AddExhaustStream")[0].rfind("AddExhaustStream(null, ", 0), 0u);
  EXPECT_TRUE(EndsWith(Calls("AddAnimationComponent")[1], "}, null)"))
      << "the nose wheel's parent is the null the host returned";
  Airborne(100, 20);
  Key(OAPI_KEY_G);
  Key(OAPI_KEY_K);
  Key(OAPI_KEY_W);
  host.LoadCockpit("heli");
  host.DeliverCockpitEvent("heli", 4, PANEL_MOUSE_LBDOWN);
  host.journal().Clear();
  Step(3);
  EXPECT_TRUE(Has(Calls("SetThrusterMax0"), "SetThrusterMax0(null, 25000)"));
  EXPECT_TRUE(Has(Calls("GetThrusterLevel"), "GetThrusterLevel(null)"));
  EXPECT_DOUBLE_EQ(*host.Vessel("heli").declared.drag_elements[0].level, 1 - 3 * 0.00242)
      << "the step still carries out the commands";
  EXPECT_TRUE(host.Faults().empty()) << "a null the host handed out is passed back quietly";
  EXPECT_EQ(host.Vessel("heli").FuelMass(), 1500);
}

struct BadReading {
  const char* name;
  double value;
};

void PrintTo(const BadReading& r, std::ostream* out) { *out << r.name; }

// Whatever the host reports within the ranges of its quantities, and for a
// NaN anywhere, every state the module hands over stays in 0..1.
class ReadingFaultTest : public HostTest, public ::testing::WithParamInterface<BadReading> {};

TEST_P(ReadingFaultTest, AnimationStatesStayInRange) {
  const double bad = GetParam().value;
  Create();
  vsim::Readings& r = Read();
  for (bool ground : {false, true}) {
    r.ground_contact = ground;
    r.altitude = r.airspeed = r.aoa = r.bank = bad;
    r.airspeed_vector = {bad, bad, bad};
    // Heading (0..2pi) and rudder (-1..1) have ranges of their own; only a
    // NaN stands in for them.
    const bool nan = std::isnan(bad);
    r.heading = nan ? bad : 1.0;
    host.Vessel("heli").controls.rudder = nan ? bad : 0.5;
    Key(OAPI_KEY_G);
    Step(5);
    for (std::size_t i = 0; i < host.Vessel("heli").declared.animations.size(); ++i) {
      const double state = AnimationState(static_cast<UINT>(i));
      EXPECT_GE(state, 0.0) << "animation " << i << " ground " << ground;
      EXPECT_LE(state, 1.0) << "animation " << i << " ground " << ground;
    }
    EXPECT_TRUE(std::isfinite(*host.Vessel("heli").declared.drag_elements[0].level));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Readings, ReadingFaultTest,
    ::testing::Values(BadReading{"NaN", std::numeric_limits<double>::quiet_NaN()},
                      BadReading{"Huge", 1e300}, BadReading{"HugeNegative", -1e300}),
    [](const auto& info) { return std::string(info.param.name); });

// The thrust needles, the main lever and the compass show levels and a
// heading the host reports outside their ranges at the end of their dials,
// never as a state the host must refuse.
struct HostileAnswer {
  const char* name;
  vsim::Query query;
  double value;
};

void PrintTo(const HostileAnswer& a, std::ostream* out) { *out << a.name; }

class HostileAnswerTest : public HostTest, public ::testing::WithParamInterface<HostileAnswer> {};

TEST_P(HostileAnswerTest, ShowsOnTheDialAndPassesNothingNonFinite) {
  Create();
  Step();
  Faults().Override(GetParam().query, GetParam().value);
  Step(3);
  EXPECT_TRUE(host.Faults().empty()) << host.Faults().front().text;
  for (std::size_t i = 0; i < host.Vessel("heli").declared.animations.size(); ++i) {
    const double state = AnimationState(static_cast<UINT>(i));
    EXPECT_TRUE(state >= 0.0 && state <= 1.0) << "animation " << i << " at " << state;
  }
}

constexpr double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Answers, HostileAnswerTest,
    ::testing::Values(HostileAnswer{"ThrusterLevelNaN", vsim::Query::kThrusterLevel,
                                    std::numeric_limits<double>::quiet_NaN()},
                      HostileAnswer{"ThrusterLevelInfinite", vsim::Query::kThrusterLevel, kInf},
                      HostileAnswer{"ThrusterLevelNegativeInfinite", vsim::Query::kThrusterLevel,
                                    -kInf},
                      HostileAnswer{"ThrusterLevelHuge", vsim::Query::kThrusterLevel, 1e300},
                      HostileAnswer{"FocusHeadingInfinite", vsim::Query::kFocusHeading, kInf},
                      HostileAnswer{"FocusHeadingHuge", vsim::Query::kFocusHeading, 1e300},
                      HostileAnswer{"FocusHeadingNegative", vsim::Query::kFocusHeading, -1.0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
