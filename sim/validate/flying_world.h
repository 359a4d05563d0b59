// A world that flies its vessels with the host's rigid-body physics and
// holds, for the checks of how a vessel stands, hovers and turns.
#pragma once

#include <string>
#include <vector>

#include "sim/flight/autopilot.h"
#include "sim/physics/rigid_body.h"
#include "sim/validate/world.h"

namespace vsim::validate {

class FlyingWorld {
public:
  // What it records goes into `flights`, if given.
  explicit FlyingWorld(const Target& target, std::vector<Flown>* flights = nullptr);
  ~FlyingWorld() { world.host.SetIntegrator(nullptr); }
  FlyingWorld(const FlyingWorld&) = delete;
  FlyingWorld& operator=(const FlyingWorld&) = delete;

  VesselRecord& Create(const std::string& name) { return world.Create(name); }
  void Hold(VesselRecord& vessel, Autopilot hold, double target = 0);
  // Fires a group at a level, as the pilot does; false if the vessel has none.
  bool Fire(VesselRecord& vessel, THGROUP_TYPE group, double level);
  // Flies for this long (simulated seconds); a fault, or an animation state
  // outside 0..1 where states are checked, throws Broken.
  void Fly(double seconds);
  // Animation states are noted rather than checked: what a check reports
  // of a display the module drives by design past its end.
  bool check_states = true;
  double highest_state = 0;
  double Dt() const { return world.host.BaseStep(); }
  // Keeps what this vessel flies from now on, for about this long, as a
  // flight of the check's report.
  void Record(const VesselRecord& vessel, std::string title, double seconds);

  World world;
  RigidBodyPhysics physics;
  Autopilots holds;

private:
  void Sample();
  std::vector<Flown>* flights_;
  std::size_t flight_ = 0;  // the one being recorded
  const VesselRecord* recorded_ = nullptr;
  long long every_ = 1;  // steps between samples
  long long steps_ = 0;  // since recording began
};

}  // namespace vsim::validate
