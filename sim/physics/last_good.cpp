#include "sim/physics/last_good.h"

#include <cmath>

namespace vsim {

namespace {

// x * 0 is 0 for every finite x and NaN otherwise: one sum tells them all,
// written out so that it costs a multiply and an add a value.
double Zero(VECTOR3 v) { return v.x * 0.0 + v.y * 0.0 + v.z * 0.0; }

}  // namespace

bool StateFinite(const VesselRecord& vessel) {
  const FlightState& s = vessel.flight;
  const Readings& r = vessel.readings;
  const Quaternion& q = s.attitude;
  double zero =
      Zero(s.position) + Zero(s.velocity) + Zero(s.rates) + Zero(r.airspeed_vector) +
      (q.w * 0.0 + q.x * 0.0 + q.y * 0.0 + q.z * 0.0) +
      (r.heading * 0.0 + r.altitude * 0.0 + r.airspeed * 0.0 + r.aoa * 0.0 + r.bank * 0.0 +
       r.pitch * 0.0 + r.slip * 0.0 + r.mach * 0.0 + r.dynamic_pressure * 0.0);
  for (const Propellant& p : vessel.declared.propellants) zero += p.mass * 0.0;
  return zero == 0;
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
