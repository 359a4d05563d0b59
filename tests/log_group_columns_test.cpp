// The log's thruster columns: those of the groups a flight drives.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "sim/flight/runner.h"
#include "sim/outputs/svg_plot.h"
#include "sim/platform/platform.h"
#include "sim/script/keys.h"
#include "sim/script/numbers.h"
#include "sim/script/operations.h"
#include "sim/script/parser.h"
#include "tests/script_support.h"
#include "tests/support.h"

namespace {

using test::Exists;
using test::Options;
using test::ReadFile;
using test::RunProgram;
using vsim::ParseScript;
using vsim::ScriptError;

// The log's thruster columns are those of the groups a flight drives:
// main and hover always, the rest when the script sets or holds them.
struct GroupColumnsCase {
  const char* name;
  const char* commands;
  std::vector<const char*> present, absent;
};

class LogGroupColumnsTest : public ::testing::TestWithParam<GroupColumnsCase> {};

TEST_P(LogGroupColumnsTest, OnlyTheGroupsTheFlightDrives) {
  test::ScratchDirectory scratch;
  vsim::FlightOptions options = Options();
  options.out_dir = "out";
  const auto script =
      ParseScript("f.vsim", std::string("vessel heli\n") + GetParam().commands + "step\n");
  ASSERT_TRUE(vsim::RunFlight(script, options).error.empty());
  std::ifstream csv("out/flight.csv");
  std::string header;
  std::getline(csv, header);
  header += ',';
  for (const char* column : GetParam().present)
    EXPECT_NE(header.find(std::string(",") + column + ","), std::string::npos) << column;
  for (const char* column : GetParam().absent)
    EXPECT_EQ(header.find(std::string(",") + column + ","), std::string::npos) << column;
}

INSTANTIATE_TEST_SUITE_P(
    Flights, LogGroupColumnsTest,
    ::testing::Values(
        GroupColumnsCase{"NothingDriven",
                         "",
                         {"main_level", "hover_max_N"},
                         {"pitchup_level", "bankleft_level", "yawleft_level"}},
        GroupColumnsCase{"ThrustOnOneGroup",
                         "thrust pitchup 0.5\n",
                         {"pitchup_level", "pitchup_max_N"},
                         {"pitchdown_level", "yawleft_level"}},
        GroupColumnsCase{"HeadingHold",
                         "hold heading 0\n",
                         {"yawleft_level", "yawright_level"},
                         {"pitchup_level", "bankleft_level"}},
        GroupColumnsCase{"LevelHold",
                         "hold level\n",
                         {"pitchup_level", "pitchdown_level", "bankleft_level", "bankright_level"},
                         {"yawleft_level"}},
        GroupColumnsCase{"KillRotation", "hold killrot\n", {"pitchup_level", "yawleft_level"}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
