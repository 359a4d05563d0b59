#include "sim/physics/last_good.h"

#include <cmath>

namespace vsim {

namespace {
bool Finite(VECTOR3 a) { return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z); }
}  // namespace

bool StateFinite(const VesselRecord& vessel) {
  const FlightState& s = vessel.flight;
  const Readings& r = vessel.readings;
  const Quaternion& q = s.attitude;
  bool finite = Finite(s.position) && Finite(s.velocity) && Finite(s.rates) && std::isfinite(q.w) &&
                std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z) &&
                std::isfinite(r.heading) && std::isfinite(r.altitude) &&
                std::isfinite(r.airspeed) && std::isfinite(r.aoa) && std::isfinite(r.bank) &&
                std::isfinite(r.pitch) && std::isfinite(r.slip) && std::isfinite(r.mach) &&
                std::isfinite(r.dynamic_pressure) && Finite(r.airspeed_vector);
  for (const Propellant& p : vessel.declared.propellants) finite = finite && std::isfinite(p.mass);
  return finite;
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
