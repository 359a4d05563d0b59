// Expressions, lets, and/or/not and repeats as flights carry them out.
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

}  // namespace
