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

std::uint32_t Declared::AddGroup(ThrusterGroup group) {
  const auto index = static_cast<std::uint32_t>(groups.size());
  const auto type = static_cast<std::size_t>(group.type);
  if (type < kIndexedGroupTypes && first_group_[type] == kNoGroup)
    first_group_[type] = index < kBeyondIndex ? static_cast<std::uint8_t>(index) : kBeyondIndex;
  groups.push_back(std::move(group));
  return index;
}

const ThrusterGroup* Declared::SearchGroup(THGROUP_TYPE type) const {
  for (const ThrusterGroup& g : groups)
    if (g.type == type) return &g;
  return nullptr;
}

}  // namespace vsim
