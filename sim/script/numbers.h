// Numbers in flight scripts.
#pragma once

#include <string>

namespace vsim {

// Parses a finite number, with an optional "deg" suffix converting degrees
// to radians.
bool ParseNumber(const std::string& text, double& value);
// Parses up to nine decimal digits.
bool ParseIndex(const std::string& text, int& value);

}  // namespace vsim
