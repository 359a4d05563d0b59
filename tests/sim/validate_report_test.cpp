// The validator's report layer on its own: figures read with their limits,
// survive the trip from a check's process, and the text, JSON and page
// reports say the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <string>

#include "sim/validate/report.h"
#include "sim/validate/result_json.h"
#include "sim/validate/run_checks.h"

namespace {

namespace validate = vsim::validate;

struct FigureCase {
  const char* name;
  validate::Figure figure;
  const char* text;
};

const FigureCase kFigureCases[] = {
    {"AtMostWithUnit", validate::AtMost("memory growth", 240, "KiB", 1024),
     "memory growth: 240 KiB (limit 1024 KiB)"},
    {"AtLeastCount", validate::AtLeast("cycles unloaded", 1000, "", 1000),
     "cycles unloaded: 1000 (at least 1000)"},
    {"ReportedOnly", validate::Measured("median step", 334.25, "ns"), "median step: 334.2 ns"},
    {"FourDigits", validate::AtMost("moved", 0.000012345, "m", 0.001),
     "moved: 1.234e-05 m (limit 0.001 m)"},
    {"LargeAsWhole", validate::AtMost("yaw rate", 10640.4, "deg/s", 90),
     "yaw rate: 10640 deg/s (limit 90 deg/s)"},
    {"NegativeRate", validate::Measured("pitch down rate", -459.25, "deg/s"),
     "pitch down rate: -459.2 deg/s"},
};

class FigureTextTest : public ::testing::TestWithParam<FigureCase> {};

TEST_P(FigureTextTest, ReadsWithItsLimit) {
  EXPECT_EQ(validate::FigureText(GetParam().figure), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Figures, FigureTextTest, ::testing::ValuesIn(kFigureCases),
                         [](const auto& info) { return std::string(info.param.name); });

validate::Flown AFlight() {
  validate::Flown f;
  f.title = "a drop";
  f.time = {0, 0.5, 1};
  f.keys = {"altitude", "main"};
  f.units = {"m", "0..1"};
  f.values = {{4.54, 4.3, 4.24}, {NAN, NAN, NAN}};
  return f;
}

TEST(ValidateReportTest, FiguresAndFlightsSurviveJson) {
  const std::vector<validate::Figure> figures = {validate::AtMost("creep", 0.0004, "m", 0.001),
                                                 validate::AtLeast("steps", 300, "", 300),
                                                 validate::Measured("rate", -459.25, "deg/s")};
  const std::vector<validate::Figure> back =
      validate::FiguresFrom(validate::json::parse(validate::FiguresJson(figures).dump()));
  ASSERT_EQ(back.size(), figures.size());
  for (std::size_t i = 0; i < figures.size(); ++i) {
    EXPECT_EQ(back[i].name, figures[i].name);
    EXPECT_EQ(back[i].value, figures[i].value);
    EXPECT_EQ(back[i].unit, figures[i].unit);
    EXPECT_EQ(back[i].bound, figures[i].bound);
    EXPECT_EQ(std::isnan(back[i].limit), std::isnan(figures[i].limit)) << figures[i].name;
    if (!std::isnan(figures[i].limit)) {
      EXPECT_EQ(back[i].limit, figures[i].limit);
    }
  }
  const std::vector<validate::Flown> flights =
      validate::FlightsFrom(validate::json::parse(validate::FlightsJson({AFlight()}).dump()));
  ASSERT_EQ(flights.size(), 1u);
  EXPECT_EQ(flights[0].title, "a drop");
  EXPECT_EQ(flights[0].time, AFlight().time);
  EXPECT_EQ(flights[0].keys, AFlight().keys);
  EXPECT_EQ(flights[0].values[0], AFlight().values[0]);
  ASSERT_EQ(flights[0].values[1].size(), 3u);
  EXPECT_TRUE(std::isnan(flights[0].values[1][2])) << "a missing sample stays missing";
}

TEST(ValidateReportTest, AResultLineKeepsItsFiguresOnOneLine) {
  validate::Result r = validate::Warn("held level\tby the plane\nalone",
                                      {validate::AtMost("outside", 0.93, "m", 0)});
  r.flights = {AFlight()};
  const std::string line = validate::ResultLine(r);
  EXPECT_EQ(line.find('\n'), line.size() - 1) << line;
  const std::size_t fields = static_cast<std::size_t>(std::count(line.begin(), line.end(), '\t'));
  EXPECT_EQ(fields, 4u) << "tag, verdict, reason, where, figures: " << line;
  EXPECT_NE(line.find("\tWARN\theld level by the plane alone\t\t{"), std::string::npos) << line;
}

std::vector<validate::ModuleRun> SomeRuns() {
  validate::ModuleRun m{"Some.so", {}};
  m.checks.push_back(
      {"exports", validate::Pass("fine", {validate::AtMost("extra", 0, "", 0)}), 0.02});
  m.checks.push_back(
      {"stands", validate::Warn("outside", {validate::AtMost("outside", 0.93, "m", 0)}), 0.25});
  m.checks.back().result.flights = {AFlight()};
  m.checks.push_back({"hovers", validate::Fail("cannot carry it </script>", "step 3"), 1.5});
  return {m};
}

TEST(ValidateReportTest, TheSummaryTableHasARowPerCheck) {
  const std::string text = validate::TextReport(SomeRuns(), false);
  EXPECT_NE(text.find("summary of Some.so\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  check    verdict  key figure"), std::string::npos) << text;
  EXPECT_NE(text.find("  exports  PASS     extra: 0 (limit 0)"), std::string::npos) << text;
  EXPECT_NE(text.find("  stands   WARN     outside: 0.93 m (limit 0 m)"), std::string::npos)
      << text;
  // A check without figures shows its reason.
  EXPECT_NE(text.find("  hovers   FAIL     cannot carry it </script>"), std::string::npos) << text;
  EXPECT_NE(text.find("1.50 s\n"), std::string::npos) << text;
  EXPECT_EQ(validate::TextReport(SomeRuns(), true).find("summary of"), std::string::npos)
      << "only the failures when only they are asked for";
}

// The page's data, as its script reads it from the page.
std::string EmbeddedData(const std::string& page) {
  const std::string open = "<script id=\"report-data\" type=\"application/json\">";
  const std::size_t from = page.find(open);
  if (from == std::string::npos) return "";
  const std::size_t start = from + open.size();
  const std::size_t end = page.find("</script>", start);
  std::string data = page.substr(start, end - start);
  for (std::size_t at = data.find("<\\/"); at != std::string::npos; at = data.find("<\\/", at))
    data.erase(at + 1, 1);
  return data;
}

TEST(ValidateReportTest, ThePageCarriesTheJsonReport) {
  const std::string page = validate::HtmlReport(SomeRuns(), validate::Level::kQuick);
  const nlohmann::json embedded = nlohmann::json::parse(EmbeddedData(page), nullptr, false);
  ASSERT_FALSE(embedded.is_discarded()) << page.substr(0, 2000);
  EXPECT_EQ(embedded, nlohmann::json::parse(validate::JsonReport(SomeRuns())));
  EXPECT_EQ(embedded["modules"][0]["checks"][1]["flights"][0]["series"][0]["key"], "altitude");
  EXPECT_NE(page.find("<title>Validation: Some.so (quick)</title>"), std::string::npos);
  EXPECT_NE(page.find("Content-Security-Policy\" content=\"default-src 'none'"), std::string::npos);
  EXPECT_EQ(page.find("<script src"), std::string::npos) << "nothing fetched";
  EXPECT_EQ(page.find("@DATA@"), std::string::npos) << "every slot filled";
  EXPECT_EQ(page.find("//@CHART_SCRIPT@"), std::string::npos) << "every slot filled";
  EXPECT_NE(page.find("uPlot"), std::string::npos) << "the chart library embedded";
}

}  // namespace
