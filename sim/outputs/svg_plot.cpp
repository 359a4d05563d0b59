#include "sim/outputs/svg_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "sim/files/atomic_file.h"
#include "sim/outputs/xml.h"

namespace vsim {

namespace {

constexpr double kWidth = 960;
constexpr double kPanelHeight = 170;
constexpr double kLeft = 80, kRight = 215, kTop = 50, kGap = 40;
constexpr double kPanelTitleRise = 8;  // panel title above its frame
constexpr double kTickLabelDrop = 14;  // time labels below the frame
constexpr double kValueLabelDrop = 4;  // value labels centred on their grid line
constexpr double kLegendTop = 16, kLegendRow = 18;
constexpr double kLegendLineFrom = 12, kLegendLineTo = 36, kLegendTextAt = 42;
constexpr double kAxisLabelDrop = 30;  // "time (s)" below the frame
constexpr double kPanelFooter = 20;    // room for the axis label
constexpr double kFirstPanelDrop = 10;
constexpr double kRangePadding = 0.05;  // of the value range, above and below
constexpr double kNegligible = 1e-9;    // ranges and ticks closer than this are equal
constexpr std::size_t kMaxPoints = 1500;
const char* const kColours[] = {"#1f77b4", "#d62728", "#2ca02c", "#ff7f0e", "#9467bd", "#8c564b"};

struct Series {
  std::string label;
  const std::vector<double>* values;
  bool dashed = false;
};

struct Panel {
  std::string title;
  std::string unit;
  std::vector<Series> series;
  std::vector<std::pair<double, std::string>> limits;
};

std::string Num(double x) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.1f", x);
  return buffer;
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
  if (hi - lo < kNegligible) hi = lo + 1;
  const double pad = (hi - lo) * kRangePadding;
  lo -= pad;
  hi += pad;
}

void DrawPanel(std::ostringstream& svg, const Panel& panel, double top,
               const std::vector<double>& time, std::size_t stride) {
  const double plot_w = kWidth - kLeft - kRight;
  const double bottom = top + kPanelHeight;
  const double t0 = time.empty() ? 0 : std::min(0.0, time.front());
  const double t1 = time.empty() ? 1 : std::max(time.back(), t0 + kNegligible);
  double lo = 0, hi = 0;
  ValueRange(panel, lo, hi);
  auto x = [&](double t) { return kLeft + (t - t0) / (t1 - t0) * plot_w; };
  auto y = [&](double v) { return bottom - (v - lo) / (hi - lo) * kPanelHeight; };

  svg << "<text x=\"" << kLeft << "\" y=\"" << top - kPanelTitleRise
      << "\" font-size=\"14\" font-weight=\"bold\">" << XmlEscape(panel.title) << " ("
      << XmlEscape(panel.unit) << ")</text>\n";
  svg << "<rect x=\"" << kLeft << "\" y=\"" << top << "\" width=\"" << plot_w << "\" height=\""
      << kPanelHeight << "\" fill=\"none\" stroke=\"#444\"/>\n";
  const double step = TickStep(hi - lo);
  for (double v = std::ceil(lo / step) * step; v <= hi; v += step) {
    svg << "<line x1=\"" << kLeft << "\" x2=\"" << kLeft + plot_w << "\" y1=\"" << Num(y(v))
        << "\" y2=\"" << Num(y(v)) << "\" stroke=\"#ddd\"/>\n";
    svg << "<text x=\"" << kLeft - 6 << "\" y=\"" << Num(y(v) + kValueLabelDrop)
        << "\" font-size=\"11\" text-anchor=\"end\">" << TickLabel(v) << "</text>\n";
  }
  const double tstep = TickStep(t1 - t0);
  for (double t = std::ceil(t0 / tstep) * tstep; t <= t1; t += tstep)
    svg << "<text x=\"" << Num(x(t)) << "\" y=\"" << bottom + kTickLabelDrop
        << "\" font-size=\"11\" text-anchor=\"middle\">" << TickLabel(t) << "</text>\n";
  for (const auto& limit : panel.limits) {
    svg << "<line x1=\"" << kLeft << "\" x2=\"" << kLeft + plot_w << "\" y1=\""
        << Num(y(limit.first)) << "\" y2=\"" << Num(y(limit.first))
        << "\" stroke=\"#999\" stroke-dasharray=\"6 4\"/>\n";
    svg << "<text x=\"" << kLeft + plot_w - 4 << "\" y=\"" << Num(y(limit.first) - kValueLabelDrop)
        << "\" font-size=\"11\" text-anchor=\"end\" fill=\"#666\">" << XmlEscape(limit.second)
        << "</text>\n";
  }
  for (std::size_t s = 0; s < panel.series.size(); ++s) {
    const Series& series = panel.series[s];
    const char* colour = kColours[s % (sizeof kColours / sizeof kColours[0])];
    svg << "<polyline fill=\"none\" stroke=\"" << colour << "\" stroke-width=\"1.5\" points=\"";
    for (std::size_t i = 0; i < time.size(); i += stride) {
      const double v = (*series.values)[i];
      if (std::isfinite(v)) svg << Num(x(time[i])) << ',' << Num(y(v)) << ' ';
    }
    svg << "\"/>\n";
    const double ly = top + kLegendTop + kLegendRow * static_cast<double>(s);
    svg << "<line x1=\"" << kWidth - kRight + kLegendLineFrom << "\" x2=\""
        << kWidth - kRight + kLegendLineTo << "\" y1=\"" << ly - 4 << "\" y2=\"" << ly - 4
        << "\" stroke=\"" << colour << "\" stroke-width=\"2\"/>\n";
    svg << "<text x=\"" << kWidth - kRight + kLegendTextAt << "\" y=\"" << ly
        << "\" font-size=\"12\">" << XmlEscape(series.label) << "</text>\n";
  }
}

}  // namespace

void PlotData::Sample(const Host& host, const VesselRecord& focus, int engine_slot) {
  time.push_back(host.SimTime());
  altitude.push_back(focus.readings.altitude);
  airspeed.push_back(focus.readings.airspeed);
  const Thruster* main = focus.GroupMember(THGROUP_MAIN);
  const Thruster* hover = focus.GroupMember(THGROUP_HOVER);
  main_level.push_back(main != nullptr ? main->level : 0);
  hover_level.push_back(hover != nullptr ? hover->level : 0);
  const auto engine = focus.sound.slots.find(engine_slot);
  const bool playing = engine != focus.sound.slots.end() && engine->second.last == "play";
  engine_frequency.push_back(playing ? engine->second.frequency : 0);
  animation_states.resize(layout.animations.size());
  const auto& animations = focus.declared.animations;
  for (std::size_t i = 0; i < layout.animations.size(); ++i) {
    const UINT index = layout.animations[i].index;
    animation_states[i].push_back(index < animations.size() ? animations[index].state : NAN);
  }
}

void SvgPlot::StepDone(const Host& host) {
  if (const VesselRecord* focus = host.Focus()) data_.Sample(host, *focus, engine_slot_);
}

void SvgPlot::RunEnded(Host&, bool completed) {
  if (completed) WritePlot(files_, path_, data_, title_);
}

void WritePlot(FileSystem& files, const std::string& path, const PlotData& data,
               const std::string& title) {
  std::vector<Panel> panels;
  Panel altitude{"Altitude", "m", {{"altitude", &data.altitude}}, {}};
  Panel airspeed{"Airspeed", "m/s", {{"airspeed", &data.airspeed}}, {}};
  for (const auto& limit : data.layout.limits)
    (limit.altitude ? altitude : airspeed).limits.push_back({limit.value, limit.label});
  panels.push_back(altitude);
  panels.push_back(airspeed);
  panels.push_back(Panel{
      "Thrust levels", "0..1", {{"main", &data.main_level}, {"hover", &data.hover_level}}, {}});
  panels.push_back(Panel{
      "Engine sound pitch", "Hz, 0 = silent", {{"engine frequency", &data.engine_frequency}}, {}});
  const auto& animations = data.layout.animations;
  if (!animations.empty()) {
    Panel anims{"Animation states", "0..1", {}, {}};
    for (std::size_t i = 0; i < animations.size() && i < data.animation_states.size(); ++i)
      anims.series.push_back(
          {animations[i].label + " (anim " + std::to_string(animations[i].index) + ")",
           &data.animation_states[i]});
    panels.push_back(anims);
  }
  const std::size_t stride = std::max<std::size_t>(1, data.time.size() / kMaxPoints);
  const double height = kTop +
                        static_cast<double>(panels.size()) * (kPanelHeight + kGap + kPanelFooter) +
                        kPanelFooter;
  std::ostringstream svg;
  svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\"" << height
      << "\" font-family=\"sans-serif\">\n";
  svg << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  svg << "<text x=\"" << kLeft
      << "\" y=\"26\" font-size=\"18\" font-weight=\"bold\">Flight: " << XmlEscape(title)
      << "</text>\n";
  double top = kTop + kFirstPanelDrop;
  for (const Panel& panel : panels) {
    DrawPanel(svg, panel, top, data.time, stride);
    svg << "<text x=\"" << kLeft + (kWidth - kLeft - kRight) / 2 << "\" y=\""
        << top + kPanelHeight + kAxisLabelDrop
        << "\" font-size=\"11\" text-anchor=\"middle\">time (s)</text>\n";
    top += kPanelHeight + kGap + kPanelFooter;
  }
  svg << "</svg>\n";
  AtomicFile file(files, path);
  file.Write(svg.str());
  file.Commit();
}

}  // namespace vsim
