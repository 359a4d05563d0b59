#include "sim/outputs/xml.h"

namespace vsim {

std::string XmlEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
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

}  // namespace vsim
