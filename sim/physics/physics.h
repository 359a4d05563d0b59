// The substitute host's own flight physics: flat ground, exponential
// atmosphere, thrust, drag, airfoils, contact points with friction, and yaw
// from added forces; pitch and bank are held level.
#pragma once

#include <string>
#include <vector>

#include "sim/core/integrator.h"

namespace vsim {

struct Frame;

// A model of the world that can also place a vessel in it.
class Physics : public Integrator {
public:
  // Puts a vessel at a height above its contact points, or on them, with no
  // vertical speed.
  virtual void PlaceAt(VesselRecord& vessel, double altitude) = 0;
  virtual void SetForwardSpeed(VesselRecord& vessel, double speed) = 0;
  virtual void SetHeading(VesselRecord& vessel, double heading) = 0;
};

struct PhysicsConstants {
  double gravity = 9.81;              // m/s^2
  double sea_level_density = 1.225;   // kg/m^3
  double scale_height = 8500.0;       // m
  double speed_of_sound = 340.0;      // m/s, for the airfoils' Mach number
  double air_viscosity = 1.8e-5;      // kg/(m s), for their Reynolds number
  double default_friction_lng = 0.1;  // until the vessel sets its own
  double default_friction_lat = 0.5;
  double yaw_damping_air = 0.5;     // 1/s
  double yaw_damping_ground = 4.0;  // 1/s
};

class SimplePhysics final : public Physics {
public:
  explicit SimplePhysics(PhysicsConstants constants = {}) : c_(constants) {}
  void Integrate(const std::vector<std::unique_ptr<VesselRecord>>& vessels, double dt) override;
  void Placed(VesselRecord& vessel) override;
  void PlaceAt(VesselRecord& vessel, double altitude) override;
  void SetForwardSpeed(VesselRecord& vessel, double speed) override;
  void SetHeading(VesselRecord& vessel, double heading) override;

  double Density(double altitude) const;
  // Altitude at which the vessel rests on its lowest contact point.
  static double RestHeight(const VesselRecord& vessel);
  // Derives the readings the module queries from the flight state.
  static void UpdateReadings(VesselRecord& vessel);

  // Vessels whose state a step made non-finite since the last call, each
  // named once a run: their last good state was put back.
  std::vector<std::string> TakeRejected() { return std::move(rejected_); }

private:
  struct Loads;
  static void UpdateReadings(VesselRecord& vessel, const Frame& frame, double rest);
  void Advance(VesselRecord& vessel, double dt);
  void GuardedAdvance(VesselRecord& vessel, double dt);
  static bool StateFinite(const VesselRecord& vessel);
  // Keeps the state as the last good one if it is finite; Keep, known finite.
  static void Remember(VesselRecord& vessel);
  static void Keep(VesselRecord& vessel);
  static void Restore(VesselRecord& vessel, bool undo_step);
  Loads DrivingLoads(VesselRecord& vessel, VECTOR3 airspeed, double rho, double dt) const;

  PhysicsConstants c_;
  std::vector<std::string> rejected_;
};

}  // namespace vsim
