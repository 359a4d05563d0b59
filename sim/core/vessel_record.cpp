#include "sim/core/vessel_record.h"

#include <cmath>

namespace vsim {

double FlightState::GroundSpeed() const { return std::hypot(velocity.x, velocity.z); }

void Declared::Compact() {
  propellants.shrink_to_fit();
  thrusters.shrink_to_fit();
  for (ThrusterGroup& group : groups) group.members.shrink_to_fit();
  groups.shrink_to_fit();
  exhausts.shrink_to_fit();
  beacons.shrink_to_fit();
  airfoils.shrink_to_fit();
  drag_elements.shrink_to_fit();
  meshes.shrink_to_fit();
  animations.shrink_to_fit();
  components.shrink_to_fit();
  cockpit.areas.shrink_to_fit();
}

double VesselRecord::FuelMass() const {
  return declared.propellants.empty() ? 0.0 : declared.propellants.front().mass;
}

double VesselRecord::Mass() const {
  double mass = declared.empty_mass;
  for (const Propellant& p : declared.propellants) mass += p.mass;
  return mass;
}

const ThrusterGroup* VesselRecord::Group(THGROUP_TYPE type) const {
  for (const ThrusterGroup& g : declared.groups)
    if (g.type == type) return &g;
  return nullptr;
}

const Thruster* VesselRecord::GroupMember(THGROUP_TYPE type) const {
  const ThrusterGroup* g = Group(type);
  if (g == nullptr || g->members.empty() || g->members.front() >= declared.thrusters.size())
    return nullptr;
  return &declared.thrusters[g->members.front()];
}

Thruster* VesselRecord::GroupMember(THGROUP_TYPE type) {
  return const_cast<Thruster*>(static_cast<const VesselRecord&>(*this).GroupMember(type));
}

}  // namespace vsim
