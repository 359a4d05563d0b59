#include "sim/physics/last_good.h"

#include <cmath>

namespace vsim {

namespace {

// x * 0 is 0 for every finite x and NaN otherwise: one sum tells them all.
struct FiniteSum {
  double zero = 0;
  void Add(double x) { zero += x * 0.0; }
  void Add(VECTOR3 v) { Add(v.x), Add(v.y), Add(v.z); }
};

}  // namespace

bool StateFinite(const VesselRecord& vessel) {
  const FlightState& s = vessel.flight;
  const Readings& r = vessel.readings;
  const Quaternion& q = s.attitude;
  FiniteSum sum;
  for (VECTOR3 v : {s.position, s.velocity, s.rates, r.airspeed_vector}) sum.Add(v);
  for (double x : {q.w, q.x, q.y, q.z, r.heading, r.altitude, r.airspeed, r.aoa, r.bank, r.pitch,
                   r.slip, r.mach, r.dynamic_pressure})
    sum.Add(x);
  for (const Propellant& p : vessel.declared.propellants) sum.Add(p.mass);
  return sum.zero == 0;
}

void Remember(VesselRecord& vessel) {
  if (StateFinite(vessel)) Keep(vessel);
}

void Keep(VesselRecord& vessel) {
  GoodState& good = vessel.last_good;
  good.known = true;
  good.flight = vessel.flight;
  good.readings = vessel.readings;
  const auto& propellants = vessel.declared.propellants;
  good.fuel.resize(propellants.size());
  for (std::size_t i = 0; i < propellants.size(); ++i) good.fuel[i] = propellants[i].mass;
}

void Restore(VesselRecord& vessel, bool undo_step) {
  const GoodState& good = vessel.last_good;
  vessel.flight = good.known ? good.flight : FlightState{};
  vessel.readings = good.known ? good.readings : Readings{};
  auto& propellants = vessel.declared.propellants;
  for (std::size_t i = 0; i < propellants.size(); ++i)
    if (undo_step || !std::isfinite(propellants[i].mass))
      propellants[i].mass = i < good.fuel.size() ? good.fuel[i] : 0.0;
}

}  // namespace vsim
