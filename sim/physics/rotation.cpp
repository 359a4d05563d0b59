#include "sim/physics/rotation.h"

#include <Eigen/LU>  // the inverse of a 3 x 3 matrix
#include <cmath>

namespace vsim {

namespace {

constexpr int kMaxNewtonIterations = 12;
constexpr double kNewtonTolerance = 1e-9;  // relative to the rates
constexpr int kMaxSubsteps = 64;

// The Jacobian of the midpoint residual in w1,
//   I + h/2 (D I + [wm]x I - [I wm]x),
// written out: the cross-product matrices are mostly zeros, and a dense
// product of them costs more than the whole rest of an iteration.
Eigen::Matrix3d Jacobian(const Vec& inertia, const Vec& damping_moment, const Vec& wm,
                         const Vec& iw, double dt) {
  const double h = dt / 2;
  Eigen::Matrix3d j;
  j(0, 0) = inertia.x() + h * damping_moment.x();
  j(1, 1) = inertia.y() + h * damping_moment.y();
  j(2, 2) = inertia.z() + h * damping_moment.z();
  j(0, 1) = h * (iw.z() - wm.z() * inertia.y());
  j(0, 2) = h * (wm.y() * inertia.z() - iw.y());
  j(1, 0) = h * (wm.z() * inertia.x() - iw.z());
  j(1, 2) = h * (iw.x() - wm.x() * inertia.z());
  j(2, 0) = h * (iw.y() - wm.y() * inertia.x());
  j(2, 1) = h * (wm.x() * inertia.y() - iw.x());
  return j;
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
    const Eigen::Matrix3d jacobian = Jacobian(inertia, damping_moment, wm, iw, dt);
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
