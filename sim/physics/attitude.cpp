#include "sim/physics/attitude.h"

#include <algorithm>
#include <cmath>

#include "host/host_api.h"

namespace vsim {

namespace {
constexpr double kTwoPi = 2 * PI;
}

Eigen::Quaterniond FromEuler(const Euler& a) {
  using Eigen::AngleAxisd;
  return Eigen::Quaterniond(AngleAxisd(a.heading, Vec::UnitY()) *
                            AngleAxisd(-a.pitch, Vec::UnitX()) * AngleAxisd(a.bank, Vec::UnitZ()));
}

Euler ToEuler(const Eigen::Quaterniond& q) {
  const Eigen::Matrix3d r = q.toRotationMatrix();
  const Vec right = r.col(0), up = r.col(1), forward = r.col(2);
  Euler a;
  a.pitch = std::asin(std::clamp(forward.y(), -1.0, 1.0));
  // Straight up or down the heading is that of the vessel's up axis.
  const bool vertical = forward.x() * forward.x() + forward.z() * forward.z() < 1e-24;
  a.heading = WrapAngle(vertical ? std::atan2(-up.x() * forward.y(), -up.z() * forward.y())
                                 : std::atan2(forward.x(), forward.z()));
  a.bank = vertical ? 0.0 : std::atan2(right.y(), up.y());
  return a;
}

double WrapAngle(double angle) {
  if (angle >= 0 && angle < kTwoPi) return angle + 0.0;  // no -0
  const double wrapped = std::fmod(std::fmod(angle, kTwoPi) + kTwoPi, kTwoPi);
  return wrapped < kTwoPi ? wrapped : 0.0;
}

Eigen::Quaterniond Cayley(const Vec& v) {
  Eigen::Quaterniond q(1, v.x() / 2, v.y() / 2, v.z() / 2);
  q.normalize();
  return q;
}

}  // namespace vsim
