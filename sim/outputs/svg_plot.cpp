#include "sim/outputs/svg_plot.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <vector>

#include "sim/files/atomic_file.h"
#include "sim/journal/decimal.h"
#include "sim/outputs/fixed_number.h"
#include "sim/outputs/xml.h"

namespace vsim {

namespace {

constexpr double kWidth = 960;
constexpr double kPanelHeight = 170;
constexpr double kLeft = 80, kRight = 235, kTop = 50, kGap = 40;
constexpr double kPanelTitleRise = 8;   // panel title above its frame
constexpr double kTickLabelDrop = 14;   // time labels below the frame
constexpr double kValueLabelDrop = 4;   // value labels centred on their grid line
constexpr double kLimitLabelRoom = 14;  // a limit label goes under its line nearer the top
constexpr double kLegendTop = 16, kLegendRow = 18;
constexpr double kLegendLineFrom = 12, kLegendLineTo = 36, kLegendTextAt = 42;
constexpr double kEventLabelInset = 4;
constexpr double kAxisLabelDrop = 30;  // "time (s)" below the frame
constexpr double kPanelFooter = 20;    // room for the axis label
constexpr double kFirstPanelDrop = 10;
constexpr double kRangePadding = 0.05;  // of the value range, above and below
constexpr double kNegligible = 1e-9;    // ranges and ticks closer than this are equal
constexpr std::size_t kPhaseWindowSteps = 30;
constexpr std::size_t kMaxPoints = 1500;
// The event lane above the panels: labels in rows, each in the first row
// where it overlaps no other, measured by a sans-serif's widest average.
constexpr double kLaneRow = 13;
constexpr double kLaneFontSize = 9;
constexpr double kLaneCharWidth = 0.62 * kLaneFontSize;
constexpr double kLaneLabelGap = 6;
constexpr double kLaneClearance = 18;  // the last row above the first panel's title
constexpr double kPageMargin = 8;
// A flat series is shown over at least this range about its value.
constexpr double kFlatSpan = 1;
constexpr double kHeadingSpanDeg = 10;
constexpr double kNoteFontSize = 10;
constexpr std::size_t kNoteLineLetters = 36;  // what fits beside the panel
constexpr double kNoteLine = 13;
const char* const kColours[] = {"#1f77b4", "#d62728", "#2ca02c", "#ff7f0e", "#9467bd", "#8c564b"};

// A series read where it is kept, not copied; one worked out for the plot
// is kept with it.
struct Series {
  std::string label;
  const std::vector<double>* values;
  std::shared_ptr<const std::vector<double>> worked_out{};
};

struct Panel {
  std::string title;
  std::string unit;
  std::vector<Series> series;
  std::vector<std::pair<double, std::string>> limits;
  double min_span = kFlatSpan;  // the value axis covers at least this much
  std::string note{};           // under the legend, wrapped
};

// Where a panel sits and how it maps time and value to the page.
struct Frame {
  double top, t0, t1, lo, hi;
  double Width() const { return kWidth - kLeft - kRight; }
  double Bottom() const { return top + kPanelHeight; }
  double X(double t) const { return kLeft + (t - t0) / (t1 - t0) * Width(); }
  double Y(double v) const { return Bottom() - (v - lo) / (hi - lo) * kPanelHeight; }
};

// Page coordinates beyond this are off the page whatever the value: kept
// here so that any value prints in a few digits.
constexpr double kFarOffPage = 1e7;

// One decimal, rounded as printf's "%.1f" rounds.
std::string Num(double x) {
  x = std::isnan(x) ? 0.0 : std::clamp(x, -kFarOffPage, kFarOffPage);
  char buffer[32];
  return std::string(
      buffer, std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed, 1).ptr);
}

// A polyline's point "x,y " appended: thousands a series, so without a
// string per number.
// A polyline's point "x,y " appended: thousands a series, so without a
// string per number.
void AppendPoint(std::string& out, double x, double y) {
  const auto on_page = [](double v) {
    return std::isnan(v) ? 0.0 : std::clamp(v, -kFarOffPage, kFarOffPage);
  };
  char buffer[2 * 32];
  char* at = WriteTenths(buffer, on_page(x));
  *at++ = ',';
  at = WriteTenths(at, on_page(y));
  *at++ = ' ';
  out.append(buffer, at);
}

// Round tick spacing covering the range in about five steps.
double TickStep(double range) {
  if (!(range > 0)) return 1;
  const double raw = range / 5;
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (raw <= m * magnitude) return m * magnitude;
  return 10 * magnitude;
}

// The ticks of lo..hi at TickStep's spacing. Counted, not summed: far from
// zero a step can be too small to change the value it is added to.
std::vector<double> Ticks(double lo, double hi) {
  constexpr int kMaxTicks = 12;
  std::vector<double> ticks;
  const double step = TickStep(hi - lo);
  const double first = std::ceil(lo / step) * step;
  for (int i = 0; i < kMaxTicks; ++i) {
    const double v = first + i * step;
    if (!(v <= hi) || (!ticks.empty() && v == ticks.back())) break;
    ticks.push_back(v);
  }
  return ticks;
}

std::string TickLabel(double v) {
  std::ostringstream out;
  out << (std::abs(v) < kNegligible ? 0.0 : v);
  return out.str();
}

// The finite values of a panel and its limits, padded above and below.
void ValueRange(const Panel& panel, double& lo, double& hi) {
  lo = 0;
  hi = 0;
  bool first = true;
  for (const Series& s : panel.series)
    for (double v : *s.values) {
      if (!std::isfinite(v)) continue;
      lo = first ? v : std::min(lo, v);
      hi = first ? v : std::max(hi, v);
      first = false;
    }
  for (const auto& limit : panel.limits) {
    lo = std::min(lo, limit.first);
    hi = std::max(hi, limit.first);
  }
  if (hi - lo < panel.min_span) {
    const double centre = (lo + hi) / 2;
    lo = centre - panel.min_span / 2;
    hi = centre + panel.min_span / 2;
  }
  const double pad = (hi - lo) * kRangePadding;
  lo -= pad;
  hi += pad;
}

void DrawAxes(std::ostringstream& svg, const Panel& panel, const Frame& f) {
  svg << "<text x=\"" << kLeft << "\" y=\"" << f.top - kPanelTitleRise
      << "\" font-size=\"14\" font-weight=\"bold\">" << XmlEscape(panel.title) << " ("
      << XmlEscape(panel.unit) << ")</text>\n";
  svg << "<rect x=\"" << kLeft << "\" y=\"" << f.top << "\" width=\"" << f.Width() << "\" height=\""
      << kPanelHeight << "\" fill=\"none\" stroke=\"#444\"/>\n";
  for (double v : Ticks(f.lo, f.hi)) {
    svg << "<line x1=\"" << kLeft << "\" x2=\"" << kLeft + f.Width() << "\" y1=\"" << Num(f.Y(v))
        << "\" y2=\"" << Num(f.Y(v)) << "\" stroke=\"#ddd\"/>\n";
    svg << "<text x=\"" << kLeft - 6 << "\" y=\"" << Num(f.Y(v) + kValueLabelDrop)
        << "\" font-size=\"11\" text-anchor=\"end\">" << TickLabel(v) << "</text>\n";
  }
  for (double t : Ticks(f.t0, f.t1))
    svg << "<text x=\"" << Num(f.X(t)) << "\" y=\"" << f.Bottom() + kTickLabelDrop
        << "\" font-size=\"11\" text-anchor=\"middle\">" << TickLabel(t) << "</text>\n";
  svg << "<text x=\"" << kLeft + f.Width() / 2 << "\" y=\"" << f.Bottom() + kAxisLabelDrop
      << "\" font-size=\"11\" text-anchor=\"middle\">time (s)</text>\n";
}

// Limit labels stay inside the frame: under their line near the top.
void DrawLimits(std::ostringstream& svg, const Panel& panel, const Frame& f) {
  for (const auto& limit : panel.limits) {
    const double y = f.Y(limit.first);
    const double label_y =
        y - f.top < kLimitLabelRoom ? y + kLimitLabelRoom - kValueLabelDrop : y - kValueLabelDrop;
    svg << "<line x1=\"" << kLeft << "\" x2=\"" << kLeft + f.Width() << "\" y1=\"" << Num(y)
        << "\" y2=\"" << Num(y) << "\" stroke=\"#999\" stroke-dasharray=\"6 4\"/>\n";
    svg << "<text x=\"" << kLeft + f.Width() - kEventLabelInset << "\" y=\"" << Num(label_y)
        << "\" font-size=\"11\" text-anchor=\"end\" fill=\"#555\">" << XmlEscape(limit.second)
        << "</text>\n";
  }
}

// Events as thin vertical lines in every panel, the run's stop in red.
void DrawEvents(std::ostringstream& svg, const std::vector<FlightEvent>& events, const Frame& f) {
  for (const FlightEvent& e : events) {
    const double x = f.X(e.time);
    const bool stop = e.text.rfind("stopped", 0) == 0;
    svg << "<line x1=\"" << Num(x) << "\" x2=\"" << Num(x) << "\" y1=\"" << f.top << "\" y2=\""
        << f.Bottom() << "\" stroke=\"" << (stop ? "#d00" : "#bbb")
        << "\" stroke-dasharray=\"2 3\"/>\n";
  }
}

struct LaneLabel {
  double x;
  std::size_t row;
};

// Each event's label in the lane: from its time onwards, moved left where
// it would leave the page, in the first row with room.
std::vector<LaneLabel> PlaceLaneLabels(const std::vector<FlightEvent>& events, const Frame& f) {
  std::vector<LaneLabel> placed;
  std::vector<double> row_ends;
  for (const FlightEvent& e : events) {
    const double width = static_cast<double>(e.text.size()) * kLaneCharWidth;
    const double x = std::max(kPageMargin, std::min(f.X(e.time) + 2, kWidth - kPageMargin - width));
    std::size_t row = 0;
    while (row < row_ends.size() && row_ends[row] + kLaneLabelGap > x) ++row;
    if (row == row_ends.size()) row_ends.push_back(0);
    row_ends[row] = x + width;
    placed.push_back({x, row});
  }
  return placed;
}

std::size_t LaneRows(const std::vector<LaneLabel>& labels) {
  std::size_t rows = 0;
  for (const LaneLabel& l : labels) rows = std::max(rows, l.row + 1);
  return rows;
}

void DrawLane(std::ostringstream& svg, const std::vector<FlightEvent>& events,
              const std::vector<LaneLabel>& labels) {
  for (std::size_t i = 0; i < events.size(); ++i) {
    const bool stop = events[i].text.rfind("stopped", 0) == 0;
    svg << "<text x=\"" << Num(labels[i].x) << "\" y=\""
        << Num(kTop + static_cast<double>(labels[i].row + 1) * kLaneRow) << "\" font-size=\""
        << kLaneFontSize << "\" fill=\"" << (stop ? "#d00" : "#555") << "\">"
        << XmlEscape(events[i].text) << "</text>\n";
  }
}

// Each bucket of samples of a reduced record as its lowest and highest
// value, in the order they came, so that its spikes stay drawn.
void DrawBuckets(std::string& svg, const std::vector<double>& values, const Frame& f,
                 const std::vector<double>& time, std::size_t bucket) {
  const std::size_t count = std::min(time.size(), values.size());
  for (std::size_t from = 0; from < count; from += bucket) {
    const std::size_t to = std::min(count, from + bucket);
    std::size_t low = to, high = to;
    for (std::size_t i = from; i < to; ++i) {
      if (!std::isfinite(values[i])) continue;
      if (low == to || values[i] < values[low]) low = i;
      if (high == to || values[i] > values[high]) high = i;
    }
    if (low == to) continue;
    for (std::size_t i : {std::min(low, high), std::max(low, high)}) {
      AppendPoint(svg, f.X(time[i]), f.Y(values[i]));
      if (low == high) break;
    }
  }
}

void DrawSeries(std::ostringstream& svg, const Panel& panel, const Frame& f,
                const std::vector<double>& time, std::size_t stride, bool reduced) {
  for (std::size_t s = 0; s < panel.series.size(); ++s) {
    const Series& series = panel.series[s];
    const std::vector<double>& values = *series.values;
    const char* colour = kColours[s % (sizeof kColours / sizeof kColours[0])];
    svg << "<polyline fill=\"none\" stroke=\"" << colour << "\" stroke-width=\"1.5\" points=\"";
    std::string points;
    if (reduced) {
      DrawBuckets(points, values, f, time, stride);
    } else {
      for (std::size_t i = 0; i < time.size() && i < values.size(); i += stride) {
        const double v = values[i];
        if (std::isfinite(v)) AppendPoint(points, f.X(time[i]), f.Y(v));
      }
    }
    svg << points << "\"/>\n";
    const double ly = f.top + kLegendTop + kLegendRow * static_cast<double>(s);
    svg << "<line x1=\"" << kWidth - kRight + kLegendLineFrom << "\" x2=\""
        << kWidth - kRight + kLegendLineTo << "\" y1=\"" << ly - 4 << "\" y2=\"" << ly - 4
        << "\" stroke=\"" << colour << "\" stroke-width=\"2\"/>\n";
    svg << "<text x=\"" << kWidth - kRight + kLegendTextAt << "\" y=\"" << ly
        << "\" font-size=\"12\">" << XmlEscape(series.label) << "</text>\n";
  }
}

// The page's time axis, the same in every panel.
Frame TimeFrame(const PlotData& data, double top) {
  const auto& time = data.time;
  Frame f{top, time.empty() ? 0 : std::min(0.0, time.front()), 1, 0, 1};
  f.t1 = time.empty() ? 1 : std::max(time.back(), f.t0 + kNegligible);
  return f;
}

// Words wrapped into lines beside the panel, under its legend.
void DrawNote(std::ostringstream& svg, const Panel& panel, const Frame& f) {
  if (panel.note.empty()) return;
  std::vector<std::string> lines{""};
  std::istringstream words(panel.note);
  for (std::string word; words >> word;) {
    if (!lines.back().empty() && lines.back().size() + 1 + word.size() > kNoteLineLetters)
      lines.emplace_back();
    lines.back() += (lines.back().empty() ? "" : " ") + word;
  }
  const double x = kWidth - kRight + kLegendLineFrom;
  const double y = f.top + kLegendTop + kLegendRow * static_cast<double>(panel.series.size());
  svg << "<text x=\"" << x << "\" y=\"" << Num(y) << "\" font-size=\"" << kNoteFontSize
      << "\" fill=\"#555\">";
  for (std::size_t i = 0; i < lines.size(); ++i)
    svg << "<tspan x=\"" << x << "\" dy=\"" << (i == 0 ? 0 : kNoteLine) << "\">"
        << XmlEscape(lines[i]) << "</tspan>";
  svg << "</text>\n";
}

// When the time acceleration changed: "x10 from 43 s to 946 s", or empty.
std::string AccelerationSpans(const PlotData& data) {
  std::string spans;
  for (const VesselSeries& v : data.vessels) {
    const auto& acc = v.time_acceleration;
    for (std::size_t i = 0; i < acc.size() && i < data.time.size(); ++i) {
      if (!(acc[i] != 1) || (i > 0 && acc[i - 1] == acc[i])) continue;
      std::size_t end = i;
      while (end + 1 < acc.size() && acc[end + 1] == acc[i]) ++end;
      std::ostringstream span;
      span << (spans.empty() ? "" : ", ") << "x" << acc[i] << " from " << std::lround(data.time[i])
           << " s to " << std::lround(data.time[end]) << " s";
      spans += span.str();
    }
    if (!spans.empty()) break;
  }
  return spans;
}

void DrawPanel(std::ostringstream& svg, const Panel& panel, const PlotData& data, double top) {
  const auto& time = data.time;
  Frame f = TimeFrame(data, top);
  ValueRange(panel, f.lo, f.hi);
  DrawAxes(svg, panel, f);
  DrawLimits(svg, panel, f);
  DrawEvents(svg, data.events, f);
  // A reduced record draws two points a bucket: half as many buckets.
  const std::size_t points = data.Reduced() ? kMaxPoints / 2 : kMaxPoints;
  DrawSeries(svg, panel, f, time, std::max<std::size_t>(1, time.size() / points), data.Reduced());
  DrawNote(svg, panel, f);
}

// A state that wraps round (a rotor's phase) reads as a band when drawn per
// step; its advance per second reads as what it is. Over a window of
// samples of its turns, so that a state that restarts at 0 rather than at
// its remainder does not flicker between two rates.
std::vector<double> AdvancePerSecond(const std::vector<double>& s, const std::vector<double>& t) {
  std::vector<double> rate(s.size(), NAN);
  double advance = 0;
  for (std::size_t i = 1; i < s.size() && i < t.size(); ++i) {
    const double d = s[i] - s[i - 1];
    advance += std::isfinite(d) ? d : 0;
    if (i < kPhaseWindowSteps) continue;
    const std::size_t from = i - kPhaseWindowSteps;
    const double gone = s[from + 1] - s[from];
    if (t[i] > t[from]) rate[i] = advance / (t[i] - t[from]);
    advance -= std::isfinite(gone) ? gone : 0;
  }
  return rate;
}

// One series per vessel; with several, each label starts with its vessel.
void AddSeries(Panel& panel, const PlotData& data, const std::string& label,
               std::vector<double> VesselSeries::*values) {
  for (const VesselSeries& v : data.vessels)
    panel.series.push_back({data.vessels.size() > 1 ? v.name + ": " + label : label, &(v.*values)});
}

std::vector<Panel> Panels(const PlotData& data) {
  Panel altitude{"Altitude", "m", {}, {}}, airspeed{"Airspeed", "m/s", {}, {}};
  AddSeries(altitude, data, "altitude", &VesselSeries::altitude);
  AddSeries(airspeed, data, "airspeed", &VesselSeries::airspeed);
  for (const auto& limit : data.layout.limits)
    (limit.altitude ? altitude : airspeed).limits.push_back({limit.value, limit.label});
  Panel heading{"Heading", "deg, 0 = north, 90 = east", {}, {}, kHeadingSpanDeg};
  AddSeries(heading, data, "heading", &VesselSeries::heading_deg);
  Panel climb{"Vertical speed", "m/s, up positive", {}, {}};
  AddSeries(climb, data, "vertical speed", &VesselSeries::vertical_speed);
  const std::string accelerated = AccelerationSpans(data);
  Panel thrust{"Inputs", "thrust levels 0..1, rudder -1..1", {}, {}};
  AddSeries(thrust, data, "main", &VesselSeries::main_level);
  AddSeries(thrust, data, "hover", &VesselSeries::hover_level);
  AddSeries(thrust, data, "rudder", &VesselSeries::rudder);
  if (!accelerated.empty())
    thrust.note = "time acceleration " + accelerated + "; key presses in the lane at the top";
  Panel attitude{"Attitude", "deg; pitch nose up, bank right wing up", {}, {}};
  AddSeries(attitude, data, "pitch", &VesselSeries::pitch_deg);
  AddSeries(attitude, data, "bank", &VesselSeries::bank_deg);
  Panel rates{"Body rates", "deg/s; nose up, nose right, right wing up", {}, {}};
  AddSeries(rates, data, "pitch", &VesselSeries::pitch_rate_dps);
  AddSeries(rates, data, "yaw", &VesselSeries::yaw_rate_dps);
  AddSeries(rates, data, "bank", &VesselSeries::bank_rate_dps);
  std::vector<Panel> panels{altitude, airspeed, heading, climb, attitude, rates, thrust};
  if (data.sound_seen) {
    Panel sound{"Engine sound", "requested playback frequency, Hz; 0 = silent", {}, {}};
    AddSeries(sound, data, "engine", &VesselSeries::engine_frequency);
    panels.push_back(sound);
  }
  Panel states{"Animation states", "0..1", {}, {}};
  Panel phases{"Animation phase speed", "turns per second", {}, {}};
  const auto& animations = data.layout.animations;
  for (std::size_t i = 0; i < animations.size(); ++i)
    for (const VesselSeries& v : data.vessels) {
      const std::string label = (data.vessels.size() > 1 ? v.name + ": " : "") +
                                animations[i].label + " (anim " +
                                std::to_string(animations[i].index) + ")";
      if (v.wraps.size() > i && v.wraps[i]) {
        auto rate = std::make_shared<const std::vector<double>>(
            AdvancePerSecond(v.animations[i], data.time));
        phases.series.push_back({label, rate.get(), rate});
      } else {
        states.series.push_back({label, &v.animations[i]});
      }
    }
  // The module advances a phase by the same amount each step, so that per
  // simulated second it turns slower by the time acceleration.
  if (!accelerated.empty())
    phases.note =
        "per simulated second: under time acceleration (" + accelerated +
        ") each step covers more time but the module turns the phase as far as in any step";
  for (Panel* p : {&states, &phases})
    if (!p->series.empty()) panels.push_back(*p);
  return panels;
}

}  // namespace

std::string PlotText(const PlotData& data, const std::string& title) {
  const std::vector<Panel> panels = Panels(data);
  const std::vector<LaneLabel> lane = PlaceLaneLabels(data.events, TimeFrame(data, 0));
  const std::size_t rows = LaneRows(lane);
  const double lane_height = rows == 0 ? 0 : static_cast<double>(rows) * kLaneRow + kLaneClearance;
  const double height = kTop + lane_height +
                        static_cast<double>(panels.size()) * (kPanelHeight + kGap + kPanelFooter) +
                        kPanelFooter;
  std::ostringstream svg;
  svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\"" << height
      << "\" font-family=\"sans-serif\">\n";
  svg << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  svg << "<text x=\"" << kLeft
      << "\" y=\"26\" font-size=\"18\" font-weight=\"bold\">Flight: " << XmlEscape(title)
      << "</text>\n";
  DrawLane(svg, data.events, lane);
  double top = kTop + lane_height + kFirstPanelDrop;
  for (std::size_t i = 0; i < panels.size(); ++i) {
    DrawPanel(svg, panels[i], data, top);
    top += kPanelHeight + kGap + kPanelFooter;
  }
  svg << "</svg>\n";
  return svg.str();
}

void SvgPlot::RunEnded(Host&, bool completed) {
  if (!file_) return;
  if (!completed) return Discard();
  data_.Finish();
  file_->Write(PlotText(data_, title_));
  file_->Close();
}

void SvgPlot::Publish() {
  if (!file_) return;
  const std::unique_ptr<AtomicFile> file = std::move(file_);
  file->Publish();
}

}  // namespace vsim
