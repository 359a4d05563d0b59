// The SVG plot's layout: the event lane, the heading's axis and the title.
// How a browser lays out its text is checked in tests/browser/.
#include "sim/outputs/svg_plot.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "sim/flight/runner.h"
#include "sim/script/parser.h"
#include "tests/support.h"

namespace {

// A plot of one vessel standing still for a second, with these events.
std::string PlotWith(const std::vector<vsim::FlightEvent>& events, double late_acceleration = 1) {
  vsim::PlotData data;
  vsim::VesselSeries& s = data.vessels.emplace_back();
  s.name = "a";
  constexpr int kSamples = 60;
  for (int i = 0; i < kSamples; ++i) {
    data.time.push_back(i / 60.0);
    for (auto* v : {&s.altitude, &s.airspeed, &s.heading_deg, &s.vertical_speed, &s.main_level,
                    &s.hover_level, &s.engine_frequency, &s.pitch_deg, &s.bank_deg,
                    &s.pitch_rate_dps, &s.yaw_rate_dps, &s.bank_rate_dps, &s.rudder})
      v->push_back(0);
    s.time_acceleration.push_back(i < kSamples / 2 ? 1 : late_acceleration);
  }
  data.events = events;
  return vsim::PlotText(data, "t.vsim");
}

struct LaneText {
  double x, y;
  std::string text;
};

std::vector<LaneText> LaneLabels(const std::string& svg) {
  static const std::regex kLabel(
      R"re(<text x="([0-9.]+)" y="([0-9.]+)" font-size="9"[^>]*>([^<]*)<)re");
  std::vector<LaneText> labels;
  for (std::sregex_iterator i(svg.begin(), svg.end(), kLabel), end; i != end; ++i)
    labels.push_back({std::stod((*i)[1]), std::stod((*i)[2]), (*i)[3]});
  return labels;
}

TEST(SvgPlotTest, EventsAtOneTimeTakeRowsOfTheLaneAndStayOnThePage) {
  const std::vector<vsim::FlightEvent> events{
      {0, 0, "lift-off"},
      {0, 0, "key G pressed"},
      {0, 0, "key K pressed"},
      {59, 0.98, "gear down and locked, 414 steps after key G"}};
  const std::vector<LaneText> labels = LaneLabels(PlotWith(events));
  ASSERT_EQ(labels.size(), events.size());
  // A 9-pixel sans-serif letter is at most this wide on average.
  constexpr double kLetter = 0.62 * 9;
  const auto right_end = [&](const LaneText& l) { return l.x + kLetter * l.text.size(); };
  for (std::size_t i = 0; i < labels.size(); ++i) {
    for (std::size_t j = i + 1; j < labels.size(); ++j) {
      if (labels[i].y != labels[j].y) continue;
      const bool apart = right_end(labels[i]) <= labels[j].x || right_end(labels[j]) <= labels[i].x;
      EXPECT_TRUE(apart) << labels[i].text << " / " << labels[j].text;
    }
  }
  EXPECT_NE(labels[0].y, labels[1].y) << "two events at once share no row";
  EXPECT_NE(labels[1].y, labels[2].y);
  // The last event, at the end of the time axis, is moved back onto the page.
  EXPECT_LT(right_end(labels[3]), 960.0);
}

TEST(SvgPlotTest, AFlatHeadingGetsAnAxisOfSomeDegreesAboutIt) {
  const std::string svg = PlotWith({});
  const std::size_t heading = svg.find(">Heading (");
  const std::size_t next = svg.find(">Vertical speed (");
  ASSERT_LT(heading, next);
  const std::string panel = svg.substr(heading, next - heading);
  EXPECT_NE(panel.find(">-5</text>"), std::string::npos) << panel.substr(0, 2000);
  EXPECT_NE(panel.find(">5</text>"), std::string::npos);
  EXPECT_EQ(panel.find(">1</text>"), std::string::npos) << "not a 0..1 axis";
}

TEST(SvgPlotTest, InputsShowTheRudderAndWhenTimeRanFaster) {
  const std::string steady = PlotWith({});
  EXPECT_NE(steady.find(">rudder</text>"), std::string::npos);
  EXPECT_EQ(steady.find("time acceleration x"), std::string::npos);
  const std::string faster = PlotWith({}, 10);
  EXPECT_NE(faster.find("time acceleration x10 from 1 s"), std::string::npos);
}

TEST(SvgPlotTest, TheTitleIsTheScriptsNameWithoutItsFolder) {
  test::ScratchDirectory scratch;
  vsim::FlightOptions options;
  options.module_path = MODULE_PATH;
  options.sound_path = SOUND_PATH;
  options.out_dir = "out";
  ASSERT_TRUE(
      vsim::RunFlight(vsim::ParseScript("some/folder/f.vsim", "vessel heli\nstep\n"), options)
          .error.empty());
  const std::string svg = test::ReadFile("out/flight.svg");
  EXPECT_NE(svg.find(">Flight: f.vsim</text>"), std::string::npos);
  EXPECT_EQ(svg.find("some/folder"), std::string::npos);
}

}  // namespace
