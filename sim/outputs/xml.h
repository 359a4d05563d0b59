// Text inside XML (the plot, the JUnit report).
#pragma once

#include <string>

namespace vsim {

// Markup characters escaped; control characters, which XML cannot hold,
// replaced by "?".
std::string XmlEscape(const std::string& text);

}  // namespace vsim
