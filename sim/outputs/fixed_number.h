// A number rounded to a fixed count of decimals (millimetres, grams,
// microradians), written as the shortest text that reads back as the
// rounded number: the same text WriteNumber gives it, from integer digits
// alone.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "sim/journal/decimal.h"
#include "sim/journal/format.h"

namespace vsim {

struct Decimals {
  int places;         // digits after the point
  double per_unit;    // 10^places
  double plain_from;  // units from which the shortest text is plain, not 1e-05
};

constexpr Decimals DecimalsOf(int places) {
  double per_unit = 1;
  for (int i = 0; i < places; ++i) per_unit *= 10;
  // The shortest text writes magnitudes below 1e-4 with an exponent.
  constexpr double kPlainMin = 1e-4;
  return {places, per_unit, kPlainMin * per_unit};
}

// Below 2^52 units a double is spaced finer than one unit, so the decimal of
// the units is the only one of its length that reads back as the rounded
// value: it is the shortest text.
constexpr double kExactUnits = 4503599627370496.0;

// The shortest text of value rounded half away from zero to d's places,
// written from the units value rounds to (Units); room for kNumberText.
// std::round, without a call into the maths library: below 2^52 a double
// converts to an integer exactly, and the difference to it is exact too.
inline double Units(double value, const Decimals& d) {
  const double scaled = value * d.per_unit;
  if (!(std::fabs(scaled) < kExactUnits)) return std::round(scaled);
  double whole = static_cast<double>(static_cast<std::int64_t>(scaled));
  const double rest = scaled - whole;
  if (rest >= 0.5) whole += 1;
  if (rest <= -0.5) whole -= 1;
  return std::copysign(whole, scaled);
}

// Inlined where the places are known, so that they split the units by a
// multiply.
[[gnu::always_inline]] inline char* WriteUnits(char* at, double units, const Decimals& d) {
  const double magnitude = std::fabs(units);
  if (magnitude < kExactUnits) {
    const auto whole = static_cast<std::uint64_t>(magnitude);
    constexpr int kMostFixedPlaces = 8;
    if (magnitude >= d.plain_from || magnitude == 0)
      return d.places >= 1 && d.places <= kMostFixedPlaces
                 ? WriteFixedDecimal(at, std::signbit(units), whole, d.places)
                 : WriteDecimal(at, std::signbit(units), whole, d.places);
    return WriteScientific(at, std::signbit(units), whole, d.places);
  }
  return WriteNumber(at, units / d.per_unit);
}

inline char* WriteRounded(char* at, double value, const Decimals& d) {
  return WriteUnits(at, Units(value, d), d);
}

// What std::to_chars(fixed, 1) writes: the tenths nearest the double (ties
// to even), for |value| below 10^14. Ten times the value rounds to a double
// within half its spacing of the exact product, so it falls on the same
// side of every half but the one it may land on; there the product's exact
// remainder decides: 10x = 8x + 2x, both exact, and the error of their
// rounded sum is exact by Knuth's two-sum.
inline char* WriteTenths(char* at, double value) {
  const double magnitude = std::fabs(value);
  const double scaled = magnitude * 10;
  auto tenths = static_cast<std::uint64_t>(scaled);
  const double rest = scaled - static_cast<double>(tenths);
  if (rest > 0.5) {
    ++tenths;
  } else if (rest == 0.5) {
    const double eight = magnitude * 8, two = magnitude * 2;
    const double two_part = scaled - eight;
    const double error = (eight - (scaled - two_part)) + (two - two_part);
    if (error > 0 || (error == 0 && tenths % 2 != 0)) ++tenths;
  }
  if (std::signbit(value)) *at++ = '-';
  return WriteDecimalTenths(at, tenths);
}

}  // namespace vsim
