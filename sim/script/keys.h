// Key names of flight scripts: letters and 0xNN scan codes, and the
// modifier keys held with them.
#pragma once

#include <optional>
#include <string>

namespace vsim {

std::optional<unsigned> ParseKey(const std::string& text);
std::optional<unsigned> ParseModifier(const std::string& text);
// "G" for a letter's scan code, "0x1C" for any other.
std::string KeyName(unsigned scan_code);

}  // namespace vsim
