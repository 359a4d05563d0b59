// The substitute host's own flight physics: flat ground, exponential
// atmosphere, thrust, drag, airfoils, contact points with friction, and yaw
// from added forces; pitch and bank are held level.
#pragma once

#include "sim/host.h"

namespace vsim {

struct PhysicsConstants {
  double gravity = 9.81;              // m/s^2
  double sea_level_density = 1.225;   // kg/m^3
  double scale_height = 8500.0;       // m
  double default_friction_lng = 0.1;  // until the vessel sets its own
  double default_friction_lat = 0.5;
  double yaw_damping_air = 0.5;     // 1/s
  double yaw_damping_ground = 4.0;  // 1/s
};

class SimplePhysics : public Physics {
public:
  explicit SimplePhysics(PhysicsConstants constants = {}) : c_(constants) {}
  void Integrate(const std::vector<std::unique_ptr<VesselRecord>>& vessels, double dt) override;
  void OnCreate(VesselRecord& vessel) override;

  // Puts a vessel at a height above its contact points, or on them, with no
  // vertical speed.
  void PlaceAt(VesselRecord& vessel, double altitude);
  void SetForwardSpeed(VesselRecord& vessel, double speed);
  void SetHeading(VesselRecord& vessel, double heading);

  double Density(double altitude) const;
  // Altitude at which the vessel rests on its lowest contact point.
  static double RestHeight(const VesselRecord& vessel);
  // Derives the readings the module queries from the flight state.
  static void UpdateReadings(VesselRecord& vessel, double ground_tolerance = 1e-6);

private:
  void Advance(VesselRecord& vessel, double dt);

  PhysicsConstants c_;
};

}  // namespace vsim
