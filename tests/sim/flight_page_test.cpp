// flight.html from the host's side: what the page's data says of a flight,
// that the page is whole in itself, and that a long run's samples stay
// bounded. The page in a browser is tests/browser/viewer_test.mjs.
#include "sim/outputs/flight_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <string>

#include "sim/flight/runner.h"
#include "sim/outputs/cockpit_layout.h"
#include "sim/outputs/page_series.h"
#include "sim/script/parser.h"
#include "tests/support.h"

namespace {

using nlohmann::json;
using test::ReadFile;

vsim::FlightOptions PageOptions() {
  vsim::FlightOptions options;
  options.module_path = MODULE_PATH;
  options.sound_path = SOUND_PATH;
  options.out_dir = "out";
  options.html = true;
  return options;
}

std::string Fly(const std::string& text, bool html = true) {
  vsim::SetSharedScriptsFolder(SHARED_SCRIPTS_FOLDER);
  vsim::FlightOptions options = PageOptions();
  options.html = html;
  const vsim::FlightResult result = vsim::RunFlight(vsim::ParseScript("f.vsim", text), options);
  EXPECT_TRUE(result.error.empty()) << result.error;
  return html ? ReadFile("out/flight.html") : std::string();
}

// The page's data, from its one data element.
json DataOf(const std::string& page) {
  const std::string open = "<script id=\"flight-data\" type=\"application/json\">";
  const std::size_t from = page.find(open);
  const std::size_t to = page.find("</script>", from);
  if (from == std::string::npos || to == std::string::npos) return json();
  return json::parse(page.substr(from + open.size(), to - from - open.size()));
}

// A series as the page expands it: a run [value, count] is count values.
std::vector<double> Expand(const json& encoded) {
  std::vector<double> values;
  for (const json& x : encoded) {
    if (!x.is_array()) {
      values.push_back(x.is_null() ? NAN : x.get<double>());
      continue;
    }
    const double value = x[0].is_null() ? NAN : x[0].get<double>();
    for (int i = 0; i < x[1].get<int>(); ++i) values.push_back(value);
  }
  return values;
}

const char kTwoVessels[] =
    "include helicopter.vsim\n"
    "vessel one\nvessel two\nfocus two\n"
    "mark \"climbing\" when vspeed > 0.5\n"
    "throttle hover 1\nstep 120\nkey G\nstep 30\n";

TEST(FlightPageTest, DataNamesEveryVesselWithTheFocusFirstFromItsFirstState) {
  test::ScratchDirectory scratch;
  const json data = DataOf(Fly(kTwoVessels));
  ASSERT_TRUE(data.is_object());
  EXPECT_EQ(data["title"], "f.vsim");
  ASSERT_EQ(data["vessels"].size(), 2u);
  EXPECT_EQ(data["vessels"][0]["name"], "two");
  EXPECT_EQ(data["vessels"][1]["name"], "one");
  for (const json& v : data["vessels"]) {
    const std::vector<double> steps = Expand(v["step"]);
    ASSERT_EQ(steps.size(), 151u);
    EXPECT_EQ(steps.front(), 0) << "the state after creation is kept";
    EXPECT_EQ(steps.back(), 150);
    EXPECT_EQ(Expand(v["time"]).size(), steps.size());
    EXPECT_EQ(Expand(v["series"]["altitude"]).size(), steps.size());
    EXPECT_EQ(Expand(v["series"]["timeacc"]), std::vector<double>(steps.size(), 1.0));
    EXPECT_EQ(v["series"]["timeacc"].size(), 1u) << "a value held throughout is one run";
    EXPECT_EQ(v["animations"].size(), std::size_t{animation_names::kCount});
  }
  bool climbing = false;
  for (const json& e : data["events"]) climbing = climbing || e["text"] == "climbing";
  EXPECT_TRUE(climbing);
}

TEST(FlightPageTest, ComponentsAreTheDeclaredOnesWithTheirAnglesAndShifts) {
  test::ScratchDirectory scratch;
  const json heli = DataOf(Fly("include helicopter.vsim\nvessel heli\nstep\n"))["vessels"][0];
  int rotating = 0, translating = 0;
  for (const json& c : heli["components"]) {
    if (c["type"] == "rotate") {
      ++rotating;
      EXPECT_EQ(c["axis"].size(), 3u);
      EXPECT_TRUE(c["angle"].is_number());
    } else {
      ++translating;
      EXPECT_EQ(c["shift"].size(), 3u);
    }
  }
  // The helicopter's rows: one translating gear component, the rest turn.
  EXPECT_EQ(translating, 1);
  EXPECT_EQ(rotating, 28);
  const json compass = heli["components"][21];
  EXPECT_EQ(compass["animation"], animation_names::kCompass);
  EXPECT_NEAR(compass["angle"].get<double>(), -2 * 3.14159265, 1e-5);
}

struct PanelCase {
  const char* name;
  const char* script;
  bool panel;
};

class CockpitPanelTest : public ::testing::TestWithParam<PanelCase> {};

TEST_P(CockpitPanelTest, NamedInstrumentsOnlyForTheHelicoptersNames) {
  test::ScratchDirectory scratch;
  const json cockpit = DataOf(Fly(GetParam().script))["cockpit"];
  ASSERT_TRUE(cockpit.is_array());
  if (!GetParam().panel) {
    EXPECT_TRUE(cockpit.empty());
    return;
  }
  ASSERT_EQ(cockpit.size(), std::size(vsim::kHelicopterPanel));
  EXPECT_EQ(cockpit[0]["title"], "airspeed");
  EXPECT_EQ(cockpit[0]["animations"][0], animation_names::kNeedleAirspeed);
  EXPECT_EQ(cockpit[7]["animations"].size(), 3u) << "the clock's three hands";
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, CockpitPanelTest,
    ::testing::Values(PanelCase{"HelicopterNames", "include helicopter.vsim\nvessel h\nstep\n",
                                true},
                      PanelCase{"NoNames", "vessel h\nstep\n", false},
                      PanelCase{"OtherNames", "name anim 5 speedo\nvessel h\nstep\n", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FlightPageTest, PageIsWholeInItselfAndTextCannotEndItsScripts) {
  test::ScratchDirectory scratch;
  const std::string page =
      Fly("vessel heli\nmark \"</script><img src=x>\" when altitude >= 0\nstep 2\n");
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(page.find("uPlot"), std::string::npos) << "the chart library is in the page";
  EXPECT_NE(page.find("window.flightViewer"), std::string::npos) << "and the page's own code";
  EXPECT_NE(page.find("default-src 'none'"), std::string::npos) << "requests are refused";
  for (const char* outside : {"src=\"", "href=\"", "@DATA@", "//@CHART_SCRIPT@"})
    EXPECT_EQ(page.find(outside), std::string::npos) << outside;
  EXPECT_EQ(page.find("</script><img"), std::string::npos);
  EXPECT_EQ(DataOf(page)["events"][0]["text"], "</script><img src=x>");
}

TEST(FlightPageTest, WrittenOnlyWhenAsked) {
  test::ScratchDirectory scratch;
  Fly("vessel heli\nstep\n", false);
  EXPECT_TRUE(test::Exists("out/flight.csv"));
  EXPECT_FALSE(test::Exists("out/flight.html"));
}

TEST(FlightPageTest, TouchdownsKeepTheirVerticalSpeed) {
  test::ScratchDirectory scratch;
  const json heli =
      DataOf(Fly("vessel heli\nset altitude 10\nhold vspeed -1.5\nrun 15\n"))["vessels"][0];
  ASSERT_EQ(heli["touchdowns"].size(), 1u);
  const json& t = heli["touchdowns"][0];
  EXPECT_NEAR(t["vspeed"].get<double>(), -1.5, 0.3) << "sinking as held when it touched";
  EXPECT_GT(t["time"].get<double>(), 0.0);
  EXPECT_FALSE(t["crash"].get<bool>());
}

// The page's numbers in seven significant digits, written from their
// digits as an integer within 1e-4 .. 1e7 and by the library beyond.
struct PageNumberCase {
  const char* name;
  double value;
  const char* text;
};

class PageNumberTest : public ::testing::TestWithParam<PageNumberCase> {};

TEST_P(PageNumberTest, InSevenSignificantDigits) {
  vsim::PageData data;
  data.vessels.emplace_back();
  data.vessels.back().time.push_back(GetParam().value);
  data.vessels.back().series.resize(vsim::kPageSeriesCount);
  const std::string page = vsim::PageJson(data);
  EXPECT_NE(page.find(std::string("\"time\":[") + GetParam().text + "]"), std::string::npos)
      << page.substr(page.find("\"time\""), 40);
  const double read = DataOf("<script id=\"flight-data\" type=\"application/json\">" + page +
                             "</script>")["vessels"][0]["time"][0]
                          .get<double>();
  EXPECT_NEAR(read, GetParam().value, std::fabs(GetParam().value) * 5e-7);
}

INSTANTIATE_TEST_SUITE_P(
    Values, PageNumberTest,
    ::testing::Values(PageNumberCase{"Zero", 0.0, "0"}, PageNumberCase{"Half", 0.5, "0.5"},
                      PageNumberCase{"Negative", -12.25, "-12.25"},
                      PageNumberCase{"SevenWholeDigits", 1234567.0, "1234567"},
                      PageNumberCase{"RoundedUp", 2.99999996, "3"},
                      PageNumberCase{"RoundedToSeven", 3.14159265, "3.141593"},
                      PageNumberCase{"SmallWithLeadingZeros", 0.00012345678, "0.0001234568"},
                      PageNumberCase{"CarriesIntoANewDigit", 99.999996, "100"},
                      PageNumberCase{"StepTime", 1113.683333, "1113.683"},
                      PageNumberCase{"BeyondSevenDigits", 12345678.0, "1.234568e+07"},
                      PageNumberCase{"RoundsBeyondSevenDigits", 9999999.6, "1e+07"},
                      PageNumberCase{"Tiny", 1.5e-7, "1.5e-07"}),
    [](const auto& info) { return std::string(info.param.name); });

// Samples are reduced to pairs of extremes of ever longer intervals as
// they fill the bound: the first state stays, steps never go back, and a
// spike of one step survives.
TEST(FlightPageTest, LongRunsAreReducedWithinTheirBoundAndKeepSpikes) {
  vsim::Host host;
  host.journal().enabled = false;
  host.LoadModule(MODULE_PATH);
  vsim::VesselRecord& v = host.CreateVessel("a");
  vsim::PageData data;
  constexpr std::size_t kBound = 4096;
  data.max_values = kBound;
  data.SampleVessel(host, v);
  constexpr int kSteps = 2000;
  constexpr int kSpikeStep = 1501;
  constexpr double kSpike = -321;
  for (int i = 1; i <= kSteps; ++i) {
    host.Step();
    v.readings.bank = i == kSpikeStep ? kSpike / vsim::kPageDegrees : 0;
    data.Sample(host);
  }
  const vsim::PageVessel& page = data.vessels.front();
  EXPECT_GT(data.stride, 1);
  EXPECT_LE(page.time.size() * (page.series.size() + page.animations.size()), kBound);
  EXPECT_EQ(page.step.front(), 0);
  for (std::size_t i = 1; i < page.step.size(); ++i) EXPECT_GT(page.step[i], page.step[i - 1]) << i;
  std::size_t bank = 0;
  while (std::string(vsim::kPageSeries[bank].key) != "bank") ++bank;
  const std::vector<double>& banks = page.series[bank];
  ASSERT_EQ(banks.size(), page.time.size());
  EXPECT_NEAR(*std::min_element(banks.begin(), banks.end()), kSpike, 1e-9);
  data.Finish();
  EXPECT_EQ(page.step.back(), kSteps) << "the last interval, though not whole, is written";
}

}  // namespace
