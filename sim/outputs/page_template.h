// A page made from its template: named slots filled in the template's
// order, and text made safe for a script element or for HTML.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vsim {

struct PageSlot {
  const char* name;
  std::function<void(std::string&)> fill;
};

// Each slot of the page in the order the page has them, found in the page
// itself, so that text put into one slot is never searched for the next.
// The page is made in one string: the data, megabytes, is never copied.
std::string FillPage(std::string_view page, const std::vector<PageSlot>& slots);

// Inside a script element "</" would end it early; JSON and script alike
// read "<\/" as "</".
void AppendForScriptElement(std::string& out, std::string_view text);

void AppendHtmlEscaped(std::string& out, std::string_view text);

}  // namespace vsim
