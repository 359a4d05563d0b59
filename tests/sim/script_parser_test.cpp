// The script layer on its own: the lexer, the key table, the quantity
// registry and the verb table.
#include <gtest/gtest.h>

#include "sim/script/keys.h"
#include "sim/script/lexer.h"
#include "sim/script/parser.h"
#include "sim/script/quantities.h"

namespace {

struct LexCase {
  const char* name;
  const char* line;
  std::vector<std::string> tokens;
  const char* text;
};

void PrintTo(const LexCase& c, std::ostream* out) { *out << c.line; }

class LexTest : public ::testing::TestWithParam<LexCase> {};

TEST_P(LexTest, TokensAndCommentFreeText) {
  const vsim::LexedLine lexed = vsim::Lex(GetParam().line);
  std::vector<std::string> tokens;
  for (const vsim::Token& t : lexed.tokens) tokens.push_back(t.text);
  EXPECT_EQ(tokens, GetParam().tokens);
  EXPECT_EQ(lexed.text, GetParam().text);
  EXPECT_TRUE(lexed.error.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LexTest,
    ::testing::Values(LexCase{"Comment", "step 3   # three steps", {"step", "3"}, "step 3"},
                      LexCase{"WholeLineComment", "# nothing", {}, ""},
                      LexCase{"HandleNameKeepsItsHash",
                              "expect call SetThrusterMax0(thruster#2, 1)",
                              {"expect", "call", "SetThrusterMax0(thruster#2,", "1)"},
                              "expect call SetThrusterMax0(thruster#2, 1)"},
                      LexCase{"HashInsideQuotes",
                              "mark \"gear # up\" when x",
                              {"mark", "gear # up", "when", "x"},
                              "mark \"gear # up\" when x"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Keys, EveryLetterRoundTripsAndCodesAreBounded) {
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const auto code = vsim::ParseKey(std::string(1, letter));
    ASSERT_TRUE(code.has_value()) << letter;
    EXPECT_EQ(vsim::KeyName(*code), std::string(1, letter));
    EXPECT_EQ(vsim::ParseKey(std::string(1, static_cast<char>(letter + 32))), code);
  }
  EXPECT_EQ(vsim::ParseKey("0x1c"), 0x1Cu);
  EXPECT_EQ(vsim::KeyName(0x1C), "0x1C");
  EXPECT_FALSE(vsim::ParseKey("0x100").has_value());
  EXPECT_FALSE(vsim::ParseKey("GG").has_value());
}

// A name for every row of the registry, with the index the row stands for.
std::string Example(const vsim::QuantityDef& def) {
  std::string name = def.pattern;
  const auto hash = name.find('#');
  if (hash != std::string::npos)
    name.replace(hash, 1, std::to_string(def.min_index == 0 ? 2 : def.min_index));
  return name;
}

TEST(QuantityRegistry, EveryRowIsFoundByItsOwnName) {
  for (const vsim::QuantityDef& def : vsim::Quantities()) {
    const vsim::QuantityMatch match = vsim::FindQuantity(Example(def));
    EXPECT_EQ(match.def, &def) << def.pattern;
  }
}

TEST(QuantityRegistry, IndicesOutsideTheirRangeMatchNothing) {
  EXPECT_EQ(vsim::FindQuantity("touchdown.4.x").def, nullptr);
  EXPECT_EQ(vsim::FindQuantity("thruster.0.level").def, nullptr);
  EXPECT_EQ(vsim::FindQuantity("anim.x").def, nullptr);
  EXPECT_EQ(vsim::FindQuantity("anim.2.state").def, nullptr);
  EXPECT_EQ(vsim::FindQuantity("anim.16").index, 16);
}

TEST(QuantityRegistry, TheParserUsesTheRegistryForSetAndExpect) {
  for (const vsim::QuantityDef& def : vsim::Quantities()) {
    const std::string name = Example(def);
    std::string script = "physics off\nvessel heli\n";
    if (def.read != nullptr)
      script += "expect " + name + (def.kind == vsim::QuantityKind::kText ? " == x\n" : " == 1\n");
    if (def.set != nullptr) {
      script += "set " + name;
      for (int i = 0; i < def.set_values; ++i) script += " 1";
      script += "\n";
    }
    EXPECT_NO_THROW(vsim::ParseScript("t.vsim", script)) << script;
  }
}

TEST(VerbTable, CommandsParseToTheirTypes) {
  const vsim::Script script =
      vsim::ParseScript("t.vsim",
                        "vessel heli easy\nthrottle hover 0.5\nkey G shift release\nstep 3\n"
                        "plot limit airspeed 100 \"limit\"\n");
  ASSERT_EQ(script.commands.size(), 5u);
  EXPECT_EQ(std::get<vsim::VesselCommand>(script.commands[0].command).flight_model, 0);
  EXPECT_EQ(std::get<vsim::ThrottleCommand>(script.commands[1].command).group, THGROUP_HOVER);
  const auto& key = std::get<vsim::KeyCommand>(script.commands[2].command);
  EXPECT_EQ(key.key, 0x22u);
  EXPECT_TRUE(key.release);
  EXPECT_EQ(key.modifiers, std::vector<unsigned>{OAPI_KEY_LSHIFT});
  EXPECT_EQ(std::get<vsim::StepCommand>(script.commands[3].command).count, 3);
  EXPECT_EQ(script.commands[4].line, 5);
}

}  // namespace

namespace {

// The pilot's commands of the six-degree-of-freedom physics, each as its
// typed command.
TEST(VerbTable, HoldsThrustWindAndCrashParseToTheirTypes) {
  const vsim::Script script = vsim::ParseScript(
      "t.vsim",
      "vessel heli\nhold heading 90deg\nhold altitude 50\nhold killrot\nhold off\nhold 4 10\n"
      "thrust yawleft 0.5\nwind 10 180deg\ncrash allowed\nset rates 1deg/s 0 0\n");
  ASSERT_EQ(script.commands.size(), 10u);
  const auto& heading = std::get<vsim::AutopilotCommand>(script.commands[1].command);
  EXPECT_EQ(heading.hold, vsim::Autopilot::kHeading);
  EXPECT_DOUBLE_EQ(heading.target, PI / 2);
  EXPECT_EQ(std::get<vsim::AutopilotCommand>(script.commands[2].command).target, 50);
  EXPECT_EQ(std::get<vsim::AutopilotCommand>(script.commands[3].command).hold,
            vsim::Autopilot::kKillRotation);
  EXPECT_EQ(std::get<vsim::AutopilotCommand>(script.commands[4].command).hold,
            vsim::Autopilot::kOff);
  EXPECT_EQ(std::get<vsim::HoldCommand>(script.commands[5].command).area, 4) << "a cockpit area";
  const auto& thrust = std::get<vsim::ThrustCommand>(script.commands[6].command);
  EXPECT_EQ(thrust.group, THGROUP_ATT_YAWLEFT);
  EXPECT_EQ(thrust.level, 0.5);
  const auto& wind = std::get<vsim::WindCommand>(script.commands[7].command);
  EXPECT_EQ(wind.speed, 10);
  EXPECT_DOUBLE_EQ(wind.from_heading, PI);
  EXPECT_TRUE(std::get<vsim::CrashCommand>(script.commands[8].command).allowed);
  EXPECT_DOUBLE_EQ(std::get<vsim::SetCommand>(script.commands[9].command).values[0], RAD);
}

struct BadPilotLine {
  const char* name;
  const char* line;
  const char* message;
};
class BadPilotLineTest : public ::testing::TestWithParam<BadPilotLine> {};

TEST_P(BadPilotLineTest, IsRefusedWithItsReason) {
  try {
    vsim::ParseScript("p.vsim", std::string("vessel heli\n") + GetParam().line + "\n");
    FAIL() << "accepted: " << GetParam().line;
  } catch (const vsim::ScriptError& e) {
    EXPECT_EQ(std::string(e.what()), GetParam().message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Messages, BadPilotLineTest,
    ::testing::Values(
        BadPilotLine{"UnknownGroup", "thrust sideways 1",
                     "p.vsim:2: unknown thruster group \"sideways\" (main, retro, hover, pitchup, "
                     "pitchdown, yawleft, yawright, bankleft, bankright, right, left, up, down, "
                     "forward, back)"},
        BadPilotLine{"LevelOutOfRange", "thrust pitchup 2", "p.vsim:2: level 2 outside 0..1"},
        BadPilotLine{"HoldWithoutTarget", "hold altitude",
                     "p.vsim:2: hold altitude takes one value, METRES"},
        BadPilotLine{"HoldWithAStrayValue", "hold level 3", "p.vsim:2: hold level takes no value"},
        BadPilotLine{"NegativeWind", "wind -3 0", "p.vsim:2: wind speed must not be negative"},
        BadPilotLine{"CrashWhat", "crash maybe", "p.vsim:2: expected allowed, got \"maybe\""},
        BadPilotLine{"RatesNeedThree", "set rates 1 2", "p.vsim:2: set rates takes 3 values"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
