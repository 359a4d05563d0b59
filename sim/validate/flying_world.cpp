#include "sim/validate/flying_world.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "sim/outputs/page_series.h"

namespace vsim::validate {

namespace {

constexpr double kGravity = 9.81;
// Samples a recorded flight keeps at most, about: enough for a panel's
// curves, little to hand back from the check's process.
constexpr double kSamples = 300;
constexpr int kDigits = 5;
// The flight page's series that say how a vessel flew.
constexpr const char* kRecordedSeries[] = {"altitude",   "airspeed", "vspeed",    "pitch", "bank",
                                           "rate_pitch", "rate_yaw", "rate_bank", "main",  "hover"};

double Rounded(double value) {
  if (!std::isfinite(value)) return value;
  char text[32];
  std::snprintf(text, sizeof text, "%.*g", kDigits, value);
  return std::strtod(text, nullptr);
}

const PageSeries& SeriesNamed(const char* key) {
  for (const PageSeries& s : kPageSeries)
    if (std::strcmp(s.key, key) == 0) return s;
  throw std::logic_error(std::string("no page series ") + key);
}

}  // namespace

FlyingWorld::FlyingWorld(const Target& target, std::vector<Flown>* flights)
    : world(target), physics(PhysicsConstants{kGravity}), holds(kGravity), flights_(flights) {
  // A long flight's calls are not needed, only its faults.
  world.host.journal().keep = false;
  world.host.SetIntegrator(&physics);
}

void FlyingWorld::Hold(VesselRecord& vessel, Autopilot hold, double target) {
  holds.Engage(vessel, AutopilotCommand{hold, "", target});
}

bool FlyingWorld::Fire(VesselRecord& vessel, THGROUP_TYPE group, double level) {
  const ThrusterGroup* g = vessel.Group(group);
  if (g == nullptr) return false;
  for (std::uint32_t t : g->members) vessel.declared.thrusters[t].level = level;
  holds.Commanded(vessel, group);
  return true;
}

void FlyingWorld::Record(const VesselRecord& vessel, std::string title, double seconds) {
  if (flights_ == nullptr) return;
  recorded_ = &vessel;
  every_ = std::max(1LL, std::llround(seconds / kSamples / Dt()));
  steps_ = 0;
  Flown flown;
  flown.title = std::move(title);
  for (const char* key : kRecordedSeries) {
    flown.keys.emplace_back(key);
    flown.units.emplace_back(SeriesNamed(key).unit);
  }
  flown.values.resize(flown.keys.size());
  flight_ = flights_->size();
  flights_->push_back(std::move(flown));
  Sample();
}

void FlyingWorld::Sample() {
  Flown& flown = (*flights_)[flight_];
  flown.time.push_back(Rounded(static_cast<double>(steps_) * Dt()));
  for (std::size_t i = 0; i < flown.keys.size(); ++i)
    flown.values[i].push_back(
        Rounded(SeriesNamed(kRecordedSeries[i]).read(world.host, *recorded_)));
}

void FlyingWorld::Fly(double seconds) {
  const long long steps = std::llround(seconds / Dt());
  for (long long i = 0; i < steps; ++i) {
    holds.Apply(world.host, Dt() * world.host.TimeAcceleration());
    if (check_states) {
      world.Step();
    } else {
      world.host.Step();
      world.Verify();
      for (const auto& v : world.host.Vessels())
        for (const Animation& a : v->declared.animations)
          highest_state = std::max(highest_state, a.state);
    }
    if (recorded_ != nullptr && ++steps_ % every_ == 0) Sample();
  }
}

}  // namespace vsim::validate
