// Units a script's numbers may carry: each converts to the unit the
// quantity table states, and names that unit as its dimension.
#pragma once

#include <string>
#include <vector>

namespace vsim {

struct Unit {
  const char* name;       // as written after a number: "km/h"
  const char* dimension;  // the quantity table's unit it converts to: "m/s"
  double scale;           // the table's units in one of these
};

// The unit of that name, or null.
const Unit* FindUnit(const std::string& name);
std::vector<std::string> UnitNames();

}  // namespace vsim
