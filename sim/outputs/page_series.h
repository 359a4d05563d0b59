// What the flight page keeps of a vessel each step, one row a series: the
// page's charts and track views find their series by these keys.
#pragma once

#include <cstddef>

#include "sim/core/host.h"

namespace vsim {

struct PageSeries {
  const char* key;
  const char* unit;
  double (*read)(const Host&, const VesselRecord&);
};

inline double LevelOf(const VesselRecord& v, THGROUP_TYPE type) {
  const Thruster* t = v.GroupMember(type);
  return t != nullptr ? t->level : NAN;
}

constexpr double kPageDegrees = 180.0 / PI;

constexpr PageSeries kPageSeries[] = {
    {"altitude", "m", [](const Host&, const VesselRecord& v) { return v.readings.altitude; }},
    {"airspeed", "m/s", [](const Host&, const VesselRecord& v) { return v.readings.airspeed; }},
    {"heading", "deg",
     [](const Host&, const VesselRecord& v) { return v.readings.heading * kPageDegrees; }},
    {"vspeed", "m/s", [](const Host&, const VesselRecord& v) { return v.flight.VerticalSpeed(); }},
    {"pitch", "deg",
     [](const Host&, const VesselRecord& v) { return v.readings.pitch * kPageDegrees; }},
    {"bank", "deg",
     [](const Host&, const VesselRecord& v) { return v.readings.bank * kPageDegrees; }},
    {"aoa", "deg",
     [](const Host&, const VesselRecord& v) { return v.readings.aoa * kPageDegrees; }},
    {"rate_pitch", "deg/s",
     [](const Host&, const VesselRecord& v) { return v.flight.PitchRate() * kPageDegrees; }},
    {"rate_yaw", "deg/s",
     [](const Host&, const VesselRecord& v) { return v.flight.YawRate() * kPageDegrees; }},
    {"rate_bank", "deg/s",
     [](const Host&, const VesselRecord& v) { return v.flight.BankRate() * kPageDegrees; }},
    {"east", "m", [](const Host&, const VesselRecord& v) { return v.flight.position.x; }},
    {"north", "m", [](const Host&, const VesselRecord& v) { return v.flight.position.z; }},
    {"fuel", "kg", [](const Host&, const VesselRecord& v) { return v.FuelMass(); }},
    {"main", "0..1", [](const Host&, const VesselRecord& v) { return LevelOf(v, THGROUP_MAIN); }},
    {"hover", "0..1", [](const Host&, const VesselRecord& v) { return LevelOf(v, THGROUP_HOVER); }},
    {"rudder", "-1..1", [](const Host&, const VesselRecord& v) { return v.controls.rudder; }},
    {"timeacc", "x", [](const Host& h, const VesselRecord&) { return h.TimeAcceleration(); }},
    {"ground", "1/0",
     [](const Host&, const VesselRecord& v) { return v.readings.ground_contact ? 1.0 : 0.0; }},
};

constexpr std::size_t kPageSeriesCount = sizeof kPageSeries / sizeof kPageSeries[0];

}  // namespace vsim
