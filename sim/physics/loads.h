// The forces and moments on a vessel, each from its source at its point of
// application, in the vessel frame about the centre of mass (the origin).
#pragma once

#include "sim/physics/atmosphere.h"
#include "sim/physics/attitude.h"

namespace vsim {

struct Wrench {
  Vec force = Vec::Zero();
  Vec moment = Vec::Zero();
  void Add(const Vec& point, const Vec& f) {
    force += f;
    moment += point.cross(f);
  }
};

// Every thruster with propellant at its level and current maximum, along
// its current direction; burns thrust / specific impulse from its resource.
void AddThrust(VesselRecord& vessel, double dt, Wrench& loads);

// The forces the module added for this step.
void AddForces(const Declared& declared, Wrench& loads);

// The airfoils' lift and moments and the moments of every drag along the
// flow, each from the flow at its own point (the rotation included). The
// drag forces themselves act through the implicit drag step, as
// drag_area: force along the flow per dynamic pressure at the centre.
struct AirLoads {
  Wrench wrench;
  double drag_area = 0;  // m^2
};
AirLoads Aerodynamics(const Declared& declared, const Vec& airspeed, const Vec& rates,
                      const Air& air);

}  // namespace vsim
