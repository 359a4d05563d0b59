// The flight page's data: numbers in seven significant digits (a needle's
// angle from such a state is off by far less than a degree), no value
// repeated per sample that is the same for the whole run, and a run of
// equal samples as one [value, count].
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "sim/journal/format.h"
#include "sim/outputs/cockpit_layout.h"
#include "sim/outputs/flight_page.h"
#include "sim/outputs/page_assets.h"
#include "sim/outputs/page_series.h"
#include "sim/outputs/page_template.h"

namespace vsim {

namespace {

constexpr int kDigits = 7;
// Seven digits from 1e-4 up to 1e7 are written from an integer of them:
// the page has hundreds of thousands of numbers.
constexpr int kLowestExponent = -4, kHighestExponent = 6;
constexpr double kPowersOfTen[] = {1e-4, 1e-3, 1e-2, 1e-1, 1e0, 1e1, 1e2,  1e3,
                                   1e4,  1e5,  1e6,  1e7,  1e8, 1e9, 1e10, 1e11};
constexpr double TenTo(int exponent) { return kPowersOfTen[exponent - kLowestExponent]; }
constexpr std::uint64_t kSevenDigits = 10000000, kSixDigits = 1000000;

// The seven significant digits of `magnitude` (in 1e-4 .. 1e7), as an
// integer, and the exponent of its first digit; false if it rounds beyond.
bool SevenDigits(double magnitude, std::uint64_t& digits, int& exponent) {
  int e = kLowestExponent;
  while (e < kHighestExponent && magnitude >= TenTo(e + 1)) ++e;
  for (int tries = 0; tries < 2; ++tries) {
    const double scaled = magnitude * TenTo(kDigits - 1 - e);
    digits = static_cast<std::uint64_t>(scaled + 0.5);
    if (digits >= kSevenDigits) {
      ++e;
    } else if (digits < kSixDigits) {
      --e;
    } else {
      exponent = e;
      return true;
    }
    if (e > kHighestExponent || e < kLowestExponent) return false;
  }
  return false;
}

char* WriteSeven(char* at, double x) {
  const double magnitude = std::fabs(x);
  std::uint64_t digits = 0;
  int exponent = 0;
  if (!(magnitude >= TenTo(kLowestExponent) && magnitude < TenTo(kHighestExponent + 1)) ||
      !SevenDigits(magnitude, digits, exponent))
    return std::to_chars(at, at + kNumberText, x, std::chars_format::general, kDigits).ptr;
  char text[kDigits];
  for (int i = kDigits - 1; i >= 0; --i) {
    text[i] = static_cast<char>('0' + digits % 10);
    digits /= 10;
  }
  int length = kDigits;
  const int whole = exponent + 1;  // digits before the point, if any
  while (length > std::max(whole, 0) && text[length - 1] == '0') --length;
  if (x < 0) *at++ = '-';
  if (whole <= 0) {
    *at++ = '0';
    *at++ = '.';
    for (int i = whole; i < 0; ++i) *at++ = '0';
    std::memcpy(at, text, static_cast<std::size_t>(length));
    return at + length;
  }
  std::memcpy(at, text, static_cast<std::size_t>(whole));
  at += whole;
  if (length > whole) {
    *at++ = '.';
    std::memcpy(at, text + whole, static_cast<std::size_t>(length - whole));
    at += length - whole;
  }
  return at;
}

void Number(std::string& out, double x) {
  if (!std::isfinite(x)) {
    out += "null";
    return;
  }
  char buffer[kNumberText];
  out.append(buffer, WriteSeven(buffer, x));
}

// JSON has '<' only inside its strings, where \u003c stands for it: so no
// "</script", "<!--" or "<script" can change how the data element is read.
void Text(std::string& out, const std::string& text) {
  const std::string json =
      nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  for (const char c : json) {
    if (c == '<')
      out += "\\u003c";
    else
      out += c;
  }
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

void AppendPageJson(std::string& out, const PageData& data) {
  out += "{\"title\":";
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
}

}  // namespace

std::string PageJson(const PageData& data) {
  std::string out;
  AppendPageJson(out, data);
  return out;
}

std::string PageText(const PageData& data) {
  return FillPage(
      page_assets::kTemplate,
      {{"@TITLE@", [&](std::string& out) { AppendHtmlEscaped(out, data.title); }},
       {"/*@CHART_STYLE@*/", [](std::string& out) { out += page_assets::kChartStyle; }},
       {"/*@VIEWER_STYLE@*/", [](std::string& out) { out += page_assets::kViewerStyle; }},
       {"@DATA@", [&](std::string& out) { AppendPageJson(out, data); }},
       {"//@CHART_SCRIPT@",
        [](std::string& out) { AppendForScriptElement(out, page_assets::kChartScript); }},
       {"//@VIEWER_SCRIPT@",
        [](std::string& out) { AppendForScriptElement(out, page_assets::kViewerScript); }}});
}

}  // namespace vsim
