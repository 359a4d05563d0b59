// The flight page's fixed parts, embedded when vesselsim is built (the
// chart library among them), so that a page needs nothing at run time.
#pragma once

namespace vsim::page_assets {

extern const char kTemplate[];      // the page, with its slots
extern const char kChartScript[];   // the chart library
extern const char kChartStyle[];    // its style sheet
extern const char kViewerScript[];  // the page's own code
extern const char kViewerStyle[];

}  // namespace vsim::page_assets
