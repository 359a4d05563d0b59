// The script's values: numbers with their units, and keys.
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

}  // namespace
