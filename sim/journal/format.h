// Text of the values the journal records: numbers that read back exactly,
// vectors and quoted strings.
#pragma once

#include <string>

#include "host/host_api.h"

namespace vsim {

// Shortest text that reads back as the same number.
std::string FormatNumber(double value);
std::string FormatNumber(float value);
void AppendNumber(std::string& out, double value);
// The same text written at `at`; room for kNumberText characters is enough.
constexpr std::size_t kNumberText = 32;
char* WriteNumber(char* at, double value);
std::string FormatVector(const VECTOR3& v);
std::string FormatString(const char* text);
// The same texts appended in place.
void AppendVector(std::string& out, const VECTOR3& v);
void AppendString(std::string& out, const char* text);

}  // namespace vsim
