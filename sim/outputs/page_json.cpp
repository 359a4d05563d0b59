// The flight page's data: numbers in seven significant digits (a needle's
// angle from such a state is off by far less than a degree), no value
// repeated per sample that is the same for the whole run, and a run of
// equal samples as one [value, count].
#include <charconv>
#include <cmath>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string>

#include "sim/outputs/cockpit_layout.h"
#include "sim/outputs/flight_page.h"
#include "sim/outputs/page_assets.h"
#include "sim/outputs/page_series.h"

namespace vsim {

namespace {

constexpr int kDigits = 7;

void Number(std::string& out, double x) {
  if (!std::isfinite(x)) {
    out += "null";
    return;
  }
  char buffer[32];
  const auto end =
      std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::general, kDigits).ptr;
  out.append(buffer, end);
}

void Text(std::string& out, const std::string& text) {
  out += nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// A run of this many equal values or more is written [value, count]: most
// states and inputs hold still for long stretches.
constexpr std::size_t kShortestRun = 3;

// The same value as printed: NaN equals NaN here.
bool Same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

template <typename T>
void Array(std::string& out, const std::vector<T>& values) {
  out += '[';
  for (std::size_t i = 0; i < values.size();) {
    if (i > 0) out += ',';
    const auto value = static_cast<double>(values[i]);
    std::size_t end = i + 1;
    while (end < values.size() && Same(static_cast<double>(values[end]), value)) ++end;
    if (end - i >= kShortestRun) {
      out += '[';
      Number(out, value);
      out += ',' + std::to_string(end - i) + ']';
      i = end;
      continue;
    }
    Number(out, value);
    ++i;
  }
  out += ']';
}

void Vector(std::string& out, const VECTOR3& v) {
  out += '[';
  Number(out, v.x);
  out += ',';
  Number(out, v.y);
  out += ',';
  Number(out, v.z);
  out += ']';
}

// The helicopter's panel, when the flight's animations carry its names.
bool NamedLikeHelicopter(const std::vector<std::string>& names) {
  if (names.size() < animation_names::kCount) return false;
  for (std::size_t i = 0; i < animation_names::kCount; ++i)
    if (names[i] != animation_names::kNames[i]) return false;
  return true;
}

void CockpitPanel(std::string& out, const PageData& data) {
  out += "\"cockpit\":[";
  if (NamedLikeHelicopter(data.animation_names)) {
    bool first = true;
    for (const CockpitInstrument& i : kHelicopterPanel) {
      out += first ? "{" : ",{";
      first = false;
      out += "\"title\":";
      Text(out, i.title);
      out += ",\"animations\":[";
      for (std::size_t h = 0; h < i.hands; ++h)
        out += (h > 0 ? "," : "") + std::to_string(i.animations[h]);
      out += "]}";
    }
  }
  out += "]";
}

void Components(std::string& out, const PageVessel& v) {
  out += "\"components\":[";
  for (std::size_t i = 0; i < v.components.size(); ++i) {
    const PageComponent& c = v.components[i];
    out += i > 0 ? ",{" : "{";
    out += "\"animation\":" + std::to_string(c.animation) + ",\"from\":";
    Number(out, c.from);
    out += ",\"to\":";
    Number(out, c.to);
    out += c.rotates ? ",\"type\":\"rotate\",\"axis\":" : ",\"type\":\"translate\",\"shift\":";
    Vector(out, c.axis);
    if (c.rotates) {
      out += ",\"angle\":";
      Number(out, c.angle);
    }
    out += "}";
  }
  out += "]";
}

void Touchdowns(std::string& out, const PageVessel& v) {
  out += "\"touchdowns\":[";
  for (std::size_t i = 0; i < v.touchdowns.size(); ++i) {
    const Touchdown& t = v.touchdowns[i];
    out += i > 0 ? ",{" : "{";
    out += "\"step\":" + std::to_string(t.step) + ",\"time\":";
    Number(out, t.time);
    out += ",\"vspeed\":";
    Number(out, t.vspeed);
    out += ",\"speed\":";
    Number(out, t.speed);
    out += t.crash ? ",\"crash\":true}" : ",\"crash\":false}";
  }
  out += "]";
}

void Vessel(std::string& out, const PageVessel& v) {
  out += "{\"name\":";
  Text(out, v.name);
  out += ",";
  Components(out, v);
  out += ",";
  Touchdowns(out, v);
  out += ",\"step\":";
  Array(out, v.step);
  out += ",\"time\":";
  Array(out, v.time);
  out += ",\"series\":{";
  for (std::size_t i = 0; i < kPageSeriesCount; ++i) {
    out += i > 0 ? ",\"" : "\"";
    out += std::string(kPageSeries[i].key) + "\":";
    Array(out, v.series[i]);
  }
  out += "},\"animations\":[";
  for (std::size_t i = 0; i < v.animations.size(); ++i) {
    if (i > 0) out += ",";
    Array(out, v.animations[i]);
  }
  out += "],\"beacons\":";
  Array(out, v.beacons);
  out += "}";
}

void Units(std::string& out) {
  out += "\"units\":{";
  for (std::size_t i = 0; i < kPageSeriesCount; ++i) {
    if (i > 0) out += ",";
    Text(out, kPageSeries[i].key);
    out += ":";
    Text(out, kPageSeries[i].unit);
  }
  out += "}";
}

struct Slot {
  const char* name;
  std::string text;
};

// Each slot of the page in the order the page has them, found in the page
// itself, so that text put into one slot is never searched for the next.
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

// Inside a script element "</" would end it early.
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

std::string PageJson(const PageData& data) {
  std::string out = "{\"title\":";
  Text(out, data.title);
  out += ",\"focus\":";
  Text(out, data.focus);
  out += ",\"stride\":" + std::to_string(data.stride) + ",\"animationNames\":[";
  for (std::size_t i = 0; i < data.animation_names.size(); ++i) {
    if (i > 0) out += ",";
    Text(out, data.animation_names[i]);
  }
  out += "],";
  Units(out);
  out += ",";
  CockpitPanel(out, data);
  out += ",\"limits\":[";
  for (std::size_t i = 0; i < data.layout.limits.size(); ++i) {
    const PlotLayout::Limit& l = data.layout.limits[i];
    out += i > 0 ? ",{" : "{";
    out += l.altitude ? "\"series\":\"altitude\",\"value\":" : "\"series\":\"airspeed\",\"value\":";
    Number(out, l.value);
    out += ",\"label\":";
    Text(out, l.label);
    out += "}";
  }
  out += "],\"events\":[";
  for (std::size_t i = 0; i < data.events.size(); ++i) {
    const FlightEvent& e = data.events[i];
    out += i > 0 ? ",{" : "{";
    out += "\"step\":" + std::to_string(e.step) + ",\"time\":";
    Number(out, e.time);
    out += ",\"text\":";
    Text(out, e.text);
    out += "}";
  }
  out += "],\"vessels\":[";
  // The focus vessel first, the others in the order they appeared.
  bool first = true;
  for (int pass = 0; pass < 2; ++pass)
    for (const PageVessel& v : data.vessels) {
      if ((v.name == data.focus) != (pass == 0)) continue;
      if (!first) out += ",";
      first = false;
      Vessel(out, v);
    }
  out += "]}";
  return out;
}

std::string PageText(const PageData& data) {
  return Fill(page_assets::kTemplate,
              {{"@TITLE@", HtmlEscape(data.title)},
               {"/*@CHART_STYLE@*/", page_assets::kChartStyle},
               {"/*@VIEWER_STYLE@*/", page_assets::kViewerStyle},
               {"@DATA@", ForScriptElement(PageJson(data))},
               {"//@CHART_SCRIPT@", ForScriptElement(page_assets::kChartScript)},
               {"//@VIEWER_SCRIPT@", ForScriptElement(page_assets::kViewerScript)}});
}

}  // namespace vsim
