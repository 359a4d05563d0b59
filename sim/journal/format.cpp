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

constexpr int kMaxPlaces = 22;
struct PowersOfFive {
  Wide of[kMaxPlaces + 1];
  constexpr PowersOfFive() : of() {
    Wide p = 1;
    for (int i = 0; i <= kMaxPlaces; ++i, p *= 5) of[i] = p;
  }
};
constexpr PowersOfFive kFives;

constexpr int kMantissaBits = 52;
constexpr std::uint64_t kMantissa = (std::uint64_t{1} << kMantissaBits) - 1;
constexpr int kExponentBias = 1075;  // value = mantissa * 2^(biased - 1075)
constexpr int kMaxBiased = 0x7ff;
// floor(n * log10(2)), within one of floor(log10(x)) for x in [2^n, 2^(n+1)).
constexpr int kLog10Of2Times4096 = 1233;
constexpr int kLog10Shift = 12;
// The fast path's range: below it the text takes an exponent, above it the
// digits reach the places before the point.
constexpr double kFastMin = 1e-4, kFastMax = 1e14;
// Places at which a decimal of the value has 17 or 18 digits: between the
// neighbouring doubles' midpoints lies at least one such decimal.
constexpr int kSeventeenDigits = 16;
constexpr std::uint64_t kThreeDigits = 1000, kFourDigits = 10000;

// The shortest plain decimal that reads back as `value` (not whole, within
// the fast range), as std::to_chars finds it, in exact integer arithmetic:
// the decimals of 17 or 18 digits between the midpoints to the neighbouring
// doubles, then as many trailing digits dropped as leave one of them, then
// the one nearest the value (ties to even).
char* ShortestPlain(char* at, double value, std::uint64_t bits) {
  const int biased = static_cast<int>((bits >> kMantissaBits) & kMaxBiased);
  const std::uint64_t m = (bits & kMantissa) | (kMantissa + 1);
  const int e = biased - kExponentBias;  // value = m * 2^e
  const int estimate = ((e + kMantissaBits) * kLog10Of2Times4096) >> kLog10Shift;
  const int places = kSeventeenDigits - estimate;
  const int shift = -(e + places);  // |value| * 10^places = x / 2^shift
  if (places < 0 || places > kMaxPlaces || shift < 1) return nullptr;
  const Wide five = kFives.of[places];
  const Wide x = Wide{m} * five;
  // Ties at the midpoints read back as the even mantissa; above a power of
  // two the double below is half as far.
  const bool inclusive = m % 2 == 0;
  const bool closer_below = (bits & kMantissa) == 0;
  // The midpoints in quarters of 2^-shift, and the whole decimals between.
  const int quarters = shift + 2;
  const Wide mask = (Wide{1} << quarters) - 1;
  const Wide low = (x << 2) - (closer_below ? five : five << 1);
  const Wide high = (x << 2) + (five << 1);
  std::uint64_t first = static_cast<std::uint64_t>(low >> quarters);
  if ((low & mask) != 0 || !inclusive) ++first;
  std::uint64_t last = static_cast<std::uint64_t>(high >> quarters);
  if ((high & mask) == 0 && !inclusive) --last;
  std::uint64_t digits = static_cast<std::uint64_t>(x >> shift);
  const Wide rest = x & ((Wide{1} << shift) - 1);
  const Wide half = Wide{1} << (shift - 1);
  int dropped = 0;
  int last_dropped = 0;
  bool zeros_below = rest == 0;
  // Four digits at a time while a whole decimal of four fewer digits lies
  // in the range, as four single steps would drop them.
  while (last / kFourDigits * kFourDigits >= first) {
    const std::uint64_t chunk = digits % kFourDigits;
    zeros_below = zeros_below && last_dropped == 0 && chunk % kThreeDigits == 0;
    last_dropped = static_cast<int>(chunk / kThreeDigits);
    digits /= kFourDigits;
    last /= kFourDigits;
    first = (first + kFourDigits - 1) / kFourDigits;
    dropped += 4;
  }
  while (last / 10 * 10 >= first) {
    zeros_below = zeros_below && last_dropped == 0;
    last_dropped = static_cast<int>(digits % 10);
    digits /= 10;
    last /= 10;
    first = (first + 9) / 10;
    ++dropped;
  }
  const bool up =
      dropped == 0 ? rest > half || (rest == half && digits % 2 != 0)
                   : last_dropped > 5 || (last_dropped == 5 && (!zeros_below || digits % 2 != 0));
  const std::uint64_t nearest = std::clamp(digits + (up ? 1 : 0), first, last);
  return WriteDecimal(at, value < 0, nearest, places - dropped);
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

// The text of `value` at `at`, from the recent numbers' table.
char* WriteRecentNumber(char* at, double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  RecentNumber& slot = recent[((bits ^ (bits >> 29)) * kSpread) >> kRecentShift];
  if (!slot.known || slot.bits != bits) {
    slot.known = true;
    slot.bits = bits;
    slot.length = static_cast<std::uint8_t>(WriteNumber(slot.text, value) - slot.text);
  }
  // The whole slot at once: a copy of fixed length is cheaper than one of
  // the text's own.
  std::memcpy(at, slot.text, kNumberText);
  return at + slot.length;
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

void AppendNumber(LineText& out, double value) {
  out.Advance(WriteRecentNumber(out.Room(kNumberText), value));
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
