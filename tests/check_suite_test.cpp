// vesselsim check over a suite of scripts as CI runs it.
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

// A suite of scripts as CI runs it: each script a case of its own.
class CheckSuiteTest : public ::testing::Test {
protected:
  CheckSuiteTest() {
    std::filesystem::create_directories("a");
    std::filesystem::create_directories("b");
    std::ofstream("a/x.vsim") << "vessel heli\nstep\nexpect ground == 1\n";
    std::ofstream("b/x.vsim") << "vessel heli\nstep\nexpect fuel == 1\n";
    std::ofstream("b/y.vsim") << "vessel heli\nwobble\n";
    std::ofstream("b/z.vsim") << "vessel heli\nstep 2\nexpect fuel == 1500\nexpect ground == 0\n";
  }
  test::ScratchDirectory scratch;
};

TEST_F(CheckSuiteTest, AScriptThatDoesNotParseIsAnErroredCaseAndTheOthersRun) {
  std::string output;
  EXPECT_EQ(RunProgram("check a b --junit r.xml", output), 2) << output;
  EXPECT_EQ(output,
            "b/x.vsim:3: expected fuel == 1, got 1500\n"
            "b/y.vsim:2: unknown command \"wobble\"\n"
            "b/z.vsim:4: expected ground == 0, got 1\n"
            "2 passed, 2 failed, 1 scripts did not parse\n");
  const std::string xml = ReadFile("r.xml");
  EXPECT_NE(xml.find("tests=\"4\" failures=\"2\" errors=\"1\" skipped=\"0\""), std::string::npos)
      << xml;
  EXPECT_NE(xml.find("<error type=\"script\" message=\"b/y.vsim:2: unknown command"),
            std::string::npos)
      << xml;
}

TEST_F(CheckSuiteTest, FailedScriptsKeepTheirOutputsApart) {
  std::string output;
  EXPECT_EQ(RunProgram("check a b --keep-outputs kept", output), 2) << output;
  for (const char* file : {"kept/b/x/flight.csv", "kept/b/x/flight.svg", "kept/b/x/flight.html",
                           "kept/b/x/trace.txt", "kept/b/z/trace.txt", "kept/b/y/errors.txt"})
    EXPECT_TRUE(Exists(file)) << file;
  EXPECT_FALSE(Exists("kept/a")) << "a passing script keeps nothing";
  EXPECT_EQ(ReadFile("kept/b/y/errors.txt"), "b/y.vsim:2: unknown command \"wobble\"\n");
  EXPECT_NE(ReadFile("kept/b/x/trace.txt").find("=> clbkPostStep("), std::string::npos);
}

TEST_F(CheckSuiteTest, ParallelJobsGiveTheSameResultsInTheSameOrder) {
  std::string one, four;
  EXPECT_EQ(RunProgram("check a b --json", one), 2);
  EXPECT_EQ(RunProgram("check a b --json --jobs 4", four), 2);
  const auto without_times = [](std::string json) {
    for (std::size_t at; (at = json.find("\"seconds\":")) != std::string::npos;)
      json.erase(at, json.find_first_of("}", at) - at);
    return json;
  };
  EXPECT_EQ(without_times(four), without_times(one));
}

TEST_F(CheckSuiteTest, ListsAndSelectsScripts) {
  std::string output;
  EXPECT_EQ(RunProgram("check a b --list --exclude y", output), 0);
  EXPECT_EQ(output,
            "a/x.vsim  1 expectations\nb/x.vsim  1 expectations\nb/z.vsim  2 expectations\n");
  output.clear();
  EXPECT_EQ(RunProgram("check a b --include b/z", output), 1);
  EXPECT_EQ(output, "b/z.vsim:4: expected ground == 0, got 1\n1 passed, 1 failed\n");
  output.clear();
  EXPECT_EQ(RunProgram("check a b --include nothing", output), 2);
  EXPECT_EQ(output, "vesselsim check: no script matches: nothing would be checked\n");
}

}  // namespace
