// Euler's equations of a rigid body in its principal axes,
//   I dw/dt = M - D I w - w x (I w),
// stepped by the implicit midpoint rule, which keeps the rotational energy
// and the angular momentum (quadratic in the rates) exactly when M and D
// are zero.
#pragma once

#include <Eigen/Geometry>
#include <optional>

#include "sim/physics/attitude.h"

namespace vsim {

struct RotationStep {
  Vec rates;                // at the end of the step
  Eigen::Quaterniond turn;  // vessel frame at the start to that at the end
};

// inertia: principal moments (kg m^2); damping: per axis (1/s); moment held
// over the step. A step the midpoint equations cannot be solved for even
// in the largest number of substeps gives nothing.
std::optional<RotationStep> StepRotation(const Vec& inertia, const Vec& damping, const Vec& moment,
                                         const Vec& rates, double dt);

}  // namespace vsim
