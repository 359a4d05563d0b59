// Flat ground at altitude 0 and the landing plane through a vessel's three
// touchdown points: while a point touches, a stiff, damped constraint
// holds the plane on the ground, a spring and damper along its normal
// carry the load, and the load shared out by statics bounds the friction.
#pragma once

#include <string>

#include "sim/physics/attitude.h"

namespace vsim {

// How far the contacts give under the vessel's weight: their stiffness
// follows the mass, so every vessel rests this much into its plane.
constexpr double kContactCompression_m = 0.01;
// The time in which the constraint takes out a tilt of the plane.
constexpr double kLevellingTime_s = 0.05;

struct LandingPlane {
  Vec points[3];
  Vec normal;     // vessel frame, towards the vessel's origin
  double height;  // of the origin above the plane
  // Static share of the normal load at each point: the barycentric
  // coordinates of the centre's foot on the plane, negatives clipped.
  double share[3];
  // When the centre's foot lies outside the triangle: how far, and
  // beyond the edge between which two points.
  double outside_m = 0;
  int outside_edge[2] = {-1, -1};
};

LandingPlane PlaneOf(const Declared& declared);

// The altitude at which a level vessel rests.
inline double RestHeight(const LandingPlane& plane) { return plane.height - kContactCompression_m; }

// The largest moment about the plane's normal the friction can give per
// newton of normal load.
double FrictionArm(const LandingPlane& plane, double mu_lng, double mu_lat);

// A speed slowed by friction that can stop it within the step, never
// reverse it: the static regime, in which a parked vessel stays put.
inline double Rub(double speed, double slowing) {
  return std::abs(speed) <= slowing ? 0.0 : speed - std::copysign(slowing, speed);
}

// What the host says once when the centre of mass lies outside the
// triangle; empty when it lies inside.
std::string OutsideNotice(const LandingPlane& plane);

}  // namespace vsim
