#include "sim/validate/flying_world.h"

#include <algorithm>
#include <cmath>

namespace vsim::validate {

namespace {

constexpr double kGravity = 9.81;

}  // namespace

FlyingWorld::FlyingWorld(const Target& target)
    : world(target), physics(PhysicsConstants{kGravity}), holds(kGravity) {
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

void FlyingWorld::Fly(double seconds) {
  const long long steps = std::llround(seconds / Dt());
  for (long long i = 0; i < steps; ++i) {
    holds.Apply(world.host, Dt() * world.host.TimeAcceleration());
    if (check_states) {
      world.Step();
      continue;
    }
    world.host.Step();
    world.Verify();
    for (const auto& v : world.host.Vessels())
      for (const Animation& a : v->declared.animations)
        highest_state = std::max(highest_state, a.state);
  }
}

}  // namespace vsim::validate
