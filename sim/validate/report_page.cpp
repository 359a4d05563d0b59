// The validation report as one page: its template with the chart library,
// the page's own script and style, and the JSON report as its data.
#include <cstring>

#include "sim/outputs/page_assets.h"
#include "sim/validate/report.h"

namespace vsim::page_assets {
extern const char kReportTemplate[];
extern const char kReportScript[];
extern const char kReportStyle[];
}  // namespace vsim::page_assets

namespace vsim::validate {

namespace {

struct Slot {
  const char* name;
  std::string text;
};

// Each slot once, in the template's order.
std::string Fill(const std::string& page, const std::vector<Slot>& slots) {
  std::string out;
  std::size_t from = 0;
  for (const Slot& slot : slots) {
    const std::size_t at = page.find(slot.name, from);
    if (at == std::string::npos) continue;
    out.append(page, from, at - from);
    out += slot.text;
    from = at + std::strlen(slot.name);
  }
  out.append(page, from, std::string::npos);
  return out;
}

// Inside a script element "</" would end it early; JSON and script alike
// read "<\/" as "</".
std::string ForScriptElement(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    if (text[i] == '<' && i + 1 < text.size() && text[i + 1] == '/') out += '\\';
  }
  return out;
}

std::string HtmlEscape(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '&': out += "&amp;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

std::string HtmlReport(const std::vector<ModuleRun>& runs, Level level) {
  std::string title;
  for (const ModuleRun& m : runs) title += (title.empty() ? "" : ", ") + m.module;
  title += std::string(" (") + LevelName(level) + ")";
  const std::string escaped = HtmlEscape(title);
  return Fill(page_assets::kReportTemplate,
              {{"@TITLE@", escaped},
               {"/*@CHART_STYLE@*/", page_assets::kChartStyle},
               {"/*@REPORT_STYLE@*/", page_assets::kReportStyle},
               {"@TITLE@", escaped},
               {"@DATA@", ForScriptElement(JsonReport(runs))},
               {"//@CHART_SCRIPT@", ForScriptElement(page_assets::kChartScript)},
               {"//@REPORT_SCRIPT@", ForScriptElement(page_assets::kReportScript)}});
}

}  // namespace vsim::validate
