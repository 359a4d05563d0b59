#include "sim/journal.h"

#include <charconv>

namespace vsim {

std::string CallEntry::Line() const { return std::to_string(step) + " " + vessel + " " + call; }

std::string_view CallEntry::Name() const {
  std::string_view text = call;
  const auto paren = text.find('(');
  const auto space = text.find(' ');
  return text.substr(0, paren < space ? paren : space);
}

void Journal::Add(int step, const std::string& vessel, std::string call) {
  CallEntry entry{step, vessel, std::move(call)};
  if (sink != nullptr) {
    const std::string line = entry.Line();
    std::fwrite(line.data(), 1, line.size(), sink);
    std::fputc('\n', sink);
  }
  if (keep) entries_.push_back(std::move(entry));
}

std::string Journal::Text() const {
  std::string text;
  for (const CallEntry& entry : entries_) {
    text += entry.Line();
    text += '\n';
  }
  return text;
}

namespace {
// Plain decimals across the everyday range, exponents beyond it; either way
// the shortest text that reads back as the same number.
template <typename T>
std::string Shortest(T value) {
  char buffer[64];
  const T magnitude = value < 0 ? -value : value;
  const bool plain = magnitude == 0 || (magnitude >= T(1e-4) && magnitude < T(1e15));
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                              plain ? std::chars_format::fixed : std::chars_format::general);
  return std::string(buffer, result.ptr);
}
}  // namespace

std::string FormatNumber(double value) { return Shortest(value); }

std::string FormatNumber(float value) { return Shortest(value); }

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
