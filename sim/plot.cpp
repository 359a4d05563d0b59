#include "sim/plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace vsim {

namespace {

constexpr double kWidth = 960;
constexpr double kPanelHeight = 170;
constexpr double kLeft = 80, kRight = 215, kTop = 50, kGap = 40;
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

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '&')
      out += "&amp;";
    else if (c == '"')
      out += "&quot;";
    else
      out += c;
  }
  return out;
}

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
  out << (std::abs(v) < 1e-9 ? 0.0 : v);
  return out.str();
}

void DrawPanel(std::ostringstream& svg, const Panel& panel, double top,
               const std::vector<double>& time, std::size_t stride) {
  const double plot_w = kWidth - kLeft - kRight;
  const double bottom = top + kPanelHeight;
  const double t0 = time.empty() ? 0 : std::min(0.0, time.front());
  const double t1 = time.empty() ? 1 : std::max(time.back(), t0 + 1e-9);
  double lo = 0, hi = 0;
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
  if (hi - lo < 1e-9) hi = lo + 1;
  const double pad = (hi - lo) * 0.05;
  lo -= pad;
  hi += pad;
  auto x = [&](double t) { return kLeft + (t - t0) / (t1 - t0) * plot_w; };
  auto y = [&](double v) { return bottom - (v - lo) / (hi - lo) * kPanelHeight; };

  svg << "<text x=\"" << kLeft << "\" y=\"" << top - 8
      << "\" font-size=\"14\" font-weight=\"bold\">" << Escape(panel.title) << " ("
      << Escape(panel.unit) << ")</text>\n";
  svg << "<rect x=\"" << kLeft << "\" y=\"" << top << "\" width=\"" << plot_w << "\" height=\""
      << kPanelHeight << "\" fill=\"none\" stroke=\"#444\"/>\n";
  const double step = TickStep(hi - lo);
  for (double v = std::ceil(lo / step) * step; v <= hi; v += step) {
    svg << "<line x1=\"" << kLeft << "\" x2=\"" << kLeft + plot_w << "\" y1=\"" << Num(y(v))
        << "\" y2=\"" << Num(y(v)) << "\" stroke=\"#ddd\"/>\n";
    svg << "<text x=\"" << kLeft - 6 << "\" y=\"" << Num(y(v) + 4)
        << "\" font-size=\"11\" text-anchor=\"end\">" << TickLabel(v) << "</text>\n";
  }
  const double tstep = TickStep(t1 - t0);
  for (double t = std::ceil(t0 / tstep) * tstep; t <= t1; t += tstep)
    svg << "<text x=\"" << Num(x(t)) << "\" y=\"" << bottom + 14
        << "\" font-size=\"11\" text-anchor=\"middle\">" << TickLabel(t) << "</text>\n";
  for (const auto& limit : panel.limits) {
    svg << "<line x1=\"" << kLeft << "\" x2=\"" << kLeft + plot_w << "\" y1=\""
        << Num(y(limit.first)) << "\" y2=\"" << Num(y(limit.first))
        << "\" stroke=\"#999\" stroke-dasharray=\"6 4\"/>\n";
    svg << "<text x=\"" << kLeft + plot_w - 4 << "\" y=\"" << Num(y(limit.first) - 4)
        << "\" font-size=\"11\" text-anchor=\"end\" fill=\"#666\">" << Escape(limit.second)
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
    const double ly = top + 16 + 18 * static_cast<double>(s);
    svg << "<line x1=\"" << kWidth - kRight + 12 << "\" x2=\"" << kWidth - kRight + 36 << "\" y1=\""
        << ly - 4 << "\" y2=\"" << ly - 4 << "\" stroke=\"" << colour
        << "\" stroke-width=\"2\"/>\n";
    svg << "<text x=\"" << kWidth - kRight + 42 << "\" y=\"" << ly << "\" font-size=\"12\">"
        << Escape(series.label) << "</text>\n";
  }
}

}  // namespace

void PlotData::Sample(Host& host, const VesselRecord& focus) {
  time.push_back(host.SimTime());
  altitude.push_back(focus.readings.altitude);
  airspeed.push_back(focus.readings.airspeed);
  const Thruster* main = focus.GroupMember(THGROUP_MAIN);
  const Thruster* hover = focus.GroupMember(THGROUP_HOVER);
  main_level.push_back(main != nullptr ? main->level : 0);
  hover_level.push_back(hover != nullptr ? hover->level : 0);
  const auto engine = focus.sound_slots.find(1);
  const bool playing = engine != focus.sound_slots.end() && engine->second.last == "play";
  engine_frequency.push_back(playing ? engine->second.frequency : 0);
  animation_states.resize(animations.size());
  for (std::size_t i = 0; i < animations.size(); ++i) {
    const UINT index = animations[i].index;
    animation_states[i].push_back(index < focus.animations.size() ? focus.animations[index].state
                                                                  : NAN);
  }
}

void WritePlot(const std::string& path, const PlotData& data, const std::string& title) {
  std::vector<Panel> panels;
  Panel altitude{"Altitude", "m", {{"altitude", &data.altitude}}, {}};
  Panel airspeed{"Airspeed", "m/s", {{"airspeed", &data.airspeed}}, {}};
  for (const auto& limit : data.limits)
    (limit.quantity == "altitude" ? altitude : airspeed)
        .limits.push_back({limit.value, limit.label});
  panels.push_back(altitude);
  panels.push_back(airspeed);
  panels.push_back(Panel{
      "Thrust levels", "0..1", {{"main", &data.main_level}, {"hover", &data.hover_level}}, {}});
  panels.push_back(Panel{
      "Engine sound pitch", "Hz, 0 = silent", {{"engine frequency", &data.engine_frequency}}, {}});
  if (!data.animations.empty()) {
    Panel anims{"Animation states", "0..1", {}, {}};
    for (std::size_t i = 0; i < data.animations.size() && i < data.animation_states.size(); ++i)
      anims.series.push_back(
          {data.animations[i].label + " (anim " + std::to_string(data.animations[i].index) + ")",
           &data.animation_states[i]});
    panels.push_back(anims);
  }
  const std::size_t stride = std::max<std::size_t>(1, data.time.size() / kMaxPoints);
  const double height = kTop + static_cast<double>(panels.size()) * (kPanelHeight + kGap + 20) + 20;
  std::ostringstream svg;
  svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\"" << height
      << "\" font-family=\"sans-serif\">\n";
  svg << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  svg << "<text x=\"" << kLeft
      << "\" y=\"26\" font-size=\"18\" font-weight=\"bold\">Flight: " << Escape(title)
      << "</text>\n";
  double top = kTop + 10;
  for (const Panel& panel : panels) {
    DrawPanel(svg, panel, top, data.time, stride);
    svg << "<text x=\"" << kLeft + (kWidth - kLeft - kRight) / 2 << "\" y=\""
        << top + kPanelHeight + 30
        << "\" font-size=\"11\" text-anchor=\"middle\">time (s)</text>\n";
    top += kPanelHeight + kGap + 20;
  }
  svg << "</svg>\n";
  const std::string partial = path + ".partial";
  std::FILE* f = std::fopen(partial.c_str(), "wb");
  if (f == nullptr) throw HostError("cannot write " + path);
  const std::string text = svg.str();
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  if (std::fclose(f) != 0 || !ok || std::rename(partial.c_str(), path.c_str()) != 0) {
    std::remove(partial.c_str());
    throw HostError("cannot write " + path);
  }
}

}  // namespace vsim
