// The journal layer: number and string text, handle names, call look-up.
#include "sim/journal/journal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "sim/journal/call_pattern.h"

namespace {

struct NumberCase {
  const char* name;
  double value;
  const char* text;
};

void PrintTo(const NumberCase& c, std::ostream* out) { *out << c.name; }

class FormatNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(FormatNumberTest, ShortestTextThatReadsBack) {
  EXPECT_EQ(vsim::FormatNumber(GetParam().value), GetParam().text);
  if (std::isfinite(GetParam().value)) {
    EXPECT_EQ(std::stod(vsim::FormatNumber(GetParam().value)), GetParam().value);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values, FormatNumberTest,
    ::testing::Values(NumberCase{"Zero", 0.0, "0"}, NumberCase{"Integer", 45000, "45000"},
                      NumberCase{"Decimal", 0.00242, "0.00242"},
                      NumberCase{"Negative", -3.954622, "-3.954622"},
                      NumberCase{"Tiny", 1e-9, "1e-09"}, NumberCase{"Huge", 1e300, "1e+300"},
                      NumberCase{"NotANumber", std::numeric_limits<double>::quiet_NaN(), "nan"},
                      NumberCase{"Infinite", std::numeric_limits<double>::infinity(), "inf"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FormatString, QuotesAndEscapes) {
  EXPECT_EQ(vsim::FormatString("Move \"Forwards\"\n"), "\"Move \\\"Forwards\\\"\\n\"");
  EXPECT_EQ(vsim::FormatString(nullptr), "null");
  EXPECT_EQ(vsim::FormatVector({1, -0.5, 2}), "(1, -0.5, 2)");
}

// A call's text is built left to right: each value lands after what is there.
TEST(AppendText, EachValueFollowsTheTextBeforeIt) {
  vsim::LineText text;
  text += "f(";
  vsim::AppendString(text, "a\"b");
  text += ", ";
  vsim::AppendVector(text, {0.25, -3, 1e-9});
  text += ", ";
  vsim::AppendString(text, nullptr);
  text += ", ";
  vsim::HandleNames::AppendIssued(text, vsim::HandleKind::kThruster, 11);
  EXPECT_EQ(text.View(), "f(\"a\\\"b\", (0.25, -3, 1e-09), null, thruster#12");
}

TEST(HandleNames, ForeignNameStaysTheSameText) {
  vsim::HandleNames names;
  int a = 0;
  const std::string_view first = names.ForeignName(3, "texture", &a);
  EXPECT_EQ(first, "texture#1");
  EXPECT_EQ(names.ForeignName(3, "texture", &a).data(), first.data()) << "kept, not rebuilt";
  EXPECT_EQ(names.ForeignName(3, "texture", nullptr), "null");
}

TEST(HandleNames, IssuedByKindAndIndexForeignNumberedPerVesselAsTheyAppear) {
  EXPECT_EQ(vsim::HandleNames::Issued(vsim::HandleKind::kThruster, 1), "thruster#2");
  vsim::HandleNames names;
  int a = 0, b = 0;
  EXPECT_EQ(names.Foreign(1, "function", &a), "function#1");
  EXPECT_EQ(names.Foreign(1, "function", &b), "function#2");
  EXPECT_EQ(names.Foreign(1, "function", &a), "function#1") << "a name stays";
  EXPECT_EQ(names.Foreign(2, "function", &b), "function#1") << "counted per vessel";
  EXPECT_EQ(names.Foreign(2, "function", nullptr), "null");
  names.Forget(1);
  EXPECT_EQ(names.Foreign(1, "function", &b), "function#1") << "a destroyed vessel's names go";
}

TEST(Journal, CallsOfOneVesselByOperationName) {
  vsim::Journal journal;
  journal.Add(1, "a", "SetAnimation(2, 0.5)");
  journal.Add(1, "b", "SetAnimation(2, 1)");
  journal.Add(2, "a", "debug \"x\"");
  EXPECT_EQ(journal.Calls("a", "SetAnimation"), std::vector<std::string>{"SetAnimation(2, 0.5)"});
  EXPECT_EQ(journal.Calls("a", "debug"), std::vector<std::string>{"debug \"x\""});
  EXPECT_EQ(journal.Calls("a").size(), 2u);
  EXPECT_EQ(journal.Text(), "1 a SetAnimation(2, 0.5)\n1 b SetAnimation(2, 1)\n2 a debug \"x\"\n");
}

// A long window keeps only what its checks look at; the trace still gets
// every line.
TEST(Journal, KeepsOnlyTheNamedOperationsButWritesEveryLine) {
  std::FILE* sink = std::tmpfile();
  ASSERT_NE(sink, nullptr);
  vsim::Journal journal;
  journal.SetSink(sink);
  journal.KeepOnly({"SetCW", "clbkPostStep"});
  journal.Add(1, "a", "SetAnimation(2, 0.5)");
  journal.Add(1, "a", "SetCW(0.3, 0.3, 0.67, 0.92)");
  journal.Add(1, "a", "SetCWx(1)");
  journal.Add(1, "a", "clbkPostStep(0, 0.016667, 0)", "", true);
  ASSERT_EQ(journal.Entries().size(), 2u);
  EXPECT_EQ(journal.Entries()[0].call, "SetCW(0.3, 0.3, 0.67, 0.92)");
  EXPECT_EQ(journal.Entries()[1].call, "clbkPostStep(0, 0.016667, 0)");
  journal.FlushSink();
  EXPECT_EQ(std::ftell(sink), static_cast<long>(std::string("1 a SetAnimation(2, 0.5)\n"
                                                            "1 a SetCW(0.3, 0.3, 0.67, 0.92)\n"
                                                            "1 a SetCWx(1)\n"
                                                            "1 a clbkPostStep(0, 0.016667, 0)\n")
                                                    .size()));
  std::fclose(sink);
}

namespace {

std::string SinkText(std::FILE* sink) {
  std::string text(static_cast<std::size_t>(std::ftell(sink)), '\0');
  std::rewind(sink);
  text.resize(std::fread(text.data(), 1, text.size(), sink));
  return text;
}

// A journal writing to a temporary file, and what reached the file.
struct JournalToFile {
  explicit JournalToFile(bool keep) {
    journal.keep = keep;
    journal.SetSink(sink);
  }
  ~JournalToFile() {
    journal.SetSink(nullptr);
    if (sink != nullptr) std::fclose(sink);
  }
  std::string Written() {
    journal.FlushSink();
    return SinkText(sink);
  }
  std::FILE* const sink = std::tmpfile();
  vsim::Journal journal;
};

}  // namespace

// Each line begins with its own step and vessel, however the lines before
// began; the entries kept hold the call and the result apart, and a call
// that returned nothing has no arrow.
TEST(Journal, LinesWrittenInPlaceNameTheirOwnStepAndVessel) {
  JournalToFile file(true);
  ASSERT_NE(file.sink, nullptr);
  vsim::Journal& journal = file.journal;
  const auto write = [&](int step, std::string_view vessel, std::string_view call,
                         std::string_view result, bool answers) {
    vsim::LineText& line = journal.Begin(step, vessel);
    line += call;
    if (answers) {
      journal.BeginResult();
      line += result;
    }
    journal.End();
  };
  write(7, "heli", "GetAltitude()", "12.5", true);
  write(7, "heli2", "GroundContact()", "false", true);
  write(7, "heli", "SetCW(1, 2, 3, 4)", "", true);
  write(8, "heli", "SetAnimation(1, 0.5)", "true", true);
  write(10, "he", "GetBank()", "0", true);
  journal.Add(10, "heli", "SetThrusterLevel(thruster#1, 1)");
  ASSERT_EQ(journal.Entries().size(), 6u);
  EXPECT_EQ(journal.Entries()[1].vessel, "heli2");
  EXPECT_EQ(journal.Entries()[1].call, "GroundContact()");
  EXPECT_EQ(journal.Entries()[1].result, "false");
  EXPECT_EQ(journal.Entries()[2].call, "SetCW(1, 2, 3, 4)");
  EXPECT_EQ(journal.Entries()[2].result, "");
  EXPECT_EQ(journal.Entries()[4].step, 10);
  EXPECT_EQ(journal.Entries()[4].vessel, "he");
  const std::string expected =
      "7 heli GetAltitude() -> 12.5\n"
      "7 heli2 GroundContact() -> false\n"
      "7 heli SetCW(1, 2, 3, 4)\n"
      "8 heli SetAnimation(1, 0.5) -> true\n"
      "10 he GetBank() -> 0\n"
      "10 heli SetThrusterLevel(thruster#1, 1)\n";
  EXPECT_EQ(journal.Text(), expected);
  EXPECT_EQ(file.Written(), expected);
}

// A line's vessel is told from the last line's by its whole name: names of
// one length differing in any one character, at one step, each keep their
// own, in the entries and in the file, whether or not the line's beginning
// is short enough to be copied whole.
TEST(Journal, NamesOfOneLengthDifferingAnywhereEachNameTheirLine) {
  JournalToFile file(true);
  ASSERT_NE(file.sink, nullptr);
  vsim::Journal& journal = file.journal;
  constexpr std::size_t kLongest = 40;
  std::string expected;
  std::size_t lines = 0;
  for (std::size_t length = 1; length <= kLongest; ++length) {
    const std::string name(length, 'v');
    for (std::size_t at = 0; at < length; ++at) {
      std::string other = name;
      other[at] = 'w';
      for (const std::string& vessel : {name, other}) {
        journal.Add(3, vessel, "GetBank()", "0");
        expected += "3 " + vessel + " GetBank() -> 0\n";
        ++lines;
      }
    }
  }
  ASSERT_EQ(journal.Entries().size(), lines);
  EXPECT_EQ(journal.Text(), expected);
  EXPECT_EQ(file.Written(), expected);
}

// Lines far longer than the block, and more of them than it holds, reach
// the file whole and in order.
TEST(Journal, LinesBeyondTheBlockReachTheFileWhole) {
  JournalToFile file(false);
  ASSERT_NE(file.sink, nullptr);
  vsim::Journal& journal = file.journal;
  std::string expected;
  for (int i = 0; i < 400; ++i) {
    const std::string call =
        "f(" + std::string(static_cast<std::size_t>(i % 7 == 0 ? 300000 : 1500), 'a' + i % 26) +
        ")";
    journal.Add(i, "v", call);
    expected += std::to_string(i) + " v " + call + "\n";
  }
  const std::string written = file.Written();
  EXPECT_EQ(written.size(), expected.size());
  EXPECT_TRUE(written == expected) << "the file differs from the lines written";
  EXPECT_FALSE(journal.SinkFailed());
}

// Text built in place keeps what is there as it grows.
TEST(LineText, GrowsKeepingItsText) {
  vsim::LineText text;
  std::string expected;
  for (int i = 0; i < 2000; ++i) {
    const std::string piece = std::to_string(i) + ",";
    text += piece;
    expected += piece;
    char* at = text.Room(vsim::kNumberText);
    text.Advance(vsim::WriteNumber(at, i * 0.25));
    expected += vsim::FormatNumber(i * 0.25);
  }
  EXPECT_EQ(text.View(), expected);
  text.Truncate(3);
  EXPECT_EQ(text.Str(), "0,0");
  EXPECT_EQ(text.View(1), ",0");
}

TEST(HandleCodes, RoundTripAndRejectWhatTheHostNeverMade) {
  void* handle = vsim::EncodeHandle(7, vsim::HandleKind::kComponent, 28);
  const vsim::HandleCode code = vsim::DecodeHandle(handle);
  EXPECT_EQ(code.owner, 7u);
  EXPECT_EQ(code.kind, vsim::HandleKind::kComponent);
  EXPECT_EQ(code.index, 28u);
  int local = 0;
  EXPECT_EQ(vsim::DecodeHandle(&local).kind, vsim::HandleKind::kNone);
  EXPECT_EQ(vsim::DecodeHandle(nullptr).kind, vsim::HandleKind::kNone);
}

}  // namespace

namespace {

// A window longer than the journal keeps: memory stays at the limit, and
// the checks that look for one call, or for the first of an operation, still
// find calls made after it was reached.
TEST(JournalBoundTest, AWindowBeyondTheLimitKeepsWhatItsChecksNeed) {
  vsim::Journal journal;
  journal.KeepOnly({"SetAnimation", "AddForce"});
  journal.kept_limit = 100;
  const vsim::CallPattern two("SetAnimation(2, 0.5)");
  const vsim::CallPattern three("heli SetAnimation(3, 1)");
  const vsim::CallPattern any_one("SetAnimation(1, *)");
  for (const vsim::CallPattern* p : {&two, &three, &any_one}) journal.Watch(*p);
  for (int step = 1; step <= 1000; ++step) {
    journal.Add(step, "heli", "SetAnimation(1, " + std::to_string(step) + ")");
    journal.Add(step, "heli", "SetThrusterLevel(thruster#1, 1)");
  }
  journal.Add(1001, "heli", "SetAnimation(2, 0.5)");
  journal.Add(1002, "heli", "AddForce(1, 2)");
  journal.Add(1003, "heli", "SetAnimation(3, 1)");
  EXPECT_EQ(journal.Entries().size(), 100u);
  EXPECT_EQ(journal.Dropped(), 903u);
  ASSERT_NE(journal.FirstMatch(two), nullptr);
  EXPECT_EQ(journal.FirstMatch(two)->step, 1001);
  ASSERT_NE(journal.FirstMatch(three), nullptr);
  EXPECT_EQ(journal.FirstMatch(three)->step, 1003);
  EXPECT_EQ(journal.Count(any_one), 1000) << "counted beyond the limit";
  ASSERT_NE(journal.FirstOf("AddForce"), nullptr);
  EXPECT_EQ(journal.FirstOf("AddForce")->Line(), "1002 heli AddForce(1, 2)");
  EXPECT_EQ(journal.FirstOf("SetThrusterLevel"), nullptr) << "an operation not kept";
  journal.Clear();
  EXPECT_EQ(journal.FirstMatch(two), nullptr) << "a new window starts empty";
  EXPECT_EQ(journal.Count(any_one), 0);
  EXPECT_EQ(journal.FirstOf("AddForce"), nullptr);
  EXPECT_EQ(journal.Dropped(), 0u);
}

}  // namespace

namespace {

struct PatternCase {
  const char* name;
  const char* pattern;
  bool matches;  // the entry 7 heli SetAnimation(2, [1, 2], "a, *") -> true
};

void PrintTo(const PatternCase& c, std::ostream* os) { *os << c.name; }

class CallPatternTest : public ::testing::TestWithParam<PatternCase> {};

TEST_P(CallPatternTest, MatchesAsWritten) {
  const vsim::CallEntry entry{7, "heli", "SetAnimation(2, [1, 2], \"a, *\")", "true", false};
  EXPECT_EQ(vsim::CallPattern(GetParam().pattern).Matches(entry), GetParam().matches)
      << GetParam().pattern;
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, CallPatternTest,
    ::testing::Values(
        PatternCase{"Exact", "SetAnimation(2, [1, 2], \"a, *\")", true},
        PatternCase{"ExactWithItsResult", "SetAnimation(2, [1, 2], \"a, *\") -> true", true},
        PatternCase{"WrongResult", "SetAnimation(2, [1, 2], \"a, *\") -> false", false},
        PatternCase{"WithVessel", "heli SetAnimation(2, [1, 2], \"a, *\")", true},
        PatternCase{"OtherVessel", "b SetAnimation(2, *, *)", false},
        PatternCase{"WithStepAndVessel", "7 heli SetAnimation(*, *, *)", true},
        PatternCase{"OtherStep", "8 heli SetAnimation(*, *, *)", false},
        PatternCase{"NameOnly", "SetAnimation", true},
        PatternCase{"OtherName", "SetAnimations", false},
        PatternCase{"StarIsOneArgumentAVectorCountsAsOne", "SetAnimation(2, *, *)", true},
        PatternCase{"TooFewStars", "SetAnimation(2, *)", false},
        PatternCase{"TooManyStars", "SetAnimation(2, *, *, *)", false},
        PatternCase{"Rest", "SetAnimation(2, ...)", true},
        PatternCase{"RestOfNothingMore", "SetAnimation(2, [1, 2], \"a, *\", ...)", true},
        PatternCase{"WrongFirstArgument", "SetAnimation(3, ...)", false},
        PatternCase{"StarInQuotesIsLiteral", "SetAnimation(*, *, \"a, x\")", false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
