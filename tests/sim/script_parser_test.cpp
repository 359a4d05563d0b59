// The script layer on its own: the lexer, the key table, the quantity
// registry and the verb table.
#include <gtest/gtest.h>

#include <sstream>

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

TEST(VerbTable, WindTakesSeededGusts) {
  const vsim::Script script = vsim::ParseScript(
      "t.vsim", "wind 10 180deg gusts 2.5 seed 12\nwind 4 0\nwind 8 90deg gusts 1kt seed 0\n");
  ASSERT_EQ(script.commands.size(), 3u);
  const auto& gusty = std::get<vsim::WindCommand>(script.commands[0].command);
  EXPECT_EQ(gusty.speed, 10);
  EXPECT_EQ(gusty.gusts, 2.5);
  EXPECT_EQ(gusty.seed, 12u);
  const auto& steady = std::get<vsim::WindCommand>(script.commands[1].command);
  EXPECT_EQ(steady.gusts, 0) << "a wind without gusts ends them";
  EXPECT_NEAR(std::get<vsim::WindCommand>(script.commands[2].command).gusts, 0.514444, 1e-6)
      << "in the units of a speed";
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
        BadPilotLine{"GustsWithoutSeed", "wind 10 0 gusts 3",
                     "p.vsim:2: wind takes SPEED FROM_HEADING, then optionally gusts RMS seed N"},
        BadPilotLine{"GustsMisspelt", "wind 10 0 gust 3 seed 1",
                     "p.vsim:2: wind takes SPEED FROM_HEADING, then optionally gusts RMS seed N"},
        BadPilotLine{"NegativeGusts", "wind 10 0 gusts -1 seed 1",
                     "p.vsim:2: gusts must not be negative"},
        BadPilotLine{"FractionalSeed", "wind 10 0 gusts 3 seed 1.5",
                     "p.vsim:2: expected a whole number, got \"1.5\""},
        BadPilotLine{"NegativeSeed", "wind 10 0 gusts 3 seed -2",
                     "p.vsim:2: the gusts' seed must not be negative"},
        BadPilotLine{"CrashWhat", "crash maybe", "p.vsim:2: expected allowed, got \"maybe\""},
        BadPilotLine{"RatesNeedThree", "set rates 1 2", "p.vsim:2: set rates takes 3 values"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// An expression as a tree in prefix form: "(+ altitude (* 2 5))".
std::string Shape(const vsim::Expression& e, int index) {
  const vsim::ExprNode& n = e.nodes[static_cast<std::size_t>(index)];
  std::ostringstream out;
  switch (n.kind) {
    case vsim::ExprKind::kNumber: out << n.number; break;
    case vsim::ExprKind::kQuantity:
      out << (n.quantity.vessel.empty() ? "" : n.quantity.vessel + ":") << n.quantity.name;
      break;
    case vsim::ExprKind::kVariable: out << "$" << n.slot; break;
    case vsim::ExprKind::kNegate: out << "(- " << Shape(e, n.left) << ")"; break;
    case vsim::ExprKind::kAbs: out << "(abs " << Shape(e, n.left) << ")"; break;
    case vsim::ExprKind::kAdd:
    case vsim::ExprKind::kSubtract:
    case vsim::ExprKind::kMultiply:
    case vsim::ExprKind::kDivide: {
      const char* op[] = {"+", "-", "*", "/"};
      out << "(" << op[static_cast<int>(n.kind) - static_cast<int>(vsim::ExprKind::kAdd)] << " "
          << Shape(e, n.left) << " " << Shape(e, n.right) << ")";
      break;
    }
  }
  return out.str();
}

std::string Shape(const vsim::Condition& c, int index) {
  const vsim::ConditionNode& n = c.nodes[static_cast<std::size_t>(index)];
  switch (n.kind) {
    case vsim::Logic::kCompare: {
      const vsim::Comparison& k = c.comparisons[n.comparison];
      const char* ops[] = {"==", "!=", "<", "<=", ">", ">="};
      std::string text = std::string("(") + ops[static_cast<int>(k.op)] + " " +
                         Shape(k.left, k.left.root) + " " +
                         (k.text ? "\"" + k.text_value + "\"" : Shape(k.right, k.right.root));
      if (k.tolerance != 0) text += " ~" + std::to_string(k.tolerance).substr(0, 4);
      return text + ")";
    }
    case vsim::Logic::kAnd: return "(and " + Shape(c, n.left) + " " + Shape(c, n.right) + ")";
    case vsim::Logic::kOr: return "(or " + Shape(c, n.left) + " " + Shape(c, n.right) + ")";
    case vsim::Logic::kNot: return "(not " + Shape(c, n.left) + ")";
  }
  return "?";
}

struct ConditionCase {
  const char* name;
  const char* condition;  // after "expect"
  const char* shape;
};
class ConditionShapeTest : public ::testing::TestWithParam<ConditionCase> {};

TEST_P(ConditionShapeTest, ParsesWithTheUsualPrecedence) {
  const vsim::Script script =
      vsim::ParseScript("e.vsim", std::string("include helicopter.vsim\nvessel a\nvessel b\nlet "
                                              "h = 7\nlet v = 2kt\nexpect ") +
                                      GetParam().condition + "\n");
  const auto expects = script.All<vsim::ExpectCommand>();
  ASSERT_EQ(expects.size(), 1u);
  EXPECT_EQ(Shape(expects[0]->condition, expects[0]->condition.root), GetParam().shape);
  EXPECT_EQ(expects[0]->condition.source, GetParam().condition);
}

INSTANTIATE_TEST_SUITE_P(
    Expressions, ConditionShapeTest,
    ::testing::Values(
        ConditionCase{"PlainComparisonAsBefore", "altitude > 5", "(> altitude 5)"},
        ConditionCase{"AcrossVessels", "a:altitude > b:altitude + 5",
                      "(> a:altitude (+ b:altitude 5))"},
        ConditionCase{"ProductsBeforeSums", "altitude == 1 + 2 * 3 - 4 / 2",
                      "(== altitude (- (+ 1 (* 2 3)) (/ 4 2)))"},
        ConditionCase{"ParenthesesFirst", "altitude == (1 + 2) * 3", "(== altitude (* (+ 1 2) 3))"},
        ConditionCase{"OperatorsNeedNoSpaces", "a:altitude>b:altitude+5",
                      "(> a:altitude (+ b:altitude 5))"},
        ConditionCase{"SignedNumbersStayNumbers", "landing.vspeed < -6", "(< landing.vspeed -6)"},
        ConditionCase{"UnaryMinusOfAQuantity", "-altitude < -5", "(< (- altitude) -5)"},
        ConditionCase{"AbsOfADifference", "abs(a:altitude - b:altitude) < 1",
                      "(< (abs (- a:altitude b:altitude)) 1)"},
        ConditionCase{"VariablesBySlot", "altitude > $h + $h", "(> altitude (+ $0 $0))"},
        ConditionCase{"UnitsConvertToTheTablesUnits", "altitude > 1km", "(> altitude 1000)"},
        ConditionCase{"FeetAsMetres", "altitude < 100ft", "(< altitude 30.48)"},
        ConditionCase{"KnotsAsMetresPerSecond", "airspeed > $v * 2", "(> airspeed (* $1 2))"},
        ConditionCase{"NamedAnimations", "anim.gear == 1", "(== anim.2 1)"},
        ConditionCase{"ToleranceKept", "altitude == 100 ~ 2", "(== altitude 100 ~2.00)"},
        ConditionCase{"AndBeforeOr", "altitude > 1 or altitude < 2 and ground == 1",
                      "(or (> altitude 1) (and (< altitude 2) (== ground 1)))"},
        ConditionCase{"ParenthesesAroundConditions",
                      "(altitude > 1 or altitude < 2) and ground == 1",
                      "(and (or (> altitude 1) (< altitude 2)) (== ground 1))"},
        ConditionCase{"NotBindsTightest", "not ground == 1 and altitude > 3",
                      "(and (not (== ground 1)) (> altitude 3))"},
        ConditionCase{"ASumInParenthesesIsNoCondition", "(altitude + 1) * 2 > 3",
                      "(> (* (+ altitude 1) 2) 3)"},
        ConditionCase{"TextComparesWithAWord", "debug == \"Move Forwards\"",
                      "(== debug \"Move Forwards\")"},
        ConditionCase{"TextThenMore", "b:sound.engine != stop and altitude > 0",
                      "(and (!= b:sound.1 \"stop\") (> altitude 0))"}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadExpression {
  const char* name;
  const char* line;
  const char* message;
};
class BadExpressionTest : public ::testing::TestWithParam<BadExpression> {};

TEST_P(BadExpressionTest, IsRefusedWithFileLineAndReason) {
  try {
    vsim::ParseScript("x.vsim",
                      std::string("vessel heli\nlet fuel0 = fuel\n") + GetParam().line + "\n");
    FAIL() << "accepted: " << GetParam().line;
  } catch (const vsim::ScriptError& e) {
    EXPECT_EQ(std::string(e.what()), GetParam().message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Messages, BadExpressionTest,
    ::testing::Values(
        BadExpression{"WrongUnit", "expect altitude > 5kt",
                      "x.vsim:3: \"altitude > 5kt\" compares m with m/s"},
        BadExpression{"WrongUnitInASum", "expect altitude + heading > 1",
                      "x.vsim:3: cannot add m and rad"},
        BadExpression{"WrongUnitOfTolerance", "expect altitude == 1 ~ 1deg",
                      "x.vsim:3: \"altitude == 1 ~ 1deg\" compares m with rad"},
        BadExpression{"UnknownUnit", "expect altitude > 5mm",
                      "x.vsim:3: unknown unit \"mm\" in \"5mm\" (did you mean \"m\"?)"},
        BadExpression{"UnknownVariable", "expect fuel < $fuel",
                      "x.vsim:3: unknown variable \"$fuel\" (did you mean \"fuel0\"?)"},
        BadExpression{"UnknownQuantityOfAnotherVessel", "expect heli:altitud > 1",
                      "x.vsim:3: unknown quantity \"altitud\" (did you mean \"altitude\"?)"},
        BadExpression{"UnknownVessel", "expect altitude > b:altitude",
                      "x.vsim:3: unknown vessel \"b\""},
        BadExpression{"TextInASum", "expect debug + 1 == 2",
                      "x.vsim:3: debug is text: it compares with == or != only"},
        BadExpression{"TextOrdered", "expect debug > \"a\"",
                      "x.vsim:3: debug compares with == or != only"},
        BadExpression{"TextWhereANumberBelongs", "expect altitude > \"a\"",
                      "x.vsim:3: \"a\" is text where a number belongs"},
        BadExpression{"DanglingOperator", "expect altitude > 5 +",
                      "x.vsim:3: expected a value at the end"},
        BadExpression{"UnclosedParenthesis", "expect (altitude + 1 > 5",
                      "x.vsim:3: expected \")\" at the end"},
        BadExpression{"StrayWord", "expect altitude > 5 then", "x.vsim:3: unexpected \"then\""},
        BadExpression{"AWordWhereTheComparisonBelongs", "expect altitude + 1 and ground == 1",
                      "x.vsim:3: expected a comparison (==, !=, <, <=, >, >=) after \"altitude + "
                      "1\", got \"and\""},
        BadExpression{"NoComparison", "expect altitude + 1",
                      "x.vsim:3: expected QUANTITY OP VALUE [~ TOLERANCE]"},
        BadExpression{"AndWithoutOperand", "expect altitude > 1 and",
                      "x.vsim:3: expected a value at the end"},
        BadExpression{"NegativeTolerance", "expect altitude == 1 ~ -1",
                      "x.vsim:3: tolerance must not be negative"},
        BadExpression{
            "TooDeep",
            "expect ((((((((((((((((((((((((((((((((((1)))))))))))))))))))))))))))))))))) > 0",
            "x.vsim:3: nested more than 32 deep"},
        BadExpression{"LetWithoutEquals", "let x 5", "x.vsim:3: let needs NAME = EXPRESSION"},
        BadExpression{"LetOfText", "let d = debug",
                      "x.vsim:3: debug is text: it compares with == or != only"},
        BadExpression{"LetBadName", "let 2x = 1",
                      "x.vsim:3: bad name \"2x\": a variable's name is letters, digits and '_', "
                      "and starts with a letter or '_'"},
        BadExpression{"SetInTheWrongUnit", "set altitude (5kt)",
                      "x.vsim:3: set altitude takes m, the expression is in m/s"},
        BadExpression{"RunInMetres", "run 5km", "x.vsim:3: \"5km\" is in m where s belongs"},
        BadExpression{"UnitWhereNoneBelongs", "throttle main 1m",
                      "x.vsim:3: \"1m\" has a unit where a bare number belongs"},
        BadExpression{"StrayEnd", "end", "x.vsim:3: end without repeat"},
        BadExpression{"UnclosedRepeat", "repeat 2\nstep", "x.vsim:3: repeat without end"},
        BadExpression{"RepeatedStepsCountTowardsTheBound", "repeat 101\nstep 10000000\nend",
                      "x.vsim:4: the script steps more than 1000000000 times in all"},
        BadExpression{"RepeatsOfNothingStillBounded",
                      "repeat 10000\nrepeat 100000\nexpect altitude > 0\nend\nend",
                      "x.vsim:4: the script runs more than 100000000 commands in all (count its "
                      "repeats)"}),
    [](const auto& info) { return std::string(info.param.name); });

// A long chain is refused before its evaluation could recurse too deep; one
// within the bound is read.
TEST(ExpressionBounds, ChainsAsLongAsTheBoundAndNoLonger) {
  const auto chain = [](const char* join, int terms) {
    std::string text = "altitude > 0";
    for (int i = 1; i < terms; ++i)
      text += std::string(" ") + join + " altitude > " + std::to_string(i);
    return "vessel a\nexpect " + text + "\n";
  };
  EXPECT_NO_THROW(vsim::ParseScript("l.vsim", chain("and", vsim::kMaxExpressionHeight)));
  EXPECT_THROW(vsim::ParseScript("l.vsim", chain("or", vsim::kMaxExpressionHeight + 1)),
               vsim::ScriptError);
  std::string sum = "vessel a\nexpect altitude";
  for (int i = 0; i < vsim::kMaxExpressionHeight; ++i) sum += " + 1";
  try {
    vsim::ParseScript("l.vsim", sum + " > 0\n");
    FAIL() << "a sum of " << vsim::kMaxExpressionHeight << " additions was accepted";
  } catch (const vsim::ScriptError& e) {
    EXPECT_EQ(std::string(e.what()), "l.vsim:2: more than 256 operations deep");
  }
}

// Each repeat knows where its block ends and each end its repeat, so that
// the runner jumps without looking at words.
TEST(RepeatBlocks, KnowTheirEnds) {
  const vsim::Script script =
      vsim::ParseScript("r.vsim", "vessel a\nrepeat 3\nstep\nrepeat 0\nstep 2\nend\nend\n");
  const auto repeats = script.All<vsim::RepeatCommand>();
  ASSERT_EQ(repeats.size(), 2u);
  EXPECT_EQ(repeats[0]->count, 3);
  EXPECT_EQ(repeats[0]->end, 6u);
  EXPECT_EQ(repeats[1]->end, 5u);
  EXPECT_EQ(std::get<vsim::EndCommand>(script.commands[6].command).repeat, 1u);
}

}  // namespace
