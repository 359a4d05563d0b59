// Nothing the user owns is overwritten, and no failure is reported as
// success: outputs that would replace inputs, a module that ends the
// process, two runs in one folder, signals at every moment of writing, and
// standard output that cannot be written.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/child.h"
#include "tests/support.h"

namespace {

namespace fs = std::filesystem;

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
const std::string kFly = "vessel a\nstep 5\n";

std::string Misbehaving(const char* name) {
  return std::string(MISBEHAVING_FOLDER) + "/" + name + MODULE_SUFFIX;
}

struct Clash {
  const char* name;
  std::string args;
  const char* owned;  // the file that must stay as it was
  std::string message;
};

void PrintTo(const Clash& c, std::ostream* os) { *os << c.name; }

const Clash kClashes[] = {
    {"TraceOverTheScript", "run a.vsim --quiet --trace a.vsim", "a.vsim",
     "vesselsim: --trace a.vsim is the script a.vsim: nothing is written over it"},
    {"TraceOverTheModule",
     "run a.vsim --module m" + std::string(MODULE_SUFFIX) + " --trace m" + MODULE_SUFFIX,
     "m" MODULE_SUFFIX,
     std::string("vesselsim: --trace m") + MODULE_SUFFIX + " is the module m" + MODULE_SUFFIX},
    {"TraceOverTheLog", "run a.vsim --out o --trace o/flight.csv", "a.vsim",
     "vesselsim: --out's log o/flight.csv is also --trace o/flight.csv"},
    {"TraceThroughADotDot", "run a.vsim --trace sub/../a.vsim", "a.vsim",
     "vesselsim: --trace sub/../a.vsim is the script a.vsim"},
    {"JUnitOverTheScript", "check a.vsim --junit a.vsim", "a.vsim",
     "vesselsim: --junit a.vsim is the script a.vsim"},
    {"JUnitOverTheModule", "validate m" + std::string(MODULE_SUFFIX) + " --junit m" + MODULE_SUFFIX,
     "m" MODULE_SUFFIX,
     std::string("vesselsim validate: --junit m") + MODULE_SUFFIX + " is the module m" +
         MODULE_SUFFIX},
#if !defined(_WIN32)
    {"TraceThroughASymbolicLink", "run a.vsim --trace link.vsim", "a.vsim",
     "vesselsim: --trace link.vsim is the script a.vsim"},
    {"TraceOverAHardLink", "run a.vsim --trace hard.vsim", "a.vsim",
     "vesselsim: --trace hard.vsim is the script a.vsim"},
#else
    {"TraceInAnotherCase", "run a.vsim --trace A.VSIM", "a.vsim",
     "vesselsim: --trace A.VSIM is the script a.vsim"},
#endif
};

class ClashTest : public ::testing::TestWithParam<Clash> {};

TEST_P(ClashTest, IsRefusedNamingBothAndNothingIsWritten) {
  const Clash& c = GetParam();
  test::ScratchDirectory scratch;
  { std::ofstream("a.vsim") << "vessel a\nstep 2\nexpect altitude > 0\n"; }
  fs::create_directory("sub");
  fs::copy_file(MODULE_PATH, std::string("m") + MODULE_SUFFIX);
#if !defined(_WIN32)
  fs::create_symlink("a.vsim", "link.vsim");
  fs::create_hard_link("a.vsim", "hard.vsim");
#endif
  const std::string before = test::ReadFile(c.owned);
  std::string output;
  EXPECT_EQ(test::RunProgram(c.args, output), kExitUsage) << output;
  EXPECT_NE(output.find(c.message), std::string::npos) << output;
  EXPECT_EQ(test::ReadFile(c.owned), before) << c.owned << " was written over";
  EXPECT_FALSE(test::Exists("o")) << "nothing ran";
  EXPECT_FALSE(test::PartialFilesLeft());
}

INSTANTIATE_TEST_SUITE_P(Outputs, ClashTest, ::testing::ValuesIn(kClashes),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ClashTest, DistinctFilesInOneFolderAreNoClash) {
  test::ScratchDirectory scratch;
  { std::ofstream("a.vsim") << kFly; }
  std::string output;
  EXPECT_EQ(test::RunProgram("run a.vsim --quiet --out . --trace a.trace", output), 0) << output;
  EXPECT_TRUE(test::Exists("flight.csv"));
  EXPECT_TRUE(test::Exists("a.trace"));
}

struct Ending {
  const char* name;
  const char* module;
  const char* how;
};

void PrintTo(const Ending& e, std::ostream* os) { *os << e.name; }

const Ending kEndings[] = {
#if defined(__GLIBC__)
    {"Exit", "ExitsInStep", "exit(0)"},
#else
    {"Exit", "ExitsInStep", "exit"},
#endif
#if !defined(_WIN32)
    {"QuickExit", "QuickExitsInStep", "quick_exit"},
#endif
};

class ModuleEndsTheProcessTest : public ::testing::TestWithParam<Ending> {};

TEST_P(ModuleEndsTheProcessTest, RunFailsNamingTheCallbackVesselAndStep) {
  const Ending& e = GetParam();
  test::ScratchDirectory scratch;
  { std::ofstream("s.vsim") << kFly; }
  std::string output;
  EXPECT_EQ(
      test::RunProgram(
          "run s.vsim --quiet --out out --trace t.txt --module " + Misbehaving(e.module), output),
      kExitFailed);
  EXPECT_NE(output.find(std::string("vesselsim: the module ended the process with ") + e.how +
                        " in clbkPostStep of vessel \"a\" at step 3; partial outputs removed"),
            std::string::npos)
      << output;
  EXPECT_FALSE(test::PartialFilesLeft());
  EXPECT_FALSE(test::Exists("out/flight.csv"));
  EXPECT_FALSE(test::Exists("t.txt"));
}

TEST_P(ModuleEndsTheProcessTest, CheckReportsTheScriptFailedAndTheRestNotRun) {
  const Ending& e = GetParam();
  test::ScratchDirectory scratch;
  { std::ofstream("a.vsim") << "vessel a\nstep 1\nexpect altitude > -1\n"; }
  { std::ofstream("b.vsim") << kFly << "expect altitude > -1\n"; }
  { std::ofstream("c.vsim") << kFly << "expect altitude > -1\n"; }
  std::string output;
  EXPECT_EQ(
      test::RunProgram("check a.vsim b.vsim c.vsim --junit r.xml --module " + Misbehaving(e.module),
                       output),
      kExitFailed)
      << output;
  const std::string junit = test::ReadFile("r.xml");
  const auto after = [&junit](const std::string& name) {
    const std::size_t at = junit.find("name=\"" + name + "\" file=\"" + name + "\" time=\"");
    return at == std::string::npos ? std::string() : junit.substr(junit.find('\n', at) + 1);
  };
  EXPECT_EQ(after("a.vsim").rfind("    </testcase>", 0), 0u)
      << "the script that ran to its end passed\n"
      << junit;
  EXPECT_EQ(after("b.vsim").rfind("      <failure type=\"error\" message=\"vesselsim: the module "
                                  "ended the process with ",
                                  0),
            0u)
      << junit;
  EXPECT_EQ(after("c.vsim").rfind("      <skipped message=\"not run", 0), 0u) << junit;
  EXPECT_FALSE(test::PartialFilesLeft());
}

TEST_P(ModuleEndsTheProcessTest, ValidateFailsTheCheckWithTheModulesLastWords) {
  const Ending& e = GetParam();
  test::ScratchDirectory scratch;
  std::string output;
  EXPECT_EQ(test::RunProgram("validate " + Misbehaving(e.module) + " --include time-steps", output),
            kExitFailed);
  EXPECT_NE(output.find(std::string("FAIL  time-steps") +
                        "        ended with exit 1 before its verdict; its last words: vesselsim: "
                        "the module ended "
                        "the process with " +
                        e.how + " in clbkPostStep of vessel"),
            std::string::npos)
      << output;
}

INSTANTIATE_TEST_SUITE_P(Endings, ModuleEndsTheProcessTest, ::testing::ValuesIn(kEndings),
                         [](const auto& info) { return std::string(info.param.name); });

#if !defined(_WIN32)

// What the program leaves behind, besides its finished outputs.
bool LeftoversIn(const std::string& dir) {
  std::error_code error;
  for (const auto& entry : fs::recursive_directory_iterator(dir, error)) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() == ".partial" || name == ".vesselsim.lock") return true;
  }
  return false;
}

test::Child Flight(const std::string& pause_at, const std::string& out = "out") {
  return test::Child({VESSELSIM_PATH, "run", "s.vsim", "--quiet", "--out", out, "--trace", "t.txt"},
                     {"VESSELSIM_PAUSE_AT=" + pause_at});
}

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(OutputFolderTest, IsHeldByOneRunAtATime) {
  test::ScratchDirectory scratch;
  { std::ofstream("s.vsim") << kFly; }
  test::Child first = Flight("before-open");
  ASSERT_TRUE(first.WaitFor("paused at before-open")) << first.Errors();
  std::string output;
  EXPECT_EQ(test::RunProgram("run s.vsim --quiet --out out", output), kExitFailed);
  EXPECT_NE(
      output.find("out: the output folder is in use (process " + std::to_string(first.Id()) + ")"),
      std::string::npos)
      << output;
  first.Signal(SIGKILL);
  EXPECT_EQ(first.Wait().signal, SIGKILL);
  output.clear();
  EXPECT_EQ(test::RunProgram("run s.vsim --quiet --out out", output), 0)
      << "a killed run holds nothing: " << output;
  EXPECT_FALSE(LeftoversIn("out"));
}

TEST(OutputFolderTest, PartialFilesOfAProcessKilledOutrightAreSwept) {
  test::ScratchDirectory scratch;
  { std::ofstream("s.vsim") << kFly; }
  test::Child killed = Flight("mid-rename");
  ASSERT_TRUE(killed.WaitFor("paused at mid-rename")) << killed.Errors();
  killed.Signal(SIGKILL);
  killed.Wait();
  ASSERT_TRUE(LeftoversIn(".")) << "a kill no handler sees leaves the partial files";
  std::string output;
  EXPECT_EQ(test::RunProgram("run s.vsim --quiet --out out --trace t.txt", output), 0) << output;
  EXPECT_FALSE(LeftoversIn("."));
}

struct Stop {
  const char* point;
  int signal;
  bool twice;
};

std::string StopName(const Stop& s) {
  std::string point = s.point;
  for (char& c : point)
    if (c == '-') c = '_';
  return point + "_" + std::to_string(s.signal) + (s.twice ? "_twice" : "_once");
}

void PrintTo(const Stop& s, std::ostream* os) { *os << StopName(s); }

const Stop kStops[] = {
    {"before-open", SIGINT, false},  {"before-open", SIGINT, true}, {"mid-write", SIGTERM, false},
    {"mid-write", SIGTERM, true},    {"mid-rename", SIGINT, true},  {"mid-rename", SIGHUP, false},
    {"before-open", SIGPIPE, false}, {"mid-write", SIGXFSZ, false}, {"mid-write", SIGUSR1, false},
    {"mid-write", SIGALRM, false},
};

class SignalTest : public ::testing::TestWithParam<Stop> {};

// Each signal, once or twice (as `timeout` sends it to the process and then
// its group), leaves no partial file, says one thing and kills the process
// with that signal.
TEST_P(SignalTest, LeavesNothingSaysOnceAndDiesOfIt) {
  const Stop& s = GetParam();
  test::ScratchDirectory scratch;
  { std::ofstream("s.vsim") << kFly; }
  test::Child flight = Flight(s.point);
  ASSERT_TRUE(flight.WaitFor(std::string("paused at ") + s.point)) << flight.Errors();
  flight.Signal(s.signal);
  if (s.twice) flight.SignalGroup(s.signal);
  EXPECT_EQ(flight.Wait().signal, s.signal) << flight.Errors();
  EXPECT_EQ(Count(flight.Errors(), "vesselsim: stopped by "), 1) << flight.Errors();
  EXPECT_FALSE(LeftoversIn(".")) << flight.Errors();
}

INSTANTIATE_TEST_SUITE_P(Points, SignalTest, ::testing::ValuesIn(kStops),
                         [](const auto& info) { return StopName(info.param); });

// A flight long enough to be signalled in, with its outputs open once its
// trace's partial file is there.
const char kLongFlight[] = "physics off\nvessel a\nrun 100000\n";

bool WaitForOpenOutputs(const test::Child& flight) {
  const std::string partial = "t.txt." + std::to_string(flight.Id()) + ".partial";
  for (int waited_ms = 0; waited_ms < 10'000; waited_ms += 2) {
    if (test::Exists(partial)) return true;
    usleep(2'000);
  }
  return false;
}

class SecondSignalTest : public ::testing::TestWithParam<int> {};

// A second signal while the first cleans up waits for the clean-up.
TEST_P(SecondSignalTest, DuringTheCleanUpWaitsForIt) {
  const int signal = GetParam();
  test::ScratchDirectory scratch;
  { std::ofstream("s.vsim") << kLongFlight; }
  test::Child flight = Flight("mid-clean-up");
  ASSERT_TRUE(WaitForOpenOutputs(flight)) << flight.Errors();
  flight.Signal(signal);
  ASSERT_TRUE(flight.WaitFor("paused at mid-clean-up")) << flight.Errors();
  flight.SignalGroup(signal);
  EXPECT_EQ(flight.Wait().signal, signal) << flight.Errors();
  EXPECT_EQ(Count(flight.Errors(), "vesselsim: stopped by "), 1) << flight.Errors();
  EXPECT_FALSE(LeftoversIn(".")) << flight.Errors();
}

INSTANTIATE_TEST_SUITE_P(Signals, SecondSignalTest, ::testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const auto& info) { return "signal_" + std::to_string(info.param); });

// The same without pause points, at whatever moment the signals land.
TEST(SignalTest, RepeatedDoubleSignalsToTheProcessAndItsGroup) {
  test::ScratchDirectory scratch;
  { std::ofstream("s.vsim") << kLongFlight; }
  constexpr int kRuns = 12;
  for (int run = 0; run < kRuns; ++run) {
    test::Child flight = Flight("none");
    ASSERT_TRUE(WaitForOpenOutputs(flight)) << flight.Errors();
    usleep(static_cast<useconds_t>(run * 3'000));
    const int signal = run % 2 == 0 ? SIGINT : SIGTERM;
    flight.Signal(signal);
    flight.SignalGroup(signal);
    const test::Child::End end = flight.Wait();
    EXPECT_EQ(end.signal, signal) << "run " << run << ": " << flight.Errors();
    EXPECT_LE(Count(flight.Errors(), "vesselsim: stopped by "), 1) << flight.Errors();
    EXPECT_FALSE(LeftoversIn(".")) << "run " << run << ": " << flight.Errors();
  }
}

// Standard output that cannot be written fails the command with the reason.
TEST(LostOutputTest, AFullStandardOutputIsAnError) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  test::ScratchDirectory scratch;
  { std::ofstream("s.vsim") << kFly << "expect altitude > -1\n"; }
  const std::string program = vsim::platform::CommandWord(VESSELSIM_PATH);
  for (const std::string& args : std::vector<std::string>{
           "run s.vsim --quiet", "check s.vsim --json",
           "validate " + std::string(MODULE_PATH) + " --include exports", "--help"}) {
    std::string output;
    EXPECT_EQ(vsim::platform::RunCommand(program + " " + args + " 2>&1 >/dev/full", output),
              kExitFailed)
        << args;
    EXPECT_NE(output.find("vesselsim: cannot write the standard output: No space left on device"),
              std::string::npos)
        << args << ": " << output;
  }
}

#endif

}  // namespace
