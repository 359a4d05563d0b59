// Checks that an output a reader would open is well formed, whatever went
// into it: an empty text means it is.
#pragma once

#include <string>

namespace vsim::fuzz {

// XML 1.0 as a reader needs it: one root element, every tag closed in order,
// attributes quoted, references known, only characters XML may hold.
std::string XmlProblem(const std::string& text);

// Every row has as many fields as the header, quotes are balanced, and no
// cell reads as a number that is not finite.
std::string CsvProblem(const std::string& text);

// Stops the run with the problem on stderr, so that libFuzzer keeps the input.
void Require(bool holds, const std::string& what);

}  // namespace vsim::fuzz
