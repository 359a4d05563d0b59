// Vectors, attitudes and Euler angles of the physics, over Eigen.
//
// Both frames are left-handed: the vessel's x right, y up, z forward, the
// world's x east, y up, z north. A rotation between them is proper, so the
// usual component formulas hold: every cross product is
// (a x b)_x = a_y b_z - a_z b_y and so on, and a positive rate about an
// axis turns by the left-hand rule (a positive rate about y turns the nose
// right, about z lifts the right wing, about x lowers the nose).
#pragma once

#include <Eigen/Geometry>

#include "sim/core/vessel_record.h"

namespace vsim {

using Vec = Eigen::Vector3d;

inline Vec ToEigen(VECTOR3 v) { return {v.x, v.y, v.z}; }
inline VECTOR3 ToHost(const Vec& v) { return {v.x(), v.y(), v.z()}; }
inline Eigen::Quaterniond ToEigen(Quaternion q) { return {q.w, q.x, q.y, q.z}; }
inline Quaternion ToHost(const Eigen::Quaterniond& q) { return {q.w(), q.x(), q.y(), q.z()}; }

// Heading (0 north, pi/2 east, 0..2 pi), then pitch (nose up positive,
// -pi/2..pi/2), then bank (right wing up positive, -pi..pi).
struct Euler {
  double heading = 0, pitch = 0, bank = 0;
};

Eigen::Quaterniond FromEuler(const Euler& angles);
Euler ToEuler(const Eigen::Quaterniond& attitude);

// An angle in [0, 2 pi); one already there is kept exactly.
double WrapAngle(double angle);

// The rotation by the Cayley map of a rotation vector (its angle
// 2 atan(|v| / 2)): the step of the attitude that keeps the world's angular
// momentum of the implicit-midpoint rates exactly, bounded below half a
// turn however fast the vessel spins.
Eigen::Quaterniond Cayley(const Vec& rotation);

}  // namespace vsim
