#include "sim/script/keys.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "host/host_api.h"

namespace vsim {

namespace {

struct KeyRow {
  char letter;
  unsigned scan_code;  // standard DirectInput numbering
};

constexpr KeyRow kLetters[] = {
    {'Q', 0x10}, {'W', 0x11}, {'E', 0x12}, {'R', 0x13}, {'T', 0x14}, {'Y', 0x15}, {'U', 0x16},
    {'I', 0x17}, {'O', 0x18}, {'P', 0x19}, {'A', 0x1E}, {'S', 0x1F}, {'D', 0x20}, {'F', 0x21},
    {'G', 0x22}, {'H', 0x23}, {'J', 0x24}, {'K', 0x25}, {'L', 0x26}, {'Z', 0x2C}, {'X', 0x2D},
    {'C', 0x2E}, {'V', 0x2F}, {'B', 0x30}, {'N', 0x31}, {'M', 0x32}};

struct ModifierRow {
  const char* name;
  unsigned scan_code;
};

constexpr ModifierRow kModifiers[] = {
    {"ctrl", OAPI_KEY_LCONTROL}, {"shift", OAPI_KEY_LSHIFT}, {"alt", OAPI_KEY_LALT}};

constexpr unsigned long kMaxScanCode = 0xFF;

}  // namespace

std::optional<unsigned> ParseKey(const std::string& text) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    char* end = nullptr;
    const unsigned long code = std::strtoul(text.c_str() + 2, &end, 16);
    if (*end != '\0' || code > kMaxScanCode) return std::nullopt;
    return static_cast<unsigned>(code);
  }
  if (text.size() != 1) return std::nullopt;
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  for (const KeyRow& row : kLetters)
    if (row.letter == letter) return row.scan_code;
  return std::nullopt;
}

std::optional<unsigned> ParseModifier(const std::string& text) {
  for (const ModifierRow& row : kModifiers)
    if (text == row.name) return row.scan_code;
  return std::nullopt;
}

std::string KeyName(unsigned scan_code) {
  for (const KeyRow& row : kLetters)
    if (row.scan_code == scan_code) return std::string(1, row.letter);
  char hex[8];
  std::snprintf(hex, sizeof hex, "0x%02X", scan_code);
  return hex;
}

}  // namespace vsim
