#include "sim/script/units.h"

#include "host/host_api.h"

namespace vsim {

namespace {

constexpr double kMetresPerKilometre = 1000;
constexpr double kMetresPerFoot = 0.3048;
constexpr double kMetresPerNauticalMile = 1852;
constexpr double kSecondsPerHour = 3600;
constexpr double kSecondsPerMinute = 60;

constexpr Unit kUnits[] = {
    {"deg", "rad", RAD},
    {"deg/s", "rad/s", RAD},
    {"rad", "rad", 1},
    {"rad/s", "rad/s", 1},
    {"m", "m", 1},
    {"km", "m", kMetresPerKilometre},
    {"ft", "m", kMetresPerFoot},
    {"m/s", "m/s", 1},
    {"kt", "m/s", kMetresPerNauticalMile / kSecondsPerHour},
    {"km/h", "m/s", kMetresPerKilometre / kSecondsPerHour},
    {"s", "s", 1},
    {"min", "s", kSecondsPerMinute},
};

}  // namespace

const Unit* FindUnit(const std::string& name) {
  for (const Unit& unit : kUnits)
    if (name == unit.name) return &unit;
  return nullptr;
}

std::vector<std::string> UnitNames() {
  std::vector<std::string> names;
  for (const Unit& unit : kUnits) names.push_back(unit.name);
  return names;
}

}  // namespace vsim
