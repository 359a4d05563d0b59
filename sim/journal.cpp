#include "sim/journal.h"

#include <charconv>

namespace vsim {

std::string CallEntry::Line() const {
  return std::to_string(step) + " " + vessel + " " + call;
}

std::string_view CallEntry::Name() const {
  std::string_view text = call;
  const auto paren = text.find('(');
  const auto space = text.find(' ');
  return text.substr(0, paren < space ? paren : space);
}

void Journal::Add(int step, const std::string& vessel, std::string call) {
  entries_.push_back(CallEntry{step, vessel, std::move(call)});
}

std::string Journal::Text() const {
  std::string text;
  for (const CallEntry& entry : entries_) {
    text += entry.Line();
    text += '\n';
  }
  return text;
}

std::string FormatNumber(double value) {
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general);
  return std::string(buffer, result.ptr);
}

std::string FormatNumber(float value) {
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general);
  return std::string(buffer, result.ptr);
}

std::string FormatVector(const VECTOR3& v) {
  return "(" + FormatNumber(v.x) + ", " + FormatNumber(v.y) + ", " + FormatNumber(v.z) + ")";
}

std::string FormatString(const char* text) {
  if (text == nullptr) return "null";
  std::string out = "\"";
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c == '"') out += "\\\"";
    else if (*c == '\n') out += "\\n";
    else out += *c;
  }
  return out + "\"";
}

}  // namespace vsim
