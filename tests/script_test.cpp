
#include <algorithm>
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
#include "tests/support.h"

namespace {

// The flights these tests read include the helicopter's script of names, as
// vesselsim finds it beside itself.
const bool shared_scripts_found = [] {
  vsim::SetSharedScriptsFolder(SHARED_SCRIPTS_FOLDER);
  return true;
}();

}  // namespace

namespace {

using vsim::ParseScript;
using vsim::ScriptError;

struct BadScript {
  const char* text;
  const char* message;  // expected "file:line: message"
};

void PrintTo(const BadScript& c, std::ostream* out) { *out << c.text; }

class BadScriptTest : public ::testing::TestWithParam<BadScript> {};

// Named animations and sound slots read as their numbers; an included
// script's lines carry its own name in messages; a cycle of includes is
// refused with the chain.
TEST(ScriptTextTest, NamesAndIncludes) {
  test::ScratchDirectory scratch;
  std::filesystem::create_directories("lib");
  { std::ofstream("lib/names.vsim") << "name anim 2 gear\nname sound 1 engine\n"; }
  { std::ofstream("lib/bad.vsim") << "name anim 2 gear\nwobble\n"; }
  { std::ofstream("lib/a.vsim") << "include b.vsim\n"; }
  { std::ofstream("lib/b.vsim") << "include a.vsim\n"; }
  const vsim::Script script = ParseScript("s.vsim",
                                          "include lib/names.vsim\nvessel heli\nexpect anim.gear "
                                          "== 0\nexpect sound.engine.volume == 0\n");
  const auto expects = script.All<vsim::ExpectCommand>();
  ASSERT_EQ(expects.size(), 2u);
  EXPECT_EQ(expects[0]->condition.comparisons.at(0).left.nodes.at(0).quantity.name, "anim.2");
  EXPECT_EQ(expects[1]->condition.comparisons.at(0).left.nodes.at(0).quantity.name,
            "sound.1.volume");
  EXPECT_EQ(script.Where(script.commands[0]), "lib/names.vsim:1");
  EXPECT_EQ(script.Where(script.commands[3]), "s.vsim:3");
  const struct {
    const char* text;
    const char* message;
  } bad[] = {
      {"include lib/bad.vsim\n", "lib/bad.vsim:2: unknown command \"wobble\""},
      {"include lib/a.vsim\n",
       "lib/b.vsim:1: include makes a cycle: lib/a.vsim -> lib/b.vsim -> lib/a.vsim"},
      {"include nowhere.vsim\n",
       "s.vsim:1: nowhere.vsim: cannot read the script: No such file or directory"},
  };
  for (const auto& b : bad) {
    try {
      ParseScript("s.vsim", b.text);
      FAIL() << b.text;
    } catch (const ScriptError& e) {
      EXPECT_EQ(std::string(e.what()), b.message);
    }
  }
}

// A NUL byte, which would cut messages and fields short, is refused with its
// line; a byte-order mark at the start of a script is no command.
TEST(ScriptTextTest, NulBytesAreRefusedAndAByteOrderMarkIsAccepted) {
  try {
    ParseScript("bad.vsim", std::string("vessel heli\nvessel a\0b\n", 22));
    FAIL() << "a NUL byte was accepted";
  } catch (const ScriptError& e) {
    EXPECT_EQ(std::string(e.what()), "bad.vsim:2: a NUL byte at column 9: a script is text");
  }
  const vsim::Script script = ParseScript("bom.vsim", "\xEF\xBB\xBFvessel heli.2-b_c\nstep 1\n");
  ASSERT_EQ(script.commands.size(), 2u);
  EXPECT_EQ(std::get<vsim::VesselCommand>(script.commands[0].command).name, "heli.2-b_c");
}

TEST_P(BadScriptTest, FailsBeforeRunningWithFileLineAndMessage) {
  try {
    ParseScript("bad.vsim", GetParam().text);
    FAIL() << "accepted: " << GetParam().text;
  } catch (const ScriptError& e) {
    EXPECT_EQ(std::string(e.what()), GetParam().message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Messages, BadScriptTest,
    ::testing::Values(
        BadScript{"vessel heli\nfly away\n", "bad.vsim:2: unknown command \"fly\""},
        BadScript{"vessel heli\nstep 1 2\n", "bad.vsim:2: step takes 0 to 1 argument, got 2"},
        BadScript{"vessel heli\nrun\n", "bad.vsim:2: run takes 1 argument, got 0"},
        BadScript{"vessel heli\nthrottle main lots\n", "bad.vsim:2: bad number \"lots\""},
        BadScript{"vessel heli\nthrottle main 1.5\n", "bad.vsim:2: level 1.5 outside 0..1"},
        BadScript{"vessel heli\nthrottle side 1\n",
                  "bad.vsim:2: expected main or hover, got \"side\""},
        BadScript{"vessel heli\nfocus other\n", "bad.vsim:2: unknown vessel \"other\""},
        BadScript{"vessel heli\ndestroy heli\nstep\nkey G\n",
                  "bad.vsim:4: no vessel to act on: create one with \"vessel NAME\""},
        BadScript{"vessel heli\nvessel heli\n", "bad.vsim:2: vessel \"heli\" already exists"},
        BadScript{"module /no/such/Corvane.so\n",
                  "bad.vsim:1: module file not found: /no/such/Corvane.so"},
        BadScript{"vessel heli\nsound on\n", "bad.vsim:2: sound must come before the first vessel"},
        BadScript{"vessel heli\nkey Ö\n", "bad.vsim:2: unknown key \"Ö\""},
        BadScript{"vessel heli\nkey G sideways\n",
                  "bad.vsim:2: unknown key option \"sideways\" (release, ctrl, shift, alt)"},
        BadScript{"vessel heli\nset ground 1\n",
                  "bad.vsim:2: cannot set ground with physics on: the physics derives it"},
        BadScript{"physics off\nvessel heli\nset focus-airspeed 1 2\n",
                  "bad.vsim:3: set focus-airspeed takes 3 values"},
        BadScript{"vessel heli\nset gravity 3\n", "bad.vsim:2: cannot set \"gravity\""},
        BadScript{"vessel heli\nexpect warp > 1\n", "bad.vsim:2: unknown quantity \"warp\""},
        BadScript{"vessel heli\nexpect anim.x == 1\n",
                  "bad.vsim:2: unknown name \"x\" in \"anim.x\" (name one first: \"name anim N "
                  "x\", or include helicopter.vsim)"},
        BadScript{"name anim 2 gear\nvessel heli\nexpect anim.gears == 1\n",
                  "bad.vsim:3: unknown name \"gears\" in \"anim.gears\" (did you mean \"gear\"?)"},
        BadScript{"name anim 2 gear\nname anim 3 gear\n",
                  "bad.vsim:2: \"gear\" already names anim 2"},
        BadScript{"name anim 2 7up\n",
                  "bad.vsim:1: bad name \"7up\": a name is letters, digits, '_', '.' and '-', and "
                  "starts with a letter or '_'"},
        BadScript{"vessel heli\nexpect altitude ~ 1\n", "bad.vsim:2: unknown comparison \"~\""},
        BadScript{"vessel heli\nexpect debug > \"a\"\n",
                  "bad.vsim:2: debug compares with == or != only"},
        BadScript{"vessel heli\nexpect other:fuel == 1\n", "bad.vsim:2: unknown vessel \"other\""},
        BadScript{"vessel heli\nuntil altitude > 5 within soon\n",
                  "bad.vsim:2: bad number \"soon\""},
        BadScript{"vessel heli\ntimeacc 0\n", "bad.vsim:2: expected a positive number, got \"0\""},
        BadScript{"vessel heli\nhold 4 0\n", "bad.vsim:2: hold takes from 1 to 1000000 events"},
        BadScript{"vessel heli\nclick 1e308\n",
                  "bad.vsim:2: expected a whole number, got \"1e308\""},
        BadScript{"vessel heli\nclick 4.5\n", "bad.vsim:2: expected a whole number, got \"4.5\""},
        BadScript{"vessel heli\nexpect call\n", "bad.vsim:2: expect call needs the call text"},
        BadScript{"vessel heli\nmark \"x\" when\n",
                  "bad.vsim:2: mark needs \"TEXT\" when QUANTITY OP VALUE [after key KEY]"},
        BadScript{"vessel heli\nplot anim 2\n",
                  "bad.vsim:2: plot takes: anim N \"LABEL\" or limit altitude|airspeed VALUE "
                  "\"LABEL\""},
        BadScript{"vessel heli\nexpect debug == \"open\n", "bad.vsim:2: unterminated string"},
        BadScript{"vessel heli\nstepp 3\n",
                  "bad.vsim:2: unknown command \"stepp\" (did you mean \"step\"?)"},
        BadScript{"vessel heli\nexpect no-call Bogus\n", "bad.vsim:2: unknown operation \"Bogus\""},
        BadScript{"vessel heli\nexpect no-call SetAnimaton\n",
                  "bad.vsim:2: unknown operation \"SetAnimaton\" (did you mean \"SetAnimation\"?)"},
        BadScript{"vessel heli\nexpect call heli SetThrusterMax(thruster#1, 1)\n",
                  "bad.vsim:2: unknown operation \"SetThrusterMax\" (did you mean "
                  "\"SetThrusterMax0\"?)"},
        BadScript{"vessel -\n",
                  "bad.vsim:1: bad vessel name \"-\": a vessel's name is letters, digits, '_', '.' "
                  "and '-', and starts with a letter, a digit or '_'"},
        BadScript{"vessel \"\"\n",
                  "bad.vsim:1: bad vessel name \"\": a vessel's name is letters, digits, '_', '.' "
                  "and '-', and starts with a letter, a digit or '_'"},
        BadScript{"vessel .a\n",
                  "bad.vsim:1: bad vessel name \".a\": a vessel's name is letters, digits, '_', "
                  "'.' and '-', and starts with a letter, a digit or '_'"},
        BadScript{"vessel a:b\n",
                  "bad.vsim:1: bad vessel name \"a:b\": a vessel's name is letters, digits, '_', "
                  "'.' and '-', and starts with a letter, a digit or '_'"},
        BadScript{"vessel a+b\n",
                  "bad.vsim:1: bad vessel name \"a+b\": a vessel's name is letters, digits, '_', "
                  "'.' and '-', and starts with a letter, a digit or '_'"},
        BadScript{"vessel \"a\tb\"\n",
                  "bad.vsim:1: bad vessel name \"a\\x09b\": a vessel's name is letters, digits, "
                  "'_', '.' and '-', and starts with a letter, a digit or '_'"},
        BadScript{"vessel heli\nfly\nstep\nwarp 2\n",
                  "bad.vsim:2: unknown command \"fly\"\nbad.vsim:4: unknown command \"warp\""}),
    [](const auto& info) {
      // The message, as a test name: "bad.vsim:2: unknown command" -> Line2UnknownCommand.
      std::string name = "Line";
      bool upper = true;
      for (const char* c = info.param.message + std::strlen("bad.vsim:"); *c != '\0'; ++c) {
        if (!std::isalnum(static_cast<unsigned char>(*c))) {
          upper = true;
          continue;
        }
        name += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(*c))) : *c;
        upper = false;
      }
      return name + "_" + std::to_string(info.index);
    });

TEST(ScriptTest, NumbersTakeADegreeSuffix) {
  double v = 0;
  ASSERT_TRUE(vsim::ParseNumber("15deg", v));
  EXPECT_DOUBLE_EQ(v, 15 * RAD);
  EXPECT_FALSE(vsim::ParseNumber("deg", v));
  EXPECT_FALSE(vsim::ParseNumber("1e999", v));
  EXPECT_FALSE(vsim::ParseNumber("nan", v));
}

TEST(ScriptTest, NumbersTakeUnitsOfTheQuantityTablesDimensions) {
  const struct {
    const char* text;
    double value;
    const char* dimension;
  } cases[] = {{"2", 2, ""},
               {"-2", -2, ""},
               {"90deg", PI / 2, "rad"},
               {"1deg/s", RAD, "rad/s"},
               {"2km", 2000, "m"},
               {"100ft", 30.48, "m"},
               {"36km/h", 10, "m/s"},
               {"1kt", 1852.0 / 3600, "m/s"},
               {"2min", 120, "s"},
               {"3s", 3, "s"}};
  for (const auto& c : cases) {
    double v = 0;
    std::string dimension = "unset";
    ASSERT_TRUE(vsim::ParseNumber(c.text, v, &dimension)) << c.text;
    EXPECT_NEAR(v, c.value, 1e-12) << c.text;
    EXPECT_EQ(dimension, c.dimension) << c.text;
  }
  double v = 0;
  EXPECT_FALSE(vsim::ParseNumber("5mm", v)) << "no such unit";
  EXPECT_FALSE(vsim::ParseNumber("km", v)) << "a unit without its number";
}

TEST(ScriptTest, KeysByLetterOrScanCode) {
  EXPECT_EQ(vsim::ParseKey("g"), OAPI_KEY_G);
  EXPECT_EQ(vsim::ParseKey("0x30"), OAPI_KEY_B);
  EXPECT_FALSE(vsim::ParseKey("0x100").has_value());
  EXPECT_FALSE(vsim::ParseKey("GG").has_value());
}

vsim::FlightOptions Options() {
  vsim::FlightOptions options;
  options.module_path = MODULE_PATH;
  options.sound_path = SOUND_PATH;
  return options;
}

TEST(FlightTest, ExpectationsFailWhenTheyShould) {
  test::ScratchDirectory scratch;
  const auto script = ParseScript("f.vsim",
                                  "physics off\n"
                                  "vessel heli\n"
                                  "set ground 0\nset altitude 100\n"
                                  "key G\nstep\n"
                                  "expect anim.2 == 0.00242\n"          // holds
                                  "expect anim.2 == 0.0025\n"           // fails
                                  "expect anim.2 == 0.0025 ~ 0.0001\n"  // holds
                                  "expect call SetAnimation(2, 0.00242)\n"
                                  "expect call SetAnimation(2, 0.5)\n"  // fails
                                  "expect no-call AddForce\n"
                                  "expect no-call SetAnimation\n"  // fails
                                  "step\n"
                                  "expect call SetAnimation(2, 0.00242)\n"  // fails: earlier step
                                  "expect debug == \"\"\n"
                                  "expect debug != \"\"\n");  // fails
  const vsim::FlightResult result = vsim::RunFlight(script, Options());
  EXPECT_TRUE(result.error.empty()) << result.error;
  EXPECT_EQ(result.passed, 5);
  ASSERT_EQ(result.failed, 5);
  EXPECT_EQ(result.failures[0], "f.vsim:8: expected anim.2 == 0.0025, got 0.00242");
  EXPECT_EQ(result.failures[1].rfind(
                "f.vsim:11: expected call SetAnimation(2, 0.5), got no such call; the window's "
                "calls of SetAnimation:\n    1 heli SetAnimation(2, 0.00242) -> true\n",
                0),
            0u)
      << "the nearest call first: " << result.failures[1];
  EXPECT_EQ(result.failures[2].rfind(
                "f.vsim:13: expected no call of SetAnimation, got 1 heli SetAnimation(", 0),
            0u)
      << result.failures[2];
  EXPECT_EQ(result.failures[3].rfind(
                "f.vsim:15: expected call SetAnimation(2, 0.00242), got no such call; the "
                "window's calls of SetAnimation:\n    2 heli SetAnimation(2, 0.00484) -> true\n",
                0),
            0u)
      << result.failures[3];
  EXPECT_NE(result.failures[3].find("\n    ... and 10 more"), std::string::npos)
      << "five calls shown, the rest counted";
  EXPECT_EQ(result.failures[4], "f.vsim:17: expected debug != \"\", got \"\"");
}

using test::Exists;
using test::ReadFile;
using test::RunProgram;

// The host's calls take a fast path when nothing records: what the host
// keeps must be the same either way, step for step.
TEST(FlightTest, RecordingChangesNothingTheHostKeeps) {
  test::ScratchDirectory scratch;
  const vsim::Script script = vsim::LoadScript(DEFAULT_FLIGHT_PATH);
  auto options = Options();
  options.out_dir = "untraced";
  const vsim::FlightResult untraced = vsim::RunFlight(script, options);
  options.out_dir = "traced";
  options.trace_path = "trace.txt";
  const vsim::FlightResult traced = vsim::RunFlight(script, options);
  ASSERT_TRUE(untraced.error.empty() && traced.error.empty()) << untraced.error << traced.error;
  EXPECT_EQ(traced.steps, untraced.steps);
  EXPECT_GT(ReadFile("untraced/flight.csv").size(), 100'000u);
  EXPECT_TRUE(ReadFile("traced/flight.csv") == ReadFile("untraced/flight.csv"))
      << "the log of a traced flight differs from the untraced one";
}

TEST(FlightTest, UnmetConditionIsAnErrorAndKeepsTheOutputsOfTheStepsThatRan) {
  test::ScratchDirectory scratch;
  auto options = Options();
  options.out_dir = "out";
  options.trace_path = "trace.txt";
  const auto script =
      ParseScript("f.vsim", "vessel heli\nthrottle hover 0.1\nuntil altitude > 10 within 2\n");
  const vsim::FlightResult result = vsim::RunFlight(script, options);
  EXPECT_EQ(result.error.rfind("f.vsim:3: condition altitude > 10 not met within 2 s (got 4.24", 0),
            0u)
      << result.error;
  EXPECT_NE(result.error.find("; outputs cover steps 0..120"), std::string::npos) << result.error;
  const std::string csv = ReadFile("out/flight.csv");
  EXPECT_NE(csv.find("\n120,2,heli,"), std::string::npos) << "the last step that ran is logged";
  EXPECT_NE(ReadFile("out/flight.svg").find(">stopped</text>"), std::string::npos)
      << "the plot marks where the run stopped";
  const std::string trace = ReadFile("trace.txt");
  EXPECT_NE(trace.find("120 heli SetAnimation("), std::string::npos);
  EXPECT_FALSE(test::PartialFilesLeft());
}

// A long run reduces the plot's samples to pairs of extremes of ever longer
// intervals: memory stays bounded, each pair spans its interval, a spike of
// one step survives, and a rotor's phase keeps every turn it made, so its
// speed still reads true.
TEST(FlightTest, PlotSamplesOfALongRunAreReducedButKeepSpikesAndEveryTurn) {
  vsim::Host host;
  host.journal().enabled = false;
  host.LoadModule(MODULE_PATH);
  for (const char* name : {"a", "b"}) {
    vsim::VesselRecord& v = host.CreateVessel(name);
    for (std::uint32_t t : v.Group(THGROUP_HOVER)->members) v.declared.thrusters[t].level = 1;
  }
  vsim::PlotData data;
  data.layout.animations.push_back({16, "rotor"});
  data.min_samples = 64;
  data.max_values = 128;
  constexpr int kSteps = 256;
  constexpr int kSpikeStep = 201;
  constexpr double kSpike = 1234;
  vsim::VesselRecord& spiking = *host.Vessels().back();
  for (int i = 1; i <= kSteps; ++i) {
    host.Step();
    spiking.readings.bank = i == kSpikeStep ? kSpike / 180 * PI : 0;
    data.Sample(host, 0);
  }
  data.Finish();
  EXPECT_EQ(data.interval, 16);
  EXPECT_EQ(data.time.size(), std::size_t{2 * kSteps / 16});
  EXPECT_LE(data.time.size() * data.vessels.size(), data.max_values);
  for (std::size_t i = 0; i + 1 < data.time.size(); i += 2) {
    EXPECT_NEAR(data.time[i + 1] - data.time[i], 15.0 / 60, 1e-9) << i;
    if (i + 2 < data.time.size()) {
      EXPECT_NEAR(data.time[i + 2] - data.time[i], 16.0 / 60, 1e-9);
    }
  }
  const std::vector<double>& bank = data.vessels.back().bank_deg;
  ASSERT_EQ(bank.size(), data.time.size());
  EXPECT_NEAR(*std::max_element(bank.begin(), bank.end()), kSpike, 1e-9)
      << "the one step's spike is kept";
  const std::vector<double>& rotor = data.vessels.front().animations.front();
  ASSERT_EQ(rotor.size(), data.time.size());
  EXPECT_TRUE(data.vessels.front().wraps.front());
  for (std::size_t i = 1; i < rotor.size(); ++i) ASSERT_GE(rotor[i], rotor[i - 1]) << i;
  EXPECT_GT(rotor.back() - rotor.front(), 1.0) << "turns counted across the wraps";
  const std::string svg = vsim::PlotText(data, "long");
  EXPECT_NE(svg.find("Animation phase speed"), std::string::npos);
}

TEST(FlightTest, PlotExplainsTheFlight) {
  test::ScratchDirectory scratch;
  auto options = Options();
  options.out_dir = "out";
  const auto script = ParseScript("f.vsim",
                                  "vessel one\nvessel two\nplot anim 16 \"rotor\"\n"
                                  "plot anim 2 \"gear\"\nplot limit altitude 10 \"ten\"\n"
                                  "mark \"climbing\" when vy > 0.5\n"
                                  "throttle hover 1\nstep 120\nkey G\nstep 60\n");
  ASSERT_TRUE(vsim::RunFlight(script, options).error.empty());
  const std::string svg = ReadFile("out/flight.svg");
  for (const char* text :
       {">key G pressed</text>", ">lift-off</text>", ">climbing</text>", ">one: altitude</text>",
        ">two: altitude</text>", "Vertical speed", "Heading", ">ten</text>",
        "Animation phase speed", ">one: rotor (anim 16)</text>", ">one: gear (anim 2)</text>"})
    EXPECT_NE(svg.find(text), std::string::npos) << text;
  EXPECT_EQ(svg.find("Engine sound"), std::string::npos) << "no sound panel with sound off";
  EXPECT_LT(svg.find("Animation states"), svg.find(">one: gear (anim 2)</text>"));
  EXPECT_GT(svg.find(">one: rotor (anim 16)</text>"), svg.find("Animation phase speed"))
      << "a wrapping phase is drawn as its speed, not as a band";
}

TEST(FlightTest, TraceAndLogDescribeTheRun) {
  test::ScratchDirectory scratch;
  auto options = Options();
  options.out_dir = "out";
  options.trace_path = "trace.txt";
  const auto script = ParseScript("f.vsim", "physics off\nvessel heli\nkey B\nstep 3\n");
  const vsim::FlightResult result = vsim::RunFlight(script, options);
  ASSERT_TRUE(result.error.empty()) << result.error;
  std::ifstream trace("trace.txt");
  std::string line;
  std::vector<std::string> lines;
  while (std::getline(trace, line)) lines.push_back(line);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "0 - InitLib(instance#1)");
  auto has = [&](const std::string& l) {
    return std::find(lines.begin(), lines.end(), l) != lines.end();
  };
  EXPECT_TRUE(has("0 heli oapiLoadMeshGlobal(\"Halvex\\Corvane\") -> mesh#1"));
  EXPECT_TRUE(has("0 heli => ovcInit(vessel#1, 1)"));
  EXPECT_TRUE(has("0 heli => clbkConsumeBufferedKey(0x30, down)"));
  EXPECT_TRUE(has("1 heli GetAltitude() -> 0"));
  EXPECT_TRUE(has("0 heli debug \"Move Backwards \""));
  EXPECT_TRUE(has("3 heli SetThrusterDir(thruster#1, (0, 0, -1))"));
  EXPECT_FALSE(has("4 heli SetThrusterDir(thruster#1, (0, 0, -1))"));
  std::ifstream csv("out/flight.csv");
  std::vector<std::string> rows;
  while (std::getline(csv, line)) rows.push_back(line);
  ASSERT_EQ(rows.size(), 5u) << "a header, the state after creation and one row per step";
  EXPECT_EQ(rows[0].rfind("step,time_s,vessel,x_m,y_m,z_m,altitude_m,airspeed_mps,", 0), 0u);
  EXPECT_EQ(rows[1].rfind("0,0,heli,", 0), 0u) << rows[1];
  EXPECT_EQ(rows[4].rfind("3,", 0), 0u);
  EXPECT_NE(rows[0].find(",anim_16,beacon_1,beacon_2,engine_frequency_hz,engine_volume"),
            std::string::npos);
  std::ifstream svg("out/flight.svg");
  std::stringstream text;
  text << svg.rdbuf();
  EXPECT_EQ(text.str().rfind("<svg", 0), 0u);
  EXPECT_NE(text.str().find("Altitude (m)"), std::string::npos);
}

TEST(FlightTest, ExpectCallIgnoresATrailingComment) {
  test::ScratchDirectory scratch;
  const auto script =
      ParseScript("f.vsim",
                  "vessel heli\nstep\n"
                  "expect call SetThrusterMax0(thruster#2, 45000)   # the hover limit\n");
  const vsim::FlightResult result = vsim::RunFlight(script, Options());
  EXPECT_EQ(result.passed, 1) << (result.failures.empty() ? "" : result.failures[0]);
  EXPECT_EQ(result.failed, 0);
}

TEST(FlightTest, EveryOperationTheJournalRecordsIsOneScriptsMayName) {
  test::ScratchDirectory scratch;
  const auto script =
      ParseScript("f.vsim",
                  "sound on\nvessel heli\ncockpit\nclick 4\nclick 6\nkey G\nkey K\nkey B\n"
                  "throttle hover 1\nstep 30\nkey W\nstep\n");
  vsim::FlightOptions options = Options();
  options.trace_path = "trace.txt";
  ASSERT_TRUE(vsim::RunFlight(script, options).error.empty());
  std::ifstream trace("trace.txt");
  std::string line;
  std::set<std::string> names;
  while (std::getline(trace, line)) {
    if (line.find(" => ") != std::string::npos) continue;  // the host's calls into the module
    vsim::CallEntry entry;
    entry.call = line.substr(line.find(' ', line.find(' ') + 1) + 1);
    names.insert(std::string(entry.Name()));
  }
  EXPECT_GT(names.size(), 40u);
  for (const std::string& name : names) EXPECT_TRUE(vsim::KnownOperation(name)) << name;
}

TEST(FlightTest, LogNamesVesselsAndAnimationsAndRoundsTime) {
  test::ScratchDirectory scratch;
  const auto script = ParseScript("f.vsim",
                                  "name anim 0 nose_steer\nname anim 1 wheels\nname anim 2 gear\n"
                                  "vessel a.b-c_2\nstep 3\n");
  vsim::FlightOptions options = Options();
  options.out_dir = "out";
  const vsim::FlightResult result = vsim::RunFlight(script, options);
  ASSERT_TRUE(result.error.empty()) << result.error;
  std::ifstream csv("out/flight.csv");
  std::string header, created, row;
  std::getline(csv, header);
  std::getline(csv, created);
  std::getline(csv, row);
  EXPECT_EQ(created.rfind("0,0,a.b-c_2,", 0), 0u) << "row: " << created;
  EXPECT_NE(header.find(",anim_nose_steer,anim_wheels,anim_gear,anim_3,"), std::string::npos)
      << header;
  EXPECT_EQ(row.rfind("1,0.016667,a.b-c_2,", 0), 0u) << "row: " << row;
  std::size_t header_fields = 1, row_fields = 1;
  for (char c : header) header_fields += c == ',';
  for (char c : row) row_fields += c == ',';
  EXPECT_EQ(row_fields, header_fields);
}

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

// Each number with the digits its quantity needs: fuel to the gram and
// positions to the millimetre, however the sums of a flight fall.
TEST(FlightTest, LogPrintsQuantitiesToTheirDigits) {
  test::ScratchDirectory scratch;
  const auto script = ParseScript("f.vsim", "vessel heli\nthrottle hover 1\nstep 200\n");
  vsim::FlightOptions options = Options();
  options.out_dir = "out";
  ASSERT_TRUE(vsim::RunFlight(script, options).error.empty());
  std::ifstream csv("out/flight.csv");
  std::string header, row;
  std::getline(csv, header);
  const auto column = [&](const std::string& name) {
    std::size_t index = 0;
    for (std::size_t at = 0; at < header.find(name); ++at) index += header[at] == ',';
    return index;
  };
  const std::size_t fuel = column(",fuel_kg,") + 1, y = column(",y_m,") + 1;
  std::size_t rows = 0;
  while (std::getline(csv, row)) {
    std::vector<std::string> fields{""};
    for (char c : row) {
      if (c == ',')
        fields.emplace_back();
      else
        fields.back().push_back(c);
    }
    for (std::size_t f : {fuel, y}) {
      const std::size_t point = fields[f].find('.');
      EXPECT_TRUE(point == std::string::npos || fields[f].size() - point - 1 <= 3)
          << fields[f] << " in row " << row.substr(0, 20);
    }
    ++rows;
  }
  EXPECT_EQ(rows, 201u);
}

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

}  // namespace

namespace {

TEST(FlightTest, ModuleCommandFliesTheNamedModule) {
  test::ScratchDirectory scratch;
  auto options = Options();
  options.trace_path = "trace.txt";
  const auto script = ParseScript(
      "f.vsim", std::string("module ") + EXIT_MODULE_PATH + "\nphysics off\nvessel heli\nstep\n");
  const vsim::FlightResult result = vsim::RunFlight(script, options);
  ASSERT_TRUE(result.error.empty()) << result.error;
  std::ifstream trace("trace.txt");
  std::stringstream text;
  text << trace.rdbuf();
  // Only that build of the module reports its exit hook at unload.
  EXPECT_NE(text.str().find(" - Date2Int(\"ExitModule "), std::string::npos);
}

}  // namespace

namespace {

// Scripts built from random pieces of the language are either accepted or
// refused with a ScriptError; nothing else escapes the parser.
TEST(ScriptTest, RandomScriptsAreAcceptedOrRefusedCleanly) {
  const char* const pieces[] = {"vessel",
                                "heli",
                                "set",
                                "altitude",
                                "expect",
                                "==",
                                "~",
                                "\"x",
                                "\"y\"",
                                "1e308",
                                "-0",
                                "0x",
                                "deg",
                                "key",
                                "G",
                                "until",
                                "within",
                                "mark",
                                "when",
                                "anim.",
                                "plot",
                                "limit",
                                "#",
                                "physics",
                                "off",
                                "step",
                                "call",
                                ":",
                                "focus-airspeed",
                                "hold",
                                "4",
                                "nan",
                                "\t",
                                ""};
  unsigned seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7fff;
  };
  int accepted = 0, refused = 0;
  for (int script = 0; script < 3000; ++script) {
    std::string text = "vessel heli\n";
    for (int line = 0; line < 4; ++line) {
      const unsigned words = next() % 6;
      for (unsigned w = 0; w < words; ++w) {
        text += pieces[next() % (sizeof pieces / sizeof pieces[0])];
        text += next() % 4 == 0 ? "" : " ";
      }
      text += '\n';
    }
    try {
      ParseScript("r.vsim", text);
      ++accepted;
    } catch (const ScriptError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("r.vsim:", 0), 0u) << e.what();
      ++refused;
    }
  }
  EXPECT_GT(accepted, 0);
  EXPECT_GT(refused, 0);
}

}  // namespace

namespace {

// "expect call" patterns and "expect calls" counts, as a script writes them.
TEST(FlightTest, CallPatternsAndCountsCheckTheWindow) {
  test::ScratchDirectory scratch;
  const auto script = ParseScript("p.vsim",
                                  "physics off\n"
                                  "vessel heli\n"
                                  "step 3\n"
                                  "expect call SetAnimation(16, *)\n"
                                  "expect call heli SetThrusterMax0(...)\n"
                                  "expect calls SetAnimation(16, *) == 3\n"
                                  "expect calls SetAnimation(16, *) >= 4\n"
                                  "expect call SetAnimation(99, *)\n"
                                  "expect calls SetAnimation(99, *) == 1\n");
  const vsim::FlightResult result = vsim::RunFlight(script, Options());
  EXPECT_EQ(result.passed, 3);
  ASSERT_EQ(result.failures.size(), 3u);
  EXPECT_EQ(result.failures[0], "p.vsim:7: expected calls SetAnimation(16, *) >= 4, got 3");
  EXPECT_EQ(result.failures[1].rfind("p.vsim:8: expected call SetAnimation(99, *), got no such "
                                     "call; the window's calls of SetAnimation:\n",
                                     0),
            0u)
      << result.failures[1];
  EXPECT_EQ(result.failures[2].rfind("p.vsim:9: expected calls SetAnimation(99, *) == 1, got 0; "
                                     "the window's calls of SetAnimation:",
                                     0),
            0u)
      << result.failures[2];
}

TEST(FlightTest, ACountOfCallsIsAWholeNumber) {
  for (const char* bad :
       {"expect calls SetAnimation(2, *) == -1\n", "expect calls SetAnimation(2, *) == 1.5\n"}) {
    try {
      ParseScript("c.vsim", std::string("vessel heli\n") + bad);
      FAIL() << bad;
    } catch (const ScriptError& e) {
      EXPECT_NE(std::string(e.what()).find("c.vsim:2: a count of calls is a whole number from 0"),
                std::string::npos)
          << e.what();
    }
  }
}

}  // namespace

namespace {

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

namespace {

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

// A crash ends the run where it happened, unless the script allows it.
TEST(FlightTest, ACrashEndsTheRunUnlessAllowed) {
  test::ScratchDirectory scratch;
  const std::string drop =
      "vessel heli\nthrottle hover 1\nuntil altitude > 30 within 30\nthrottle hover 0\n"
      "until ground == 1 within 30\nrun 1\n";
  const vsim::FlightResult crashed = vsim::RunFlight(ParseScript("f.vsim", drop), Options());
  EXPECT_EQ(crashed.error.rfind("f.vsim:5: crashed: vertical speed ", 0), 0u) << crashed.error;
  EXPECT_NE(crashed.error.find(" m/s, bank 0.0 deg at step "), std::string::npos) << crashed.error;
  bool told = false;
  for (const vsim::FlightEvent& e : crashed.events) told = told || e.text.rfind("crash ", 0) == 0;
  EXPECT_TRUE(told) << "the touchdown is narrated with its figures";

  const vsim::FlightResult allowed =
      vsim::RunFlight(ParseScript("f.vsim", "crash allowed\n" + drop), Options());
  EXPECT_TRUE(allowed.error.empty()) << allowed.error;
}

}  // namespace

namespace {

// Expressions, lets, and/or/not and repeats as a flight carries them out:
// each case's checks, how many hold and the failures' texts.
struct ExpressionFlight {
  const char* name;
  const char* script;
  int passed;
  std::vector<std::string> failures;
  const char* error;  // the run's error, or empty
  long long steps;
};

void PrintTo(const ExpressionFlight& c, std::ostream* out) { *out << c.name; }

class ExpressionFlightTest : public ::testing::TestWithParam<ExpressionFlight> {};

TEST_P(ExpressionFlightTest, ChecksHoldOrFailAsTheyShould) {
  test::ScratchDirectory scratch;
  const vsim::FlightResult result =
      vsim::RunFlight(ParseScript("x.vsim", GetParam().script), Options());
  EXPECT_EQ(result.error, GetParam().error);
  EXPECT_EQ(result.passed, GetParam().passed);
  EXPECT_EQ(result.failures, GetParam().failures);
  EXPECT_EQ(result.steps, GetParam().steps);
}

// Two vessels with physics off, a at 100 m and b at 20 m.
#define TWO_VESSELS \
  "physics off\nvessel a\nvessel b\nfocus a\nset altitude 100\nfocus b\nset altitude 20\n"

INSTANTIATE_TEST_SUITE_P(
    Flights, ExpressionFlightTest,
    ::testing::Values(
        ExpressionFlight{"QuantitiesOfTwoVessels",
                         TWO_VESSELS "expect a:altitude > b:altitude + 5\n"
                                     "expect a:altitude < b:altitude\n"  // fails
                                     "expect abs(b:altitude - a:altitude) == 80\n"
                                     "expect (a:altitude + b:altitude) / 2 == 60m\n"
                                     "expect a:altitude == 328ft ~ 0.1\n",
                         4,
                         {"x.vsim:9: expected a:altitude < b:altitude, got 100 against 20"},
                         "",
                         0},
        ExpressionFlight{"AndOrNot",
                         TWO_VESSELS
                         "expect a:altitude > 50 and b:altitude < 50\n"
                         "expect a:altitude > 500 or b:altitude < 50\n"
                         "expect not a:altitude > 500\n"
                         "expect a:altitude > 500 or not (b:altitude < 50 and a:altitude > 50)\n",
                         3,
                         {"x.vsim:11: expected a:altitude > 500 or not (b:altitude < 50 and "
                          "a:altitude > 50), got 100, 20, 100"},
                         "",
                         0},
        ExpressionFlight{"LetKeepsTheValueOfItsLine",
                         TWO_VESSELS "let h0 = a:altitude\n"
                                     "focus a\nset altitude ($h0 + 50)\n"
                                     "expect a:altitude == $h0 + 50\n"
                                     "let h0 = $h0 * 2\n"
                                     "expect $h0 == 200\n"
                                     "expect a:altitude > $h0\n",  // fails: 150
                         2,
                         {"x.vsim:14: expected a:altitude > $h0, got 150 against 200"},
                         "",
                         0},
        ExpressionFlight{
            "RepeatsNestAndCountTheirSteps",
            "physics off\nvessel a\nlet n = 0\n"
            "repeat 3\n  step\n  repeat 2\n    step 2\n    let n = $n + 1\n  end\nend\n"
            "repeat 0\n  step 100\nend\n"
            "expect $n == 6\n",
            1,
            {},
            "",
            15},
        ExpressionFlight{"ALetOfAVesselThatIsGoneEndsTheRun",
                         "physics off\nvessel a\nvessel c\n"
                         "repeat 2\n  let h = c:altitude\n  destroy c\nend\n",
                         0,
                         {},
                         "x.vsim:5: vessel \"c\" no longer exists for \"c:altitude\"",
                         0},
        ExpressionFlight{"ADivisionByZeroEndsTheRun",
                         "physics off\nvessel a\nset altitude 0\nexpect 1 / altitude > 0\n",
                         0,
                         {},
                         "x.vsim:4: a division by zero",
                         0}),
    [](const auto& info) { return std::string(info.param.name); });

#undef TWO_VESSELS

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

// An until and a mark wait for an expression of a let's value.
TEST(FlightTest, UntilAndMarkTakeExpressions) {
  test::ScratchDirectory scratch;
  const auto script =
      ParseScript("f.vsim",
                  "vessel heli\nlet start = altitude\n"
                  "mark \"ten metres up\" when altitude > $start + 10 and vspeed > 0\n"
                  "throttle hover 1\nuntil altitude - $start > 20 or ground == 0 and altitude > "
                  "1km within 1min\n"
                  "expect altitude > $start + 20\n");
  const vsim::FlightResult result = vsim::RunFlight(script, Options());
  EXPECT_TRUE(result.error.empty()) << result.error;
  EXPECT_EQ(result.passed, 1);
  const auto marked =
      std::find_if(result.events.begin(), result.events.end(),
                   [](const vsim::FlightEvent& e) { return e.text == "ten metres up"; });
  EXPECT_NE(marked, result.events.end()) << "the mark never fired";
}

}  // namespace
