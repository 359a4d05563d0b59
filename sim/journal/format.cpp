#include "sim/journal/format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "sim/journal/decimal.h"
#include "sim/platform/linkage.h"

namespace vsim {

namespace {

constexpr double kPlainMin = 1e-4;
constexpr double kPlainMax = 1e15;

// Plain decimals across the everyday range, exponents beyond it; either way
// the shortest text that reads back as the same number.
template <typename T>
char* Shortest(char* begin, char* end, T value) {
  const T magnitude = value < 0 ? -value : value;
  const bool plain = magnitude == 0 || (magnitude >= T(kPlainMin) && magnitude < T(kPlainMax));
  return std::to_chars(begin, end, value,
                       plain ? std::chars_format::fixed : std::chars_format::general)
      .ptr;
}

constexpr std::size_t kNumberBuffer = 64;

using Wide = unsigned __int128;

constexpr int kMantissaBits = 52;
constexpr std::uint64_t kMantissa = (std::uint64_t{1} << kMantissaBits) - 1;
constexpr int kExponentBias = 1075;  // value = mantissa * 2^(biased - 1075)
constexpr int kMaxBiased = 0x7ff;
constexpr int kWordBits = 64;
// The fast path's range: below it the text takes an exponent, above it the
// digits reach the places before the point. Its doubles' exponents, as
// value = m * 2^e with m of 53 bits:
constexpr double kFastMin = 1e-4, kFastMax = 1e14;
constexpr int kMinExponent = -14 - kMantissaBits, kMaxExponent = 46 - kMantissaBits;

// floor(e * log10(2)), from a fixed-point log10(2).
constexpr int FloorLog10OfPowerOfTwo(int e) {
  constexpr int kLog10Of2Times4096 = 1233;
  constexpr int kLog10Shift = 12;
  return (e * kLog10Of2Times4096) >> kLog10Shift;
}

constexpr Wide PowerOf(Wide base, int n) { return n == 0 ? 1 : base * PowerOf(base, n - 1); }

// The places a value's decimal is taken to: those at which the spacing of
// the doubles about it, 2^e, is 1 to 10 units, so that its neighbours'
// midpoints are 0.5 to 5 units away.
constexpr int PlacesFor(int e) { return -FloorLog10OfPowerOfTwo(e); }

constexpr bool PlacesSpaceTheDoublesOneToTenUnits() {
  for (int e = kMinExponent; e <= kMaxExponent; ++e) {
    // 10^-places <= 2^e < 10^(1 - places), as powers of -e and places.
    const Wide twos = PowerOf(2, -e), tens = PowerOf(10, PlacesFor(e));
    if (!(twos <= tens && tens < twos * 10)) return false;
  }
  return true;
}
static_assert(PlacesSpaceTheDoublesOneToTenUnits());

constexpr int kMinPlaces = PlacesFor(kMaxExponent), kMaxPlaces = PlacesFor(kMinExponent);
// |value| * 10^places = m * 5^places / 2^shift, shift = -(e + places): the
// product fits 128 bits, its whole units 64, and its rest in quarters of a
// unit 63.
static_assert(kMinPlaces >= 1 && kMaxPlaces <= 23, "the places the plain writer takes");
static_assert(-(kMaxExponent + kMinPlaces) >= 1 &&
              -(kMinExponent + kMaxPlaces) + 2 < kWordBits - 1);

struct PowersOfFive {
  std::uint64_t of[kMaxPlaces + 1];
  constexpr PowersOfFive() : of() {
    for (int i = 0; i <= kMaxPlaces; ++i) of[i] = static_cast<std::uint64_t>(PowerOf(5, i));
  }
};
constexpr PowersOfFive kFives;

// The shortest plain decimal that reads back as `value` (not whole, within
// the fast range), as std::to_chars finds it, in exact integer arithmetic.
// At these places the doubles are 1 to 10 units apart, so the decimals that
// read back as the value, those between the midpoints to its neighbours,
// hold at most one multiple of ten: that one, its trailing zeros dropped, is
// the shortest. Without it, the whole unit nearest the value (ties to even)
// among them. A power of two, whose neighbour below is half as far, is left
// to the library.
char* ShortestPlain(char* at, double value, std::uint64_t bits) {
  if ((bits & kMantissa) == 0) return nullptr;
  const int biased = static_cast<int>((bits >> kMantissaBits) & kMaxBiased);
  const int e = biased - kExponentBias;
  if (e < kMinExponent || e > kMaxExponent) return nullptr;
  const std::uint64_t m = (bits & kMantissa) | (kMantissa + 1);
  const int places = PlacesFor(e);
  const int shift = -(e + places);
  const std::uint64_t five = kFives.of[places];
  const Wide x = Wide{m} * five;
  const auto x_low = static_cast<std::uint64_t>(x);
  const auto x_high = static_cast<std::uint64_t>(x >> kWordBits);
  const std::uint64_t units = (x_low >> shift) | (x_high << (kWordBits - shift));
  const std::uint64_t rest = x_low & ((std::uint64_t{1} << shift) - 1);
  // The midpoints in quarters of a unit from the whole units below the
  // value, 5^places / 2 units either way. Ties at them read back as the
  // even mantissa.
  const bool inclusive = m % 2 == 0;
  const int quarters = shift + 2;
  const std::int64_t quarter_mask = (std::int64_t{1} << quarters) - 1;
  const auto rest_quarters = static_cast<std::int64_t>(rest << 2);
  const auto midpoint = static_cast<std::int64_t>(five << 1);
  const std::int64_t high = rest_quarters + midpoint, low = rest_quarters - midpoint;
  std::uint64_t last = units + static_cast<std::uint64_t>(high >> quarters);
  if ((high & quarter_mask) == 0 && !inclusive) --last;
  std::uint64_t first = units + static_cast<std::uint64_t>(low >> quarters);
  if ((low & quarter_mask) != 0 || !inclusive) ++first;
  const std::uint64_t ten = last / 10 * 10;
  if (ten >= first) return WritePlainDecimal(at, value < 0, ten, places);
  const std::uint64_t half = std::uint64_t{1} << (shift - 1);
  const bool up = rest > half || (rest == half && units % 2 != 0);
  const std::uint64_t nearest = units + (up ? 1 : 0);
  return WritePlainDecimal(at, value < 0, std::clamp(nearest, first, last), places);
}

// Whole numbers this small print the same as integers, and most numbers a
// flight writes are such (levels, states, counts): far cheaper that way.
constexpr double kWholeMax = 1e15;

}  // namespace

char* WriteNumber(char* at, double value) {
  const double magnitude = std::fabs(value);
  // Below kWholeMax a double converts to an integer and back exactly when
  // it is whole: no call into the maths library to find out.
  const bool small = magnitude < kWholeMax;
  const bool whole = small && static_cast<double>(static_cast<std::int64_t>(value)) == value;
  if (whole && !std::signbit(value))
    return WriteDecimal(at, false, static_cast<std::uint64_t>(value), 0);
  if (magnitude >= kFastMin && magnitude < kFastMax && !whole) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    if (char* end = ShortestPlain(at, value, bits)) return end;
  }
  return Shortest(at, at + kNumberText, value);
}

namespace {

// The texts of numbers formatted lately, by their bits: a trace repeats the
// same readings and states many times in a step.
struct RecentNumber {
  bool known;
  std::uint8_t length;
  std::uint64_t bits;
  char text[kNumberText];
};
constexpr std::size_t kRecentNumbers = 256;
constexpr std::uint64_t kSpread = 0x9E3779B97F4A7C15ull;
constexpr int kRecentShift = 56;  // the top eight bits index the table

// This library is always loaded with the program, never opened later, as
// the fast per-thread variable needs.
VSIM_FAST_TLS RecentNumber recent[kRecentNumbers];

RecentNumber& SlotFor(std::uint64_t bits) {
  return recent[((bits ^ (bits >> 29)) * kSpread) >> kRecentShift];
}

bool Holds(const RecentNumber& slot, std::uint64_t bits) { return slot.known && slot.bits == bits; }

// The slot of `value`, formatted into it. Out of line, so that the look-ups
// that find their number save nothing for this call.
[[gnu::noinline]] RecentNumber& Remember(double value, std::uint64_t bits) {
  RecentNumber& slot = SlotFor(bits);
  slot.known = true;
  slot.bits = bits;
  slot.length = static_cast<std::uint8_t>(WriteNumber(slot.text, value) - slot.text);
  return slot;
}

// The whole slot at once: a copy of fixed length is cheaper than one of the
// text's own.
char* CopyText(char* at, const RecentNumber& slot) {
  std::memcpy(at, slot.text, kNumberText);
  return at + slot.length;
}

std::uint64_t BitsOf(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

}  // namespace

char* WriteRecentNumber(char* at, double value) {
  const std::uint64_t bits = BitsOf(value);
  RecentNumber& slot = SlotFor(bits);
  return CopyText(at, Holds(slot, bits) ? slot : Remember(value, bits));
}

namespace {

[[gnu::noinline]] void AppendNewNumber(LineText& out, double value) {
  out.Advance(WriteRecentNumber(out.Room(kNumberText), value));
}

constexpr std::size_t kVectorText = 3 * kNumberText + 6;

char* WriteVector(char* at, const VECTOR3& v) {
  *at++ = '(';
  at = WriteRecentNumber(at, v.x);
  *at++ = ',';
  *at++ = ' ';
  at = WriteRecentNumber(at, v.y);
  *at++ = ',';
  *at++ = ' ';
  at = WriteRecentNumber(at, v.z);
  *at++ = ')';
  return at;
}

}  // namespace

// A number the table holds, with room for it, takes no call and saves no
// register; any other is appended out of line.
void AppendNumber(LineText& out, double value) {
  const std::uint64_t bits = BitsOf(value);
  const RecentNumber& slot = SlotFor(bits);
  if (!Holds(slot, bits) || !out.HasRoom(kNumberText)) return AppendNewNumber(out, value);
  out.Advance(CopyText(out.Room(kNumberText), slot));
}

std::string FormatNumber(double value) {
  char buffer[kNumberText];
  return std::string(buffer, WriteRecentNumber(buffer, value));
}

std::string FormatNumber(float value) {
  char buffer[kNumberBuffer];
  return std::string(buffer, Shortest(buffer, buffer + sizeof buffer, value));
}

void AppendVector(LineText& out, const VECTOR3& v) {
  out.Advance(WriteVector(out.Room(kVectorText), v));
}

std::string FormatVector(const VECTOR3& v) {
  char buffer[kVectorText];
  return std::string(buffer, WriteVector(buffer, v));
}

void AppendString(LineText& out, const char* text) {
  if (text == nullptr) {
    out += "null";
    return;
  }
  out += '"';
  // Runs of plain characters at once, each quote and line break escaped.
  const char* run = text;
  for (const char* c = text;; ++c) {
    if (*c != '"' && *c != '\n' && *c != '\0') continue;
    out.Put({run, static_cast<std::size_t>(c - run)});
    if (*c == '\0') break;
    out += *c == '"' ? "\\\"" : "\\n";
    run = c + 1;
  }
  out += '"';
}

std::string FormatString(const char* text) {
  LineText out;
  AppendString(out, text);
  return out.Str();
}

}  // namespace vsim
