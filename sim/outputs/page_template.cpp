#include "sim/outputs/page_template.h"

#include <cstring>

namespace vsim {

std::string FillPage(std::string_view page, const std::vector<PageSlot>& slots) {
  std::string out;
  std::size_t from = 0;
  for (const PageSlot& slot : slots) {
    const std::size_t at = page.find(slot.name, from);
    if (at == std::string::npos) continue;
    out.append(page, from, at - from);
    slot.fill(out);
    from = at + std::strlen(slot.name);
  }
  out.append(page, from, std::string::npos);
  return out;
}

void AppendForScriptElement(std::string& out, std::string_view text) {
  out.reserve(out.size() + text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    if (text[i] == '<' && i + 1 < text.size() && text[i + 1] == '/') out += '\\';
  }
}

void AppendHtmlEscaped(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '&': out += "&amp;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
}

}  // namespace vsim
