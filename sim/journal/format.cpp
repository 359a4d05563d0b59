#include "sim/journal/format.h"

#include <charconv>

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

}  // namespace

void AppendNumber(std::string& out, double value) {
  char buffer[kNumberBuffer];
  out.append(buffer, Shortest(buffer, buffer + sizeof buffer, value));
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
