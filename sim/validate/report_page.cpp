// The validation report as one page: its template with the chart library,
// the page's own script and style, and the JSON report as its data.
#include <string_view>

#include "sim/outputs/page_assets.h"
#include "sim/outputs/page_template.h"
#include "sim/validate/report.h"

namespace vsim::page_assets {
extern const char kReportTemplate[];
extern const char kReportScript[];
extern const char kReportStyle[];
}  // namespace vsim::page_assets

namespace vsim::validate {

std::string HtmlReport(const std::vector<ModuleRun>& runs, Level level) {
  std::string title;
  for (const ModuleRun& m : runs) title += (title.empty() ? "" : ", ") + m.module;
  title += std::string(" (") + LevelName(level) + ")";
  const auto text = [](std::string_view t) { return [t](std::string& out) { out += t; }; };
  const auto escaped = [&title](std::string& out) { AppendHtmlEscaped(out, title); };
  const auto script = [](std::string_view t) {
    return [t](std::string& out) { AppendForScriptElement(out, t); };
  };
  const std::string json = JsonReport(runs);
  return FillPage(page_assets::kReportTemplate,
                  {{"@TITLE@", escaped},
                   {"/*@CHART_STYLE@*/", text(page_assets::kChartStyle)},
                   {"/*@REPORT_STYLE@*/", text(page_assets::kReportStyle)},
                   {"@TITLE@", escaped},
                   {"@DATA@", script(json)},
                   {"//@CHART_SCRIPT@", script(page_assets::kChartScript)},
                   {"//@REPORT_SCRIPT@", script(page_assets::kReportScript)}});
}

}  // namespace vsim::validate
