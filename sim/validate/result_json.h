// A check's figures and flights as JSON: handed from a check's process to
// the validator, and written in the JSON report and the HTML page.
#pragma once

#include <nlohmann/json.hpp>

#include "sim/validate/validation.h"

namespace vsim::validate {

// Keys in the order they are written: a report reads top down.
using json = nlohmann::ordered_json;

json FiguresJson(const std::vector<Figure>& figures);
json FlightsJson(const std::vector<Flown>& flights);
// Throws nlohmann::json::exception on JSON of another shape.
std::vector<Figure> FiguresFrom(const json& figures);
std::vector<Flown> FlightsFrom(const json& flights);

}  // namespace vsim::validate
