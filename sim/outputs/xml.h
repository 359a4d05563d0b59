// Text inside XML (the plot, the JUnit report) and JSON.
#pragma once

#include <string>

namespace vsim {

// The text with every byte that is not part of well-formed UTF-8 replaced
// by U+FFFD, so that any name or label a script gives can be written.
std::string ValidUtf8(const std::string& text);

// Markup characters escaped; control characters, which XML cannot hold,
// replaced by "?"; bytes that are not UTF-8 as in ValidUtf8.
std::string XmlEscape(const std::string& text);

// A JSON string literal of the text, quotes included.
std::string JsonString(const std::string& raw);

}  // namespace vsim
