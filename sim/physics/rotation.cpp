#include "sim/physics/rotation.h"

#include <Eigen/LU>  // the inverse of a 3 x 3 matrix
#include <cmath>

namespace vsim {

namespace {

constexpr int kMaxNewtonIterations = 12;
constexpr double kNewtonTolerance = 1e-9;  // relative to the rates
constexpr int kMaxSubsteps = 64;

Eigen::Matrix3d Cross(const Vec& a) {
  Eigen::Matrix3d m;
  m << 0, -a.z(), a.y(), a.z(), 0, -a.x(), -a.y(), a.x(), 0;
  return m;
}

// Newton's method on the midpoint equations, from the explicit guess.
std::optional<Vec> Midpoint(const Vec& inertia, const Vec& damping, const Vec& moment,
                            const Vec& w0, double dt) {
  const Vec damping_moment = damping.cwiseProduct(inertia);
  Vec w1 = w0 + dt * (moment - damping_moment.cwiseProduct(w0) - w0.cross(inertia.cwiseProduct(w0)))
                         .cwiseQuotient(inertia);
  for (int i = 0; i < kMaxNewtonIterations; ++i) {
    const Vec wm = (w0 + w1) / 2;
    const Vec iw = inertia.cwiseProduct(wm);
    const Vec residual = inertia.cwiseProduct(w1 - w0) -
                         dt * (moment - damping_moment.cwiseProduct(wm) - wm.cross(iw));
    const Eigen::Matrix3d jacobian =
        Eigen::Matrix3d(inertia.asDiagonal()) +
        dt / 2 *
            (Eigen::Matrix3d(damping_moment.asDiagonal()) +
             Cross(wm) * Eigen::Matrix3d(inertia.asDiagonal()) - Cross(iw));
    const Vec change = jacobian.inverse() * residual;
    w1 -= change;
    if (!w1.allFinite()) return std::nullopt;
    // Newton's error squares each iteration: a change this small leaves one
    // far below the rounding of the rates.
    if (change.norm() <= kNewtonTolerance * (w1.norm() + w0.norm())) return w1;
  }
  return std::nullopt;
}

}  // namespace

std::optional<RotationStep> StepRotation(const Vec& inertia, const Vec& damping, const Vec& moment,
                                         const Vec& rates, double dt) {
  for (int substeps = 1; substeps <= kMaxSubsteps; substeps *= 2) {
    const double h = dt / substeps;
    RotationStep step{rates, Eigen::Quaterniond::Identity()};
    bool solved = true;
    for (int i = 0; i < substeps && solved; ++i) {
      const std::optional<Vec> w1 = Midpoint(inertia, damping, moment, step.rates, h);
      solved = w1.has_value();
      if (!solved) break;
      step.turn = step.turn * Cayley(h * (step.rates + *w1) / 2);
      step.rates = *w1;
    }
    if (solved) {
      step.turn.normalize();
      return step;
    }
  }
  return std::nullopt;
}

}  // namespace vsim
