// What the benchmarks fly: a substitute host with a module loaded and its
// vessels held in a known state, so that a figure measures one thing.
#pragma once

#include <string>
#include <vector>

#include "sim/core/host.h"
#include "sim/physics/rigid_body.h"
#include "sim/platform/platform.h"

namespace bench {

// Where vessels flown with physics cruise, and how many frames go by
// between putting them back into their band.
constexpr double kCruiseAltitude = 300;  // m
constexpr int kFramesBetweenKeeping = 64;

struct ModuleFiles {
  static const char* Helicopter() { return MODULE_PATH; }
  static const char* Floor() { return FLOOR_PATH; }
  static const char* Empty() { return EMPTY_PATH; }
  static const char* Sound() { return SOUND_PATH; }
};

// Runs in a folder of its own: a module without its sound library writes
// its log into the working directory.
class BenchFolder : public vsim::platform::WorkingFolder {
public:
  BenchFolder() : WorkingFolder("corvane-bench-") {}
};

class BenchHost {
public:
  explicit BenchHost(const char* module, bool physics = false, bool sound = false);
  vsim::VesselRecord& Add(const std::string& name);
  VESSEL2& Callbacks(vsim::VesselRecord& vessel) { return *static_cast<VESSEL2*>(vessel.vessel); }
  vsim::Host& host() { return host_; }
  vsim::RigidBodyPhysics& physics() { return physics_; }

private:
  BenchFolder folder_;
  vsim::RigidBodyPhysics physics_;
  vsim::Host host_;
};

// Both thrusters on, clear of the ground and moving.
void PoweredFlight(vsim::VesselRecord& vessel);
// On its wheels, rolling on the main rotor's thrust.
void Taxiing(vsim::VesselRecord& vessel);
// The calls into the host one vessel of the module makes in a step, placed
// as given (the third step after creation, when nothing is new).
int HostCallsPerStep(const char* module, void (*place)(vsim::VesselRecord&), bool sound);

// Puts a vessel flown with physics back into powered flight when it has
// climbed or sunk out of its band, and tops up its fuel.
void KeepInPoweredFlight(vsim::Physics& physics, vsim::VesselRecord& vessel);

}  // namespace bench
