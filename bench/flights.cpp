#include "bench/flights.h"

namespace bench {

namespace {

constexpr double kLowestAltitude = 150;  // m
constexpr double kHighestAltitude = 450;
constexpr double kCruiseSpeed = 40;  // m/s
constexpr double kTaxiSpeed = 5;
constexpr double kHoverLevel = 0.8;
constexpr double kMainLevel = 0.3;
constexpr double kTaxiMainLevel = 0.2;

void SetLevels(vsim::VesselRecord& vessel, double main, double hover) {
  if (vsim::Thruster* thruster = vessel.GroupMember(THGROUP_MAIN)) thruster->level = main;
  if (vsim::Thruster* thruster = vessel.GroupMember(THGROUP_HOVER)) thruster->level = hover;
}

}  // namespace

BenchHost::BenchHost(const char* module, bool physics, bool sound) {
  host_.journal().enabled = false;
  host_.journal().keep = false;
  if (sound) host_.LoadSoundLibrary(ModuleFiles::Sound());
  host_.LoadModule(module);
  if (physics) host_.SetIntegrator(&physics_);
}

vsim::VesselRecord& BenchHost::Add(const std::string& name) { return host_.CreateVessel(name); }

void PoweredFlight(vsim::VesselRecord& vessel) {
  vessel.readings.ground_contact = false;
  vessel.readings.altitude = kCruiseAltitude;
  vessel.readings.airspeed = kCruiseSpeed;
  vessel.readings.airspeed_vector = {0, 0, kCruiseSpeed};
  SetLevels(vessel, kMainLevel, kHoverLevel);
}

void Taxiing(vsim::VesselRecord& vessel) {
  vessel.readings.ground_contact = true;
  vessel.readings.altitude = 0;
  vessel.readings.airspeed = kTaxiSpeed;
  vessel.readings.airspeed_vector = {0, 0, kTaxiSpeed};
  SetLevels(vessel, kTaxiMainLevel, 0);
}

int HostCallsPerStep(const char* module, void (*place)(vsim::VesselRecord&), bool sound) {
  constexpr int kSteps = 3;
  BenchHost world(module, false, sound);
  vsim::VesselRecord& vessel = world.Add("v");
  place(vessel);
  world.host().journal().enabled = true;
  world.host().journal().keep = true;
  for (int step = 0; step < kSteps; ++step) {
    world.host().journal().Clear();
    world.host().Step();
  }
  int calls = 0;
  for (const vsim::CallEntry& entry : world.host().journal().Entries())
    calls += entry.vessel == "v" && !entry.from_host ? 1 : 0;
  return calls;
}

void KeepInPoweredFlight(vsim::Physics& physics, vsim::VesselRecord& vessel) {
  for (vsim::Propellant& tank : vessel.declared.propellants) tank.mass = tank.max_mass;
  const double altitude = vessel.readings.altitude;
  if (altitude >= kLowestAltitude && altitude <= kHighestAltitude) return;
  physics.PlaceAt(vessel, kCruiseAltitude);
  physics.SetForwardSpeed(vessel, kCruiseSpeed);
  SetLevels(vessel, kMainLevel, kHoverLevel);
}

}  // namespace bench
