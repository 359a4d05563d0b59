// Text of the values the journal records: numbers that read back exactly,
// vectors and quoted strings.
#pragma once

#include <charconv>
#include <string>

#include "host/host_api.h"
#include "sim/journal/line_text.h"

namespace vsim {

// Shortest text that reads back as the same number.
std::string FormatNumber(double value);
std::string FormatNumber(float value);
// The same text written at `at`; room for kNumberText characters is enough.
constexpr std::size_t kNumberText = 32;
char* WriteNumber(char* at, double value);
// The same text, copied from a table of the numbers lately formatted on this
// thread when it holds the number: the trace and the log write many a
// number more than once in a step.
char* WriteRecentNumber(char* at, double value);
std::string FormatVector(const VECTOR3& v);
std::string FormatString(const char* text);
// The same texts appended in place.
void AppendNumber(LineText& out, double value);
void AppendVector(LineText& out, const VECTOR3& v);
void AppendString(LineText& out, const char* text);
template <typename Integer>
void AppendInteger(LineText& out, Integer value) {
  constexpr std::size_t kIntegerText = 24;
  char* at = out.Room(kIntegerText);
  out.Advance(std::to_chars(at, at + kIntegerText, value).ptr);
}

}  // namespace vsim
