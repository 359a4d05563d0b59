// vesselsim as a user runs it: exit codes, outputs, check, help and options.
#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>
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

TEST(ProgramTest, BadScriptExitsTwoWithoutOutputs) {
  test::ScratchDirectory scratch;
  { std::ofstream("bad.vsim") << "vessel heli\nstep\nwobble\n"; }
  std::string output;
  EXPECT_EQ(RunProgram("run bad.vsim --out out", output), 2);
  EXPECT_EQ(output, "bad.vsim:3: unknown command \"wobble\"\n");
  EXPECT_FALSE(Exists("out"));
  output.clear();
  EXPECT_EQ(RunProgram("run missing.vsim", output), 2);
  EXPECT_EQ(output, "missing.vsim: cannot read the script: No such file or directory\n");
}

TEST(ProgramTest, CarelessModuleEndsTheRunWithAFaultNamingVesselAndCall) {
  test::ScratchDirectory scratch;
  {
    std::ofstream("careless.vsim")
        << "module " << CARELESS_PATH << "\nvessel a\nvessel b\nstep 5\n";
  }
  std::string output;
  EXPECT_EQ(RunProgram("run careless.vsim --quiet --out out --trace trace.txt", output), 1);
  EXPECT_NE(output.find("careless.vsim:4: 1 a fault \"SetThrusterLevel: the thruster handle "
                        "belongs to vessel b\""),
            std::string::npos)
      << output;
  EXPECT_NE(output.find("Flight careless.vsim: 1 steps"), std::string::npos) << output;
  EXPECT_NE(ReadFile("trace.txt")
                .find("1 a fault \"SetThrusterLevel: the thruster handle belongs to vessel b\""),
            std::string::npos)
      << "the trace of the steps that ran ends with the fault";
  EXPECT_NE(output.find("; outputs cover steps 0..1"), std::string::npos) << output;
  EXPECT_FALSE(test::PartialFilesLeft());
}

TEST(ProgramTest, ASecondRunIntoTheSameFolderReplacesItsOutputs) {
  test::ScratchDirectory scratch;
  // Each run names its vessel and its script (the plot's title) after itself.
  for (const char* vessel : {"first", "second"}) {
    const std::string script = std::string(vessel) + ".vsim";
    { std::ofstream(script) << "physics off\nvessel " << vessel << "\nstep 2\n"; }
    std::string output;
    ASSERT_EQ(RunProgram("run " + script + " --quiet --out out --trace trace.txt", output), 0)
        << output;
    for (const char* file : {"out/flight.csv", "out/flight.svg", "trace.txt"}) {
      EXPECT_NE(ReadFile(file).find(vessel), std::string::npos) << file;
      if (std::string(vessel) == "second") {
        EXPECT_EQ(ReadFile(file).find("first"), std::string::npos) << file << " kept the first run";
      }
    }
  }
}

// The helicopter hovering under the altitude hold in a gusty wind: a seed
// flies the same flight every time, another seed another one.
TEST(ProgramTest, SeededGustsFlyTheSameFlightForTheSameSeed) {
  test::ScratchDirectory scratch;
  auto fly = [](const std::string& name, int seed) {
    {
      std::ofstream(name + ".vsim") << "wind 8 90deg gusts 3 seed " << seed
                                    << "\nvessel heli\nthrottle hover 0.8\nuntil altitude > 20\n"
                                       "hold altitude 30\nrun 20\n";
    }
    std::string output;
    EXPECT_EQ(RunProgram("run " + name + ".vsim --quiet --out " + name, output), 0) << output;
    return ReadFile(name + "/flight.csv");
  };
  const std::string first = fly("first", 11);
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first, fly("again", 11));
  EXPECT_NE(first, fly("other", 12));
}

TEST(ProgramTest, AGustLineWithoutItsSeedIsRefusedWithItsPlace) {
  test::ScratchDirectory scratch;
  { std::ofstream("g.vsim") << "vessel heli\nwind 8 90deg gusts 3\nstep\n"; }
  std::string output;
  EXPECT_EQ(RunProgram("run g.vsim --quiet --out out", output), 2);
  EXPECT_NE(
      output.find("g.vsim:2: wind takes SPEED FROM_HEADING, then optionally gusts RMS seed N"),
      std::string::npos)
      << output;
  EXPECT_FALSE(test::Exists("out/flight.csv"));
}

TEST(ProgramTest, HelicopterFlightsRaiseNoFault) {
  test::ScratchDirectory scratch;
  { std::ofstream("two.vsim") << "vessel a\nvessel b\nthrottle hover 1\nstep 200\n"; }
  std::string output;
  EXPECT_EQ(RunProgram("run two.vsim --quiet --out out", output), 0) << output;
  EXPECT_EQ(output.find("fault"), std::string::npos) << output;
}

TEST(ProgramTest, CheckCountsExpectationsAcrossScripts) {
  test::ScratchDirectory scratch;
  { std::ofstream("a.vsim") << "physics off\nvessel heli\nstep\nexpect anim.0 == 0.5\n"; }
  {
    std::ofstream("b.vsim")
        << "physics off\nvessel heli\nstep\nexpect fuel == 1\nexpect fuel == 1500\n";
  }
  std::string output;
  EXPECT_EQ(RunProgram("check a.vsim b.vsim", output), 1);
  EXPECT_EQ(output, "b.vsim:4: expected fuel == 1, got 1500\n2 passed, 1 failed\n");
  output.clear();
  EXPECT_EQ(RunProgram("check a.vsim", output), 0);
  EXPECT_EQ(output, "1 passed, 0 failed\n");
  output.clear();
  EXPECT_EQ(RunProgram("--bogus", output), 2);
  EXPECT_EQ(output, "vesselsim: unknown option \"--bogus\" (see --help)\n");
}

TEST(ProgramTest, CheckFailsWhenNothingWasChecked) {
  test::ScratchDirectory scratch;
  std::filesystem::create_directories("none");
  { std::ofstream("empty.vsim") << "# nothing here\n"; }
  { std::ofstream("quiet.vsim") << "vessel heli\nstep 3\n"; }
  std::string output;
  EXPECT_EQ(RunProgram("check none", output), 1);
  EXPECT_EQ(output, "none: no *.vsim scripts in this folder\n0 passed, 1 failed\n");
  output.clear();
  EXPECT_EQ(RunProgram("check empty.vsim quiet.vsim", output), 1);
  EXPECT_EQ(output,
            "empty.vsim: no expectations: nothing was checked\n"
            "quiet.vsim: no expectations: nothing was checked\n0 passed, 2 failed\n");
}

TEST(ProgramTest, CheckRunsAFoldersScriptsInNameOrderAndReportsForCi) {
  test::ScratchDirectory scratch;
  std::filesystem::create_directories("suite");
  { std::ofstream("suite/b.vsim") << "vessel heli\nstep\nexpect fuel == 1\n"; }
  { std::ofstream("suite/a.vsim") << "vessel heli\nstep\nexpect ground == 1\n"; }
  { std::ofstream("suite/notes.txt") << "not a script\n"; }
  std::string output;
  EXPECT_EQ(RunProgram("check suite --junit results.xml --json", output), 1);
  EXPECT_EQ(output.rfind("{\"passed\"", 0), 0u) << "with --json, only the JSON: " << output;
  EXPECT_LT(output.find("suite/a.vsim"), output.find("suite/b.vsim")) << output;
  EXPECT_NE(output.find("{\"passed\":1,\"failed\":1,\"errored\":0,\"scripts\":["),
            std::string::npos)
      << output;
  EXPECT_NE(output.find("{\"line\":3,\"message\":\"suite/b.vsim:3: expected fuel == 1, got "),
            std::string::npos)
      << output;
  std::ifstream junit("results.xml");
  std::stringstream xml;
  xml << junit.rdbuf();
  EXPECT_NE(xml.str().find("<testsuites name=\"vesselsim check\" tests=\"2\" failures=\"1\" "
                           "errors=\"0\" skipped=\"0\" time=\""),
            std::string::npos)
      << xml.str();
  EXPECT_NE(xml.str().find("<testcase classname=\"vesselsim.check\" name=\"suite/a.vsim\""),
            std::string::npos);
  EXPECT_NE(xml.str().find("file=\"suite/b.vsim\" line=\"3\">suite/b.vsim:3: expected fuel"),
            std::string::npos)
      << xml.str();
}

TEST(ProgramTest, HelpExplainsEveryOption) {
  struct Help {
    const char* command;
    std::vector<const char*> options;
  };
  const Help helps[] = {
      {"--help",
       {"--version", "--out", "--trace", "--quiet", "--log-every", "--module", "run", "check",
        "Exit codes"}},
      {"run --help", {"--out", "--trace", "--quiet", "--log-every", "--module", "SCRIPT"}},
      {"check --help", {"--junit", "--json", "--module", "SCRIPTS"}}};
  for (const Help& help : helps) {
    std::string output;
    EXPECT_EQ(RunProgram(help.command, output), 0) << help.command;
    for (const char* option : help.options)
      EXPECT_NE(output.find(option), std::string::npos) << help.command << ": " << option;
  }
  std::string version;
  EXPECT_EQ(RunProgram("--version", version), 0);
  EXPECT_EQ(version.rfind("vesselsim ", 0), 0u);
}

TEST(ProgramTest, OptionsGoBeforeOrAfterTheScriptAndModulesResolveFromItsFolder) {
  test::ScratchDirectory scratch;
  std::filesystem::create_directories("flights/modules");
  const std::string careless = std::string("careless") + vsim::platform::kLibrarySuffix;
  std::filesystem::copy_file(CARELESS_PATH, "flights/modules/" + careless);
  { std::ofstream("flights/own.vsim") << "module modules/" << careless << "\nvessel a\nstep\n"; }
  { std::ofstream("flights/heli.vsim") << "vessel a\nvessel b\nstep\n"; }
  std::string output;
  EXPECT_EQ(RunProgram("run --quiet --out o1 flights/own.vsim", output), 0) << output;
  output.clear();
  EXPECT_EQ(RunProgram("run flights/heli.vsim --out o2 --quiet", output), 0) << output;
  output.clear();
  EXPECT_EQ(RunProgram("run flights/heli.vsim --quiet --out o3 --module " +
                           vsim::platform::CommandWord(CARELESS_PATH),
                       output),
            1)
      << "the careless module, flown in place of the helicopter, faults";
  EXPECT_NE(output.find("SetThrusterLevel: the thruster handle belongs to vessel b"),
            std::string::npos)
      << output;
}

// The module writes its own files (the sound log) into the run's output
// folder, or for a check into a folder removed afterwards, never into the
// caller's current folder; the user's relative paths still mean what they
// meant where the user stood.
TEST(ProgramTest, TheModulesWorkingFolderIsTheOutputFolder) {
  test::ScratchDirectory scratch;
  std::filesystem::create_directories("scripts");
  // Without the sound library the module logs that it cannot reach it.
  { std::ofstream("scripts/s.vsim") << "sound off\nvessel heli\nstep 2\nexpect altitude > 0\n"; }
  std::string output;
  EXPECT_EQ(RunProgram("run scripts/s.vsim --quiet --out o --trace t.txt", output), 0) << output;
  EXPECT_TRUE(Exists("o/OrbiterSound_Log.txt"));
  EXPECT_TRUE(Exists("t.txt"));
  EXPECT_FALSE(Exists("OrbiterSound_Log.txt"));
  output.clear();
  EXPECT_EQ(RunProgram("run scripts/s.vsim --quiet --out o2 --host-dir h", output), 0) << output;
  EXPECT_TRUE(Exists("h/OrbiterSound_Log.txt"));
  output.clear();
  EXPECT_EQ(RunProgram("check scripts/s.vsim --junit r.xml", output), 0) << output;
  EXPECT_TRUE(Exists("r.xml"));
  EXPECT_FALSE(Exists("OrbiterSound_Log.txt"));
  EXPECT_FALSE(Exists("scripts/OrbiterSound_Log.txt"));
}

// A let that cannot be evaluated ends the run with its place: exit 1.
TEST(ProgramTest, ALetThatFailsExitsOneWithItsLine) {
  test::ScratchDirectory scratch;
  {
    std::ofstream("gone.vsim") << "physics off\nvessel a\nvessel c\nrepeat 2\nlet h = "
                                  "c:altitude\ndestroy c\nend\nexpect altitude == 0\n";
  }
  std::string output;
  EXPECT_EQ(RunProgram("run gone.vsim --out out", output), 1);
  EXPECT_NE(output.find("gone.vsim:5: vessel \"c\" no longer exists for \"c:altitude\""),
            std::string::npos)
      << output;
}

// A script whose reading fails (a failing disk) is refused before anything
// runs: the file and the system's reason said, exit 2, nothing written.
class UnreadableScript {
public:
  explicit UnreadableScript(const std::string& path) {
    vsim::platform::SetEnvironment("VESSELSIM_FAIL_READ", path);
  }
  ~UnreadableScript() { vsim::platform::SetEnvironment("VESSELSIM_FAIL_READ", ""); }
  UnreadableScript(const UnreadableScript&) = delete;
  UnreadableScript& operator=(const UnreadableScript&) = delete;
};

TEST(ProgramTest, AScriptThatCannotBeReadExitsTwoNamingItAndWritesNothing) {
  test::ScratchDirectory scratch;
  { std::ofstream("s.vsim") << "vessel heli\nstep\n"; }
  { std::ofstream("main.vsim") << "vessel heli\ninclude part.vsim\n"; }
  { std::ofstream("part.vsim") << "step\n"; }
  const std::string reason = std::strerror(EIO);
  std::string output;
  {
    UnreadableScript failing("s.vsim");
    EXPECT_EQ(RunProgram("run s.vsim --out out", output), 2);
    EXPECT_EQ(output, "s.vsim: cannot read the script: " + reason + "\n");
    EXPECT_FALSE(Exists("out"));
  }
  output.clear();
  {
    UnreadableScript failing("part.vsim");
    EXPECT_EQ(RunProgram("run main.vsim --out out", output), 2);
    EXPECT_NE(output.find("main.vsim:2: "), std::string::npos) << output;
    EXPECT_NE(output.find("part.vsim: cannot read the script: " + reason), std::string::npos)
        << output;
    EXPECT_FALSE(Exists("out"));
  }
  output.clear();
  EXPECT_EQ(RunProgram("run s.vsim --quiet --out out", output), 0) << output;
  EXPECT_TRUE(Exists("out")) << "read as usual once nothing fails";
}

}  // namespace
