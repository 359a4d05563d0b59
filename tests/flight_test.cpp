// Flights carried out on the host: expectations, outputs, modules, call patterns, crashes.
#include <gtest/gtest.h>

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
#include "tests/script_support.h"
#include "tests/support.h"

namespace {

using test::Exists;
using test::Options;
using test::ReadFile;
using test::RunProgram;
using vsim::ParseScript;
using vsim::ScriptError;

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
