#include "sim/validate/result_json.h"

#include <cmath>
#include <iterator>

namespace vsim::validate {

namespace {

constexpr const char* kBounds[] = {"reported", "at most", "at least"};

// JSON has no NaN: a missing sample is null.
json Number(double value) { return std::isfinite(value) ? json(value) : json(nullptr); }
double NumberFrom(const json& value) { return value.is_null() ? NAN : value.get<double>(); }

json Numbers(const std::vector<double>& values) {
  json list = json::array();
  for (double v : values) list.push_back(Number(v));
  return list;
}
std::vector<double> NumbersFrom(const json& list) {
  std::vector<double> values;
  values.reserve(list.size());
  for (const json& v : list) values.push_back(NumberFrom(v));
  return values;
}

}  // namespace

json FiguresJson(const std::vector<Figure>& figures) {
  json list = json::array();
  for (const Figure& f : figures)
    list.push_back({{"name", f.name},
                    {"value", Number(f.value)},
                    {"unit", f.unit},
                    {"bound", kBounds[static_cast<int>(f.bound)]},
                    {"limit", Number(f.limit)},
                    {"text", FigureText(f)}});
  return list;
}

json FlightsJson(const std::vector<Flown>& flights) {
  json list = json::array();
  for (const Flown& f : flights) {
    json series = json::array();
    for (std::size_t i = 0; i < f.keys.size(); ++i)
      series.push_back(
          {{"key", f.keys[i]}, {"unit", f.units[i]}, {"values", Numbers(f.values[i])}});
    list.push_back({{"title", f.title}, {"time", Numbers(f.time)}, {"series", series}});
  }
  return list;
}

std::vector<Figure> FiguresFrom(const json& list) {
  std::vector<Figure> figures;
  for (const json& f : list) {
    Figure figure;
    figure.name = f.at("name").get<std::string>();
    figure.value = NumberFrom(f.at("value"));
    figure.unit = f.at("unit").get<std::string>();
    const std::string bound = f.at("bound").get<std::string>();
    for (int b = 0; b < static_cast<int>(std::size(kBounds)); ++b)
      if (bound == kBounds[b]) figure.bound = static_cast<Bound>(b);
    figure.limit = NumberFrom(f.at("limit"));
    figures.push_back(figure);
  }
  return figures;
}

std::vector<Flown> FlightsFrom(const json& list) {
  std::vector<Flown> flights;
  for (const json& f : list) {
    Flown flown;
    flown.title = f.at("title").get<std::string>();
    flown.time = NumbersFrom(f.at("time"));
    for (const json& s : f.at("series")) {
      flown.keys.push_back(s.at("key").get<std::string>());
      flown.units.push_back(s.at("unit").get<std::string>());
      flown.values.push_back(NumbersFrom(s.at("values")));
    }
    flights.push_back(std::move(flown));
  }
  return flights;
}

}  // namespace vsim::validate
