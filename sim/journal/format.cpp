#include "sim/journal/format.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

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

// Whole numbers this small print the same as integers, and most numbers a
// flight writes are such (levels, states, counts): far cheaper that way.
constexpr double kWholeMax = 1e15;

}  // namespace

char* WriteNumber(char* at, double value) {
  if (value == std::trunc(value) && std::fabs(value) < kWholeMax && !std::signbit(value))
    return std::to_chars(at, at + kNumberText, static_cast<std::int64_t>(value)).ptr;
  return Shortest(at, at + kNumberText, value);
}

namespace {

// The texts of numbers formatted lately, by their bits: a trace repeats the
// same readings and states many times in a step.
struct RecentNumber {
  bool known = false;
  std::uint8_t length = 0;
  std::uint64_t bits = 0;
  char text[kNumberText];
};
constexpr std::size_t kRecentNumbers = 256;
constexpr std::uint64_t kSpread = 0x9E3779B97F4A7C15ull;
constexpr int kRecentShift = 56;  // the top eight bits index the table

}  // namespace

void AppendNumber(std::string& out, double value) {
  thread_local RecentNumber recent[kRecentNumbers];
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  RecentNumber& slot = recent[((bits ^ (bits >> 29)) * kSpread) >> kRecentShift];
  if (!slot.known || slot.bits != bits) {
    slot.known = true;
    slot.bits = bits;
    slot.length = static_cast<std::uint8_t>(WriteNumber(slot.text, value) - slot.text);
  }
  out.append(slot.text, slot.length);
}

std::string FormatNumber(double value) {
  std::string out;
  AppendNumber(out, value);
  return out;
}

std::string FormatNumber(float value) {
  char buffer[kNumberBuffer];
  return std::string(buffer, Shortest(buffer, buffer + sizeof buffer, value));
}

std::string FormatVector(const VECTOR3& v) {
  return "(" + FormatNumber(v.x) + ", " + FormatNumber(v.y) + ", " + FormatNumber(v.z) + ")";
}

std::string FormatString(const char* text) {
  if (text == nullptr) return "null";
  std::string out = "\"";
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c == '"')
      out += "\\\"";
    else if (*c == '\n')
      out += "\\n";
    else
      out += *c;
  }
  return out + "\"";
}

}  // namespace vsim
