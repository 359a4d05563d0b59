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
