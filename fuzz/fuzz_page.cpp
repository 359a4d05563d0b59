// Any text as the title, vessel names, animation names, limit labels and
// events, and any doubles as samples: the flight page's data element holds
// JSON that parses, with every vessel and event, and nothing in it can end
// the element or change how the rest of the page is read.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

#include "fuzz/fuzz_input.h"
#include "fuzz/well_formed.h"
#include "sim/outputs/flight_page.h"
#include "sim/outputs/page_series.h"

namespace {

using vsim::fuzz::FuzzInput;
using vsim::fuzz::Require;

constexpr std::size_t kMaxText = 40;
constexpr std::size_t kMaxVessels = 3;
constexpr std::size_t kMaxSamples = 24;
constexpr std::size_t kMaxItems = 4;

constexpr char kDataOpen[] = "<script id=\"flight-data\" type=\"application/json\">";
constexpr char kScriptClose[] = "</script";

void FillVessel(FuzzInput& in, vsim::PageVessel& v) {
  v.name = in.Text(kMaxText);
  const std::size_t components = in.Below(kMaxItems + 1);
  for (std::size_t i = 0; i < components; ++i) {
    vsim::PageComponent c;
    c.animation = in.Byte();
    c.from = in.Double();
    c.to = in.Double();
    c.rotates = in.Byte() % 2 == 0;
    c.axis = {in.Double(), in.Double(), in.Double()};
    c.angle = in.Double();
    v.components.push_back(c);
  }
  const std::size_t touchdowns = in.Below(kMaxItems + 1);
  for (std::size_t i = 0; i < touchdowns; ++i)
    v.touchdowns.push_back({in.Byte(), in.Double(), in.Double(), in.Double(), in.Byte() % 2 == 0});
  const std::size_t samples = in.Below(kMaxSamples + 1);
  v.series.resize(vsim::kPageSeriesCount);
  v.animations.resize(in.Below(kMaxItems + 1));
  for (std::size_t i = 0; i < samples; ++i) {
    // Runs of equal values are written apart: make them likely.
    const bool repeat = i > 0 && in.Byte() % 2 == 0;
    v.step.push_back(repeat ? v.step.back() : static_cast<int>(in.Byte()));
    v.time.push_back(repeat ? v.time.back() : in.Double());
    v.beacons.push_back(repeat ? v.beacons.back() : in.Byte());
    for (auto& s : v.series) s.push_back(repeat ? s.back() : in.Double());
    for (auto& a : v.animations) a.push_back(repeat ? a.back() : in.Double());
  }
}

vsim::PageData Fill(FuzzInput& in) {
  vsim::PageData data;
  data.title = in.Text(kMaxText);
  const std::size_t names = in.Below(kMaxItems + 1);
  for (std::size_t i = 0; i < names; ++i) data.animation_names.push_back(in.Text(kMaxText));
  const std::size_t limits = in.Below(kMaxItems + 1);
  for (std::size_t i = 0; i < limits; ++i) {
    const bool altitude = in.Byte() % 2 == 0;
    const double value = in.Double();
    data.layout.limits.push_back({altitude, value, in.Text(kMaxText)});
  }
  const std::size_t events = in.Below(kMaxItems + 1);
  for (std::size_t i = 0; i < events; ++i) {
    const int step = in.Byte();
    const double time = in.Double();
    data.events.push_back({step, time, in.Text(kMaxText)});
  }
  const std::size_t vessels = in.Below(kMaxVessels + 1);
  for (std::size_t i = 0; i < vessels; ++i) {
    data.vessels.emplace_back();
    FillVessel(in, data.vessels.back());
  }
  data.focus =
      data.vessels.empty() || in.Byte() % 2 == 0 ? in.Text(kMaxText) : data.vessels.back().name;
  return data;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// How many times the page's own text has this: the template's count.
std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++count;
  return count;
}

void Check(const vsim::PageData& data) {
  const std::string page = vsim::PageText(data);
  static const std::size_t kScripts = Count(Lower(vsim::PageText(vsim::PageData{})), kScriptClose);
  const std::string lower = Lower(page);
  Require(Count(lower, kScriptClose) == kScripts,
          "a text ends a script element early: " + std::to_string(Count(lower, kScriptClose)) +
              " script ends, not " + std::to_string(kScripts));
  const std::size_t title_from = page.find("<title>"), title_to = page.find("</title>");
  Require(title_from != std::string::npos && title_to != std::string::npos,
          "the page has no whole title");
  const std::string title = page.substr(title_from + 7, title_to - title_from - 7);
  Require(title.find('<') == std::string::npos, "the title holds a tag: " + title);
  const std::size_t from = page.find(kDataOpen);
  Require(from != std::string::npos, "the page has no data element");
  const std::size_t begin = from + sizeof kDataOpen - 1;
  const std::string element = page.substr(begin, lower.find(kScriptClose, begin) - begin);
  // Inside a script element these change how the parser reads what follows.
  for (const char* opening : {"<!--", "<script"})
    Require(Lower(element).find(opening) == std::string::npos,
            std::string("the data element holds ") + opening);
  nlohmann::json json;
  try {
    json = nlohmann::json::parse(element);
  } catch (const nlohmann::json::exception& e) {
    Require(false, std::string("the page's data is not JSON: ") + e.what());
  }
  Require(json["vessels"].size() == data.vessels.size(), "a vessel is missing from the data");
  Require(json["events"].size() == data.events.size(), "an event is missing from the data");
  for (const auto& v : json["vessels"])
    Require(v["time"].is_array() && v["series"].size() == vsim::kPageSeriesCount,
            "a vessel's series are missing");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  Check(Fill(in));
  return 0;
}
