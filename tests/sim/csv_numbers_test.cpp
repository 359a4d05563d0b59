// Numbers as the log and the trace write them: the shortest text that
// reads back as the number, found in integer arithmetic, is the library's
// to the byte; the log's rounded quantities, written from their integer
// digits, are the shortest text of the rounded number.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "sim/journal/decimal.h"
#include "sim/journal/format.h"
#include "sim/outputs/fixed_number.h"

namespace {

std::string Fast(double value, const vsim::Decimals& d) {
  char text[vsim::kNumberText];
  return std::string(text, vsim::WriteRounded(text, value, d));
}

// Rounded half away from zero by truncation, exact below 2^53, rather than
// by the C library's round: MinGW-w64's rounds the double just below a half
// up, as floor(x + 0.5) does.
double Rounded(double value, const vsim::Decimals& d) {
  const double scaled = value * d.per_unit;
  if (!(std::fabs(scaled) < 0x1p53)) return scaled / d.per_unit;
  const double whole = std::trunc(scaled);
  const double rest = scaled - whole;
  const double away = std::fabs(rest) >= 0.5 ? std::copysign(1.0, scaled) : 0.0;
  return std::copysign(whole + away, scaled) / d.per_unit;
}

std::string Reference(double value, const vsim::Decimals& d) {
  char text[vsim::kNumberText];
  return std::string(text, vsim::WriteNumber(text, Rounded(value, d)));
}

struct NumberCase {
  const char* name;
  double value;
  int places;
  const char* text;
};

class RoundedNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(RoundedNumberTest, WritesTheShortestTextOfTheRoundedNumber) {
  const NumberCase& c = GetParam();
  const vsim::Decimals d = vsim::DecimalsOf(c.places);
  EXPECT_EQ(Fast(c.value, d), c.text);
  EXPECT_EQ(Fast(c.value, d), Reference(c.value, d));
}

constexpr double kInfinity = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    AwkwardValues, RoundedNumberTest,
    ::testing::Values(NumberCase{"Zero", 0.0, 3, "0"}, NumberCase{"NegativeZero", -0.0, 3, "-0"},
                      NumberCase{"TinyNegativeRoundsToNegativeZero", -0.0004, 3, "-0"},
                      NumberCase{"TinyPositiveRoundsToZero", 0.0004, 3, "0"},
                      NumberCase{"Whole", 1500.0, 3, "1500"},
                      NumberCase{"NegativeWhole", -3.0, 3, "-3"},
                      NumberCase{"TrailingZerosDropped", 12.5, 3, "12.5"},
                      NumberCase{"Grams", 1499.985000001, 3, "1499.985"},
                      NumberCase{"LeadingZerosKept", 0.001, 3, "0.001"},
                      NumberCase{"NegativeFraction", -0.25, 3, "-0.25"},
                      NumberCase{"TieAwayFromZero", 0.0005, 3, "0.001"},
                      NumberCase{"NegativeTieAwayFromZero", -0.0625, 3, "-0.063"},
                      NumberCase{"ProductRoundsOntoTheTie", 1.0005, 3, "1.001"},
                      NumberCase{"JustBelowATie", -0.0049999999999999992, 2, "-0"},
                      NumberCase{"MicroradianBelowPlainRange", 5e-6, 6, "5e-06"},
                      NumberCase{"NegativeMicroradiansWithExponent", -1.2e-5, 6, "-1.2e-05"},
                      NumberCase{"PlainRangeStarts", 1e-4, 6, "0.0001"},
                      NumberCase{"Microradians", 3.14159265, 6, "3.141593"},
                      NumberCase{"Centipascals", 101325.004999, 2, "101325"},
                      NumberCase{"Microseconds", 1234.5678905, 6, "1234.567891"},
                      NumberCase{"LargeAndExact", 123456789012.345, 3, "123456789012.345"},
                      NumberCase{"AtTheWholeLimit", 1e15, 3, "1e+15"},
                      NumberCase{"BeyondExactUnits", 9.5e12, 3, "9500000000000"},
                      NumberCase{"Huge", 1.5e300, 3, "1.5e+300"},
                      NumberCase{"NotANumber", std::numeric_limits<double>::quiet_NaN(), 3, "nan"},
                      NumberCase{"Infinite", -kInfinity, 3, "-inf"}),
    [](const auto& info) { return std::string(info.param.name); });

// Values of every magnitude the log meets, and their neighbours one ulp
// away, which sit on either side of a rounding boundary.
TEST(RoundedNumbers, AgreeWithTheShortestTextAcrossMagnitudes) {
  std::mt19937_64 random(20261209);
  std::uniform_real_distribution<double> mantissa(-10, 10);
  std::uniform_int_distribution<int> exponent(-9, 14);
  for (int places : {2, 3, 6}) {
    const vsim::Decimals d = vsim::DecimalsOf(places);
    for (int i = 0; i < 20000; ++i) {
      const double base = mantissa(random) * std::pow(10.0, exponent(random));
      // Exactly on a half unit, where rounding goes one way or the other.
      const double tie = (std::floor(base * d.per_unit) + 0.5) / d.per_unit;
      for (double x :
           {base, tie, std::nextafter(tie, kInfinity), std::nextafter(tie, -kInfinity)}) {
        ASSERT_EQ(Fast(x, d), Reference(x, d)) << "value " << x << " to " << places << " places";
      }
    }
  }
}

// The library's shortest text, as the log and the trace have always had it:
// whole numbers as integers, plain decimals from 1e-4 to 1e15, else with an
// exponent.
std::string LibraryText(double value) {
  char text[64];
  const double magnitude = std::fabs(value);
  if (value == std::trunc(value) && magnitude < 1e15 && !std::signbit(value))
    return std::string(
        text, std::to_chars(text, text + sizeof text, static_cast<std::int64_t>(value)).ptr);
  const bool plain = magnitude == 0 || (magnitude >= 1e-4 && magnitude < 1e15);
  return std::string(text,
                     std::to_chars(text, text + sizeof text, value,
                                   plain ? std::chars_format::fixed : std::chars_format::general)
                         .ptr);
}

std::string Written(double value) {
  char text[vsim::kNumberText];
  return std::string(text, vsim::WriteNumber(text, value));
}

struct ShortestCase {
  const char* name;
  double value;
};

class ShortestTextTest : public ::testing::TestWithParam<ShortestCase> {};

TEST_P(ShortestTextTest, IsTheLibrarysText) {
  EXPECT_EQ(Written(GetParam().value), LibraryText(GetParam().value));
}

INSTANTIATE_TEST_SUITE_P(
    AwkwardValues, ShortestTextTest,
    ::testing::Values(
        ShortestCase{"OneTenth", 0.1}, ShortestCase{"SumThatIsNotThreeTenths", 0.1 + 0.2},
        ShortestCase{"OneThird", 1.0 / 3}, ShortestCase{"TwoThirds", -2.0 / 3},
        ShortestCase{"Half", 0.5}, ShortestCase{"PowerOfTwoWithACloserNeighbourBelow", 0.25},
        ShortestCase{"SmallPowerOfTwo", 1.0 / 8192}, ShortestCase{"OneAndAHalf", 1.5},
        ShortestCase{"PlainRangeStarts", 1e-4},
        ShortestCase{"JustAbovePlainRange", 1.0000000000000002e-4},
        ShortestCase{"JustBelowPlainRange", 9.999999999999999e-5},
        ShortestCase{"FastRangeEnds", 99999999999999.98},
        ShortestCase{"BeyondFastRange", 123456789012345.6}, ShortestCase{"StepLength", 1.0 / 60},
        ShortestCase{"TimeAfterManySteps", 1113.6833333333},
        ShortestCase{"SeventeenDigits", 0.30000000000000004}, ShortestCase{"NegativeWhole", -7.0},
        ShortestCase{"NegativeZero", -0.0}, ShortestCase{"Tiny", 5e-324},
        ShortestCase{"Huge", 1.7976931348623157e308},
        ShortestCase{"NotANumber", std::numeric_limits<double>::quiet_NaN()},
        ShortestCase{"Infinite", kInfinity}),
    [](const auto& info) { return std::string(info.param.name); });

// Doubles of every binary exponent of the fast range and beyond it, each
// with random mantissas and with the extreme ones.
TEST(ShortestText, IsTheLibrarysAcrossEveryExponent) {
  std::mt19937_64 random(60);
  constexpr std::uint64_t kMantissa = (std::uint64_t{1} << 52) - 1;
  for (int exponent = -20; exponent <= 50; ++exponent) {
    const double scale = std::ldexp(1.0, exponent);
    for (int i = 0; i < 3000; ++i) {
      const std::uint64_t mantissa = i == 0 ? 0 : (i == 1 ? kMantissa : random() & kMantissa);
      const double unit = 1.0 + std::ldexp(static_cast<double>(mantissa), -52);
      for (double x : {unit * scale, -unit * scale}) {
        ASSERT_EQ(Written(x), LibraryText(x)) << "value " << x;
      }
    }
  }
}

// Decimals with few digits, which a short text must find exactly.
TEST(ShortestText, FindsShortDecimals) {
  for (int places = 1; places <= 8; ++places)
    for (std::int64_t units = 1; units < 3000; units += 7) {
      const double x = static_cast<double>(units) / std::pow(10.0, places);
      ASSERT_EQ(Written(x), LibraryText(x)) << "value " << x;
    }
}

// Decimals of every length of digits and binary fractions whose decimals
// end in zeros: the digits past the shortest text are dropped several at a
// time, and the one kept next to them must round as dropping one at a time
// would.
TEST(ShortestText, FindsDecimalsOfEveryLength) {
  std::mt19937_64 random(17);
  for (int significant = 1; significant <= 17; ++significant)
    for (int places = 1; places <= 18; ++places)
      for (int i = 0; i < 40; ++i) {
        const std::uint64_t units = random() % vsim::kTens[significant];
        const double x = static_cast<double>(units) / std::pow(10.0, places);
        ASSERT_EQ(Written(x), LibraryText(x)) << "value " << x;
      }
  for (int halvings = 1; halvings <= 45; ++halvings)
    for (std::int64_t odd = 1; odd < 4000; odd += 2) {
      const double x = std::ldexp(static_cast<double>(odd), -halvings);
      ASSERT_EQ(Written(x), LibraryText(x)) << "value " << x;
    }
}

std::string LibraryTenths(double value) {
  char text[64];
  return std::string(
      text, std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 1).ptr);
}

std::string Tenths(double value) {
  char text[vsim::kNumberText];
  return std::string(text, vsim::WriteTenths(text, value));
}

// Page coordinates to a tenth, as the library writes them: binary halves of
// a tenth, which round to even; decimals just off a half, whose product
// with ten rounds onto it; and random values with their neighbours.
TEST(Tenths, AreTheLibrarysText) {
  for (double x : {0.0, -0.0, 0.05, 0.15, 0.25, 0.35, 0.45, 0.75, 1.25, -0.25, -0.05, 2.45, 1234.55,
                   9999999.95, 1e7, 5e-324, 0.049999999999999996})
    EXPECT_EQ(Tenths(x), LibraryTenths(x)) << "value " << x;
  for (std::int64_t units = -20000; units <= 20000; ++units) {
    const double half = (static_cast<double>(units) + 0.5) / 10;
    for (double x : {half, std::nextafter(half, kInfinity), std::nextafter(half, -kInfinity)})
      ASSERT_EQ(Tenths(x), LibraryTenths(x)) << "value " << x;
  }
  std::mt19937_64 random(1010);
  std::uniform_real_distribution<double> page(-1e7, 1e7);
  for (int i = 0; i < 200000; ++i) {
    const double x = page(random) / std::pow(10.0, static_cast<double>(random() % 8));
    ASSERT_EQ(Tenths(x), LibraryTenths(x)) << "value " << x;
  }
}

// The loop-free writer of the shortest texts against the general one, for
// units of every length with every count of trailing zeros, at every place
// the point can take.
TEST(PlainDecimal, IsTheGeneralWritersText) {
  std::mt19937_64 random(2412);
  for (int length = 1; length <= 17; ++length)
    for (int zeros = 0; zeros < length; ++zeros)
      for (int places = 1; places <= 23; ++places)
        for (bool negative : {false, true}) {
          const std::uint64_t head = vsim::kTens[length - zeros - 1];
          const std::uint64_t digits = head + random() % (9 * head);
          const std::uint64_t units = (digits % 10 == 0 ? digits + 1 : digits) * vsim::kTens[zeros];
          char plain[vsim::kNumberText], general[vsim::kNumberText];
          const std::string written(plain, vsim::WritePlainDecimal(plain, negative, units, places));
          const std::string expected(general, vsim::WriteDecimal(general, negative, units, places));
          ASSERT_EQ(written, expected) << units << " at " << places << " places";
        }
}

// The fixed-decimal writer of the log against the general one, for wholes
// of every length and fractions with every count of trailing zeros.
TEST(FixedDecimal, IsTheGeneralWritersText) {
  std::mt19937_64 random(808);
  for (int places = 1; places <= 8; ++places)
    for (int length = 1; length <= 16; ++length)
      for (int zeros = 0; zeros <= places; ++zeros)
        for (bool negative : {false, true}) {
          const std::uint64_t units =
              random() % vsim::kTens[length] / vsim::kTens[zeros] * vsim::kTens[zeros];
          char fixed[vsim::kNumberText], general[vsim::kNumberText];
          const std::string written(fixed, vsim::WriteFixedDecimal(fixed, negative, units, places));
          const std::string expected(general, vsim::WriteDecimal(general, negative, units, places));
          ASSERT_EQ(written, expected) << units << " at " << places << " places";
        }
}

}  // namespace
