// Every class of bad input vesselsim meets, as the README's table lists it:
// the message it gives, its exit status, and nothing half-written left.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

#include "tests/support.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

std::string Misbehaving(const char* name) {
  return std::string(MISBEHAVING_FOLDER) + "/" + name + MODULE_SUFFIX;
}

struct BadInput {
  const char* name;
  const char* script;  // written to s.vsim before the run
  std::string args;    // after "run s.vsim --quiet --out out --trace trace.txt"
  int exit;
  std::string message;  // a line of what vesselsim prints
};

void PrintTo(const BadInput& b, std::ostream* os) { *os << b.name; }

const std::string kFly = "vessel a\nstep 5\n";

const BadInput kBadInputs[] = {
    {"UnknownCommand", "vessel a\nwobble\n", "", kExitUsage,
     "s.vsim:2: unknown command \"wobble\""},
    {"StepLengthOutOfRange", "dt 5000\n", "", kExitUsage,
     "s.vsim:1: dt 5000 is out of range: its size is at most 1000"},
    {"TimeAccelerationOutOfRange", "timeacc 1e308\n", "", kExitUsage,
     "s.vsim:1: timeacc 1e+308 is out of range: its size is at most 100000"},
    {"SetValueOutOfRange", "vessel a\nset airspeed 1e154\n", "", kExitUsage,
     "s.vsim:2: airspeed 1e+154 is out of range: its size is at most 100000"},
    {"StepCountOutOfRange", "step 20000000\n", "", kExitUsage,
     "s.vsim:1: step count must be from 1 to 10000000"},
    {"EmptyScript", "", "", kExitUsage, "s.vsim: the script has no commands: nothing to fly"},
    {"MissingModule", "vessel a\n", "--module nothere.so", kExitUsage,
     "--module: File does not exist: nothere.so"},
    {"ModuleThatIsNoLibrary", "vessel a\n", "--module s.vsim", kExitFailed,
     "s.vsim:1: s.vsim: cannot load library"},
    {"ModuleWithoutEntryPoints", "vessel a\n", "--module " + std::string(SOUND_PATH), kExitFailed,
     "entry point \"ovcInit\" not found"},
    {"ModuleThrowsInInit", "vessel a\n", "--module " + Misbehaving("ThrowsInInit"), kExitFailed,
     "s.vsim:1: ovcInit: the module threw an exception: no vessel today; nothing may cross the "
     "module boundary as an exception"},
    {"ModuleThrowsInStep", kFly.c_str(), "--module " + Misbehaving("ThrowsInStep"), kExitFailed,
     "s.vsim:2: 3 a fault \"clbkPostStep: the module threw an exception: step three is too many; "
     "nothing may cross the module boundary as an exception\""},
    {"ModuleThrowsSomethingElse", kFly.c_str(), "--module " + Misbehaving("ThrowsNonStandard"),
     kExitFailed,
     "s.vsim:2: 3 a fault \"clbkPostStep: the module threw an exception; nothing may cross the "
     "module boundary as an exception\""},
    {"ModuleSendsNanThrust", kFly.c_str(), "--module " + Misbehaving("NanThrust"), kExitFailed,
     "s.vsim:2: 3 a fault \"SetThrusterLevel: argument 2 is nan, not a finite number\""},
    {"ModuleSendsNanTimeAcceleration", kFly.c_str(),
     "--module " + Misbehaving("NanTimeAcceleration"), kExitFailed,
     "s.vsim:2: 3 a fault \"oapiSetTimeAcceleration: argument 1 is nan, not a finite number\""},
    {"ModuleCallsFromAnotherThread", kFly.c_str(), "--module " + Misbehaving("CallsFromAThread"),
     kExitFailed, "s.vsim:2: 3 a fault \"GetAltitude: called from thread "},
    {"ModuleCallsThroughAnEndedVessel", "vessel a\nvessel b\ndestroy a\nstep 2\n",
     "--module " + Misbehaving("CallsThroughAnEndedVessel"), kExitFailed,
     "s.vsim:4: 1 b fault \"GetAltitude: the vessel handle is vessel a's, which had ended (its "
     "ovcExit ran at step 0); nothing may be called through a vessel after its ovcExit\""},
};

class BadInputTest : public ::testing::TestWithParam<BadInput> {};

TEST_P(BadInputTest, SaysWhatIsWrongAndLeavesNothingHalfWritten) {
  const BadInput& bad = GetParam();
  test::ScratchDirectory scratch;
  { std::ofstream("s.vsim") << bad.script; }
  std::string output;
  const int exit =
      test::RunProgram("run s.vsim --quiet --out out --trace trace.txt " + bad.args, output);
  EXPECT_EQ(exit, bad.exit) << output;
  EXPECT_NE(output.find(bad.message), std::string::npos) << output;
  EXPECT_FALSE(test::PartialFilesLeft());
  if (bad.exit == kExitUsage) {
    EXPECT_FALSE(test::Exists("out")) << "a refused script flies nothing";
    EXPECT_FALSE(test::Exists("trace.txt"));
  }
}

INSTANTIATE_TEST_SUITE_P(Classes, BadInputTest, ::testing::ValuesIn(kBadInputs),
                         [](const auto& info) { return std::string(info.param.name); });

// The fault names the thread by its number and, where threads have names,
// its name, beside the simulation thread's.
TEST(BadModuleTest, ACallFromAnotherThreadNamesTheThread) {
  test::ScratchDirectory scratch;
  { std::ofstream("s.vsim") << kFly; }
  std::string output;
  EXPECT_EQ(
      test::RunProgram("run s.vsim --quiet --module " + Misbehaving("CallsFromAThread"), output),
      kExitFailed);
#if defined(_WIN32)
  const std::regex fault(R"re(GetAltitude: called from thread [0-9]+, not the simulation )re"
                         R"re(thread \(thread [0-9]+\))re");
#else
  const std::regex fault(R"re(GetAltitude: called from thread [0-9]+ \\"side-worker\\", not )re"
                         R"re(the simulation thread \(thread [0-9]+ )re");
#endif
  EXPECT_TRUE(std::regex_search(output, fault)) << output;
}

// What a module does while its library loads (here: time acceleration 4 in
// a static initialiser) is in the trace and told in the flight's story.
TEST(BadModuleTest, CallsWhileTheLibraryLoadsAreRecordedAndTold) {
  test::ScratchDirectory scratch;
  { std::ofstream("s.vsim") << kFly; }
  std::string output;
  EXPECT_EQ(test::RunProgram("run s.vsim --out out --trace trace.txt --module " +
                                 Misbehaving("CallsWhileLoading"),
                             output),
            0)
      << output;
  EXPECT_NE(output.find("step      0  t=    0.00 s  while its library loaded, the module called "
                        "oapiSetTimeAcceleration(4)"),
            std::string::npos)
      << output;
  EXPECT_NE(test::ReadFile("trace.txt").find("0 - oapiSetTimeAcceleration(4)"), std::string::npos);
}

TEST(BadFileTest, ScriptsThatAreNoScripts) {
  test::ScratchDirectory scratch;
  std::filesystem::create_directory("folder");
  { std::ofstream("big.vsim") << std::string(std::size_t{16} << 20, '#') << "\n"; }
  struct Case {
    const char* script;
    std::string message;
  };
  const Case cases[] = {
      {"missing.vsim", "missing.vsim: cannot read the script: No such file or directory"},
      {"folder", "folder: cannot read the script: a folder, not a file"},
      {"big.vsim", "big.vsim: more than 16 MiB, larger than a script may be"},
  };
  for (const Case& c : cases) {
    std::string output;
    EXPECT_EQ(test::RunProgram(std::string("run ") + c.script + " --out out", output), kExitUsage)
        << c.script;
    EXPECT_EQ(output, c.message + "\n");
    EXPECT_FALSE(test::Exists("out"));
  }
}

struct CommandLine {
  const char* name;
  const char* args;
  int exit;
  const char* output;  // how it begins: all of it but the system's reason
};

void PrintTo(const CommandLine& c, std::ostream* os) { *os << c.name; }

class CommandLineTest : public ::testing::TestWithParam<CommandLine> {};

TEST_P(CommandLineTest, SaysWhatWasProbablyMeant) {
  test::ScratchDirectory scratch;
  { std::ofstream("s.vsim") << kFly; }
  std::string output;
  EXPECT_EQ(test::RunProgram(GetParam().args, output), GetParam().exit) << output;
  EXPECT_EQ(output.rfind(GetParam().output, 0), 0u) << output;
  EXPECT_EQ(output.find("Flight "), std::string::npos) << "no summary of a flight that never ran";
  EXPECT_FALSE(test::Exists("out")) << "nothing flew";
}

INSTANTIATE_TEST_SUITE_P(
    Mistakes, CommandLineTest,
    ::testing::Values(
        CommandLine{"MisspeltSubcommand", "rn s.vsim", kExitUsage,
                    "vesselsim: unknown subcommand \"rn\": did you mean `vesselsim run s.vsim`?\n"},
        CommandLine{"ScriptWithoutSubcommand", "s.vsim --quiet", kExitUsage,
                    "vesselsim: s.vsim is no subcommand: did you mean `vesselsim run s.vsim`?\n"},
        CommandLine{"UnknownWord", "wobble", kExitUsage,
                    "vesselsim: \"wobble\" was not expected (the subcommands are run, check and "
                    "validate; see --help)\n"},
        CommandLine{"OutputFolderThatCannotBeMade", "run s.vsim --quiet --out s.vsim/out",
                    kExitFailed, "cannot create the output folder s.vsim/out: "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BadFileTest, TheRunsStepsAreBounded) {
  test::ScratchDirectory scratch;
  {
    std::ofstream script("long.vsim");
    for (int i = 0; i < 101; ++i) script << "step 10000000\n";
  }
  std::string output;
  EXPECT_EQ(test::RunProgram("run long.vsim", output), kExitUsage);
  EXPECT_NE(output.find("long.vsim:101: "), std::string::npos) << output;
  { std::ofstream("short.vsim") << "physics off\nvessel a\nrun 10\n"; }
  output.clear();
  EXPECT_EQ(test::RunProgram("run short.vsim --quiet --max-steps 100 --out out", output),
            kExitFailed);
  EXPECT_NE(output.find("short.vsim:3: the run reached its bound of 100 steps"), std::string::npos)
      << output;
  EXPECT_NE(output.find("Flight short.vsim: 100 steps"), std::string::npos) << output;
}

TEST(BadFileTest, OutputsThatCannotBeWrittenFailTheRunBeforeItFlies) {
  test::ScratchDirectory scratch;
  { std::ofstream("s.vsim") << kFly; }
  std::filesystem::create_directories("out/flight.csv");
  std::filesystem::create_directory("trace");
  std::string output;
  EXPECT_EQ(test::RunProgram("run s.vsim --quiet --out out", output), kExitFailed);
  EXPECT_NE(output.find("cannot write out/flight.csv: "), std::string::npos) << output;
  EXPECT_EQ(output.find("Flight s.vsim:"), std::string::npos)
      << "no summary of a flight that never started: " << output;
  output.clear();
  EXPECT_EQ(test::RunProgram("run s.vsim --quiet --out out2 --trace trace", output), kExitFailed);
  EXPECT_NE(output.find("cannot write trace: "), std::string::npos) << output;
  EXPECT_FALSE(test::Exists("out2/flight.csv"));
  EXPECT_FALSE(test::PartialFilesLeft());
}

#if !defined(_WIN32)
TEST(BadFileTest, APipeIsNoScriptAndNoModule) {
  test::ScratchDirectory scratch;
  ASSERT_EQ(::mkfifo("pipe", 0600), 0);
  { std::ofstream("s.vsim") << "module pipe\nvessel a\n"; }
  std::string output;
  EXPECT_EQ(test::RunProgram("run pipe", output), kExitUsage);
  EXPECT_EQ(output, "pipe: cannot read the script: not a regular file\n");
  output.clear();
  EXPECT_EQ(test::RunProgram("run s.vsim", output), kExitUsage);
  EXPECT_EQ(output, "s.vsim:1: module is not a regular file: ./pipe\n");
}
#endif

// A module that crashes takes vesselsim with it, but first it says where the
// module was and removes every partial output.
TEST(BadFileTest, AModuleThatCrashesIsNamedWithItsCallbackAndStep) {
  test::ScratchDirectory scratch;
  { std::ofstream("s.vsim") << kFly; }
  std::string output;
  const int exit = test::RunProgram(
      "run s.vsim --quiet --out out --trace trace.txt --module " + Misbehaving("CrashesInStep"),
      output);
  EXPECT_NE(exit, 0);
  EXPECT_NE(output.find("vesselsim: crashed with SIGSEGV in the module's clbkPostStep of vessel "
                        "\"a\" at step 3; partial outputs removed"),
            std::string::npos)
      << output;
  EXPECT_FALSE(test::PartialFilesLeft());
  EXPECT_FALSE(test::Exists("out/flight.csv"));
  EXPECT_FALSE(test::Exists("trace.txt"));
}

}  // namespace
