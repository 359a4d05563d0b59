// Numbers in flight scripts.
#pragma once

#include <string>

namespace vsim {

// Parses a finite number, with an optional unit ("15deg", "2km", "5kt")
// converting it to the quantity table's units; dimension, when given,
// receives that unit ("rad", "m", "m/s"), or empty for a bare number.
bool ParseNumber(const std::string& text, double& value, std::string* dimension = nullptr);
// Parses up to nine decimal digits.
bool ParseIndex(const std::string& text, int& value);

}  // namespace vsim
