// --columns: the log's columns chosen by name or glob pattern before the
// first step, and a pattern that names none refused with the log's columns.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "sim/flight/runner.h"
#include "sim/outputs/csv_log.h"
#include "sim/script/parser.h"
#include "tests/support.h"

namespace {

struct MatchCase {
  const char* name;
  const char* pattern;
  const char* column;
  bool matches;
};

class ColumnPatternTest : public ::testing::TestWithParam<MatchCase> {};

TEST_P(ColumnPatternTest, MatchesAsAGlob) {
  EXPECT_EQ(vsim::ColumnMatches(GetParam().pattern, GetParam().column), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, ColumnPatternTest,
    ::testing::Values(MatchCase{"ExactName", "altitude_m", "altitude_m", true},
                      MatchCase{"PrefixIsNotEnough", "altitude", "altitude_m", false},
                      MatchCase{"StarAtTheEnd", "anim_*", "anim_gear", true},
                      MatchCase{"StarMatchesNothing", "anim_*", "anim_", true},
                      MatchCase{"StarInside", "rate_*_radps", "rate_yaw_radps", true},
                      MatchCase{"StarInsideNeedsTheRest", "rate_*_radps", "rate_yaw_rad", false},
                      MatchCase{"Question", "beacon_?", "beacon_1", true},
                      MatchCase{"QuestionIsOneLetter", "beacon_?", "beacon_12", false},
                      MatchCase{"StarBacktracks", "*_level", "main_level_level", true},
                      MatchCase{"OnlyAStar", "*", "step", true}),
    [](const auto& info) { return std::string(info.param.name); });

vsim::FlightResult FlyWithColumns(std::vector<std::string> columns) {
  vsim::SetSharedScriptsFolder(SHARED_SCRIPTS_FOLDER);
  vsim::FlightOptions options;
  options.module_path = MODULE_PATH;
  options.sound_path = SOUND_PATH;
  options.out_dir = "out";
  options.log_columns = std::move(columns);
  return vsim::RunFlight(
      vsim::ParseScript("f.vsim", "include helicopter.vsim\nvessel a\nvessel b\nstep 2\n"),
      options);
}

TEST(CsvColumnsTest, OnlyTheChosenColumnsInTheLogsOrder) {
  test::ScratchDirectory scratch;
  const vsim::FlightResult result = FlyWithColumns({"anim_gear", "step", "vessel", "beacon_*"});
  ASSERT_TRUE(result.error.empty()) << result.error;
  std::ifstream csv("out/flight.csv");
  std::vector<std::string> lines;
  for (std::string line; std::getline(csv, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 7u) << "a header, two rows after creation, two steps of two vessels";
  EXPECT_EQ(lines[0], "step,vessel,anim_gear,beacon_1,beacon_2");
  EXPECT_EQ(lines[1], "0,a,0,0,0");
  EXPECT_EQ(lines[6], "2,b,0,0,0");
}

TEST(CsvColumnsTest, APatternThatNamesNoColumnFailsTheRunAndWritesNothing) {
  test::ScratchDirectory scratch;
  const vsim::FlightResult result = FlyWithColumns({"step", "altitud"});
  EXPECT_EQ(result.error.rfind("--columns: \"altitud\" names no column of a's log (its columns: "
                               "step,time_s,vessel,",
                               0),
            0u)
      << result.error;
  EXPECT_EQ(result.steps, 0);
  EXPECT_FALSE(test::Exists("out/flight.csv"));
  EXPECT_FALSE(test::PartialFilesLeft());
}

}  // namespace
