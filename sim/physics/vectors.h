// Vector arithmetic of the physics, in the world frame (x east, y up,
// z north) and the vessel frame (x right, y up, z forward).
#pragma once

#include <cmath>

#include "host/host_api.h"

namespace vsim {

constexpr double kTwoPi = 2 * PI;

struct Frame {
  VECTOR3 right, up, forward;  // vessel axes in world coordinates
};

inline Frame FrameOf(double heading) {
  const double s = std::sin(heading), c = std::cos(heading);
  return {{c, 0, -s}, {0, 1, 0}, {s, 0, c}};
}

inline VECTOR3 Add(VECTOR3 a, VECTOR3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline VECTOR3 Scale(VECTOR3 a, double k) { return {a.x * k, a.y * k, a.z * k}; }
inline double Dot(VECTOR3 a, VECTOR3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline double Length(VECTOR3 a) { return std::sqrt(Dot(a, a)); }
inline bool Finite(VECTOR3 a) {
  return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z);
}

inline VECTOR3 ToVessel(const Frame& f, VECTOR3 w) {
  return {Dot(w, f.right), Dot(w, f.up), Dot(w, f.forward)};
}
inline VECTOR3 ToWorld(const Frame& f, VECTOR3 v) {
  return Add(Add(Scale(f.right, v.x), Scale(f.up, v.y)), Scale(f.forward, v.z));
}

// Yaw moment (about the vessel's up axis) of a force applied at a point.
inline double YawMoment(VECTOR3 point, VECTOR3 force) {
  return point.z * force.x - point.x * force.z;
}

}  // namespace vsim
