// Gusts over the mean wind: in each horizontal direction of the world (east
// and north) a first-order filtered noise,
//   g[n+1] = a g[n] + s sqrt(1 - a^2) u[n],  a = T / (T + h),
// with u[n] uniform on [-sqrt 3, sqrt 3] (zero mean, unit variance), whose
// root mean square is s at every step and whose correlation falls as a^n,
// about exp(-t / T). Drawn from a generator of its own, with no library
// distribution and nothing but exactly rounded operations, so that a seed
// gives the same gusts on every platform.
#pragma once

#include <cstdint>

#include "sim/physics/attitude.h"

namespace vsim {

class Gusts {
public:
  static constexpr double kTimeConstant_s = 2.0;

  Gusts() = default;
  // rms in m/s per direction; none when zero.
  Gusts(double rms, std::uint64_t seed);
  // The gust after h more seconds (world frame, m/s).
  Vec Step(double h);
  Vec Now() const { return {east_, 0, north_}; }
  bool Blowing() const { return rms_ > 0; }

private:
  double Uniform();

  double rms_ = 0;
  std::uint64_t state_ = 0;
  double east_ = 0, north_ = 0;
};

}  // namespace vsim
