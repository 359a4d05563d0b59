#include "sim/outputs/xml.h"

#include <cstdio>

namespace vsim {

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";

bool Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of the well-formed UTF-8 sequence at text[i], or 0: no overlong
// forms, no surrogates, nothing above U+10FFFF.
std::size_t SequenceAt(const std::string& text, std::size_t i) {
  const auto byte = [&](std::size_t k) {
    return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0;
  };
  const unsigned char c = byte(0);
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) return Continuation(byte(1)) ? 2 : 0;
  if (c >= 0xE0 && c <= 0xEF) {
    const unsigned char lo = c == 0xE0 ? 0xA0 : 0x80, hi = c == 0xED ? 0x9F : 0xBF;
    return byte(1) >= lo && byte(1) <= hi && Continuation(byte(2)) ? 3 : 0;
  }
  if (c >= 0xF0 && c <= 0xF4) {
    const unsigned char lo = c == 0xF0 ? 0x90 : 0x80, hi = c == 0xF4 ? 0x8F : 0xBF;
    return byte(1) >= lo && byte(1) <= hi && Continuation(byte(2)) && Continuation(byte(3)) ? 4 : 0;
  }
  return 0;
}

// U+FFFE and U+FFFF are UTF-8 but no XML character.
bool NonCharacter(const std::string& text, std::size_t i, std::size_t length) {
  return length == 3 && static_cast<unsigned char>(text[i]) == 0xEF &&
         static_cast<unsigned char>(text[i + 1]) == 0xBF &&
         static_cast<unsigned char>(text[i + 2]) >= 0xBE;
}

}  // namespace

std::string ValidUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = SequenceAt(text, i);
    if (length == 0) {
      out += kReplacement;
      ++i;
      continue;
    }
    out.append(text, i, length);
    i += length;
  }
  return out;
}

std::string XmlEscape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = SequenceAt(text, i);
    if (length == 0 || NonCharacter(text, i, length)) {
      out += kReplacement;
      i += length == 0 ? 1 : length;
      continue;
    }
    if (length > 1) {
      out.append(text, i, length);
      i += length;
      continue;
    }
    const char c = text[i++];
    switch (c) {
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '&': out += "&amp;"; break;
      case '"': out += "&quot;"; break;
      case '\n':
      case '\t': out += c; break;
      default: out += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    }
  }
  return out;
}

std::string JsonString(const std::string& raw) {
  const std::string text = ValidUtf8(raw);
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace vsim
