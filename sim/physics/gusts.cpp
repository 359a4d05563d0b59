#include "sim/physics/gusts.h"

#include <cmath>

namespace vsim {

namespace {
const double kSqrt3 = std::sqrt(3.0);
}

Gusts::Gusts(double rms, std::uint64_t seed) : rms_(rms), state_(seed) {
  // Started in the steady state: each direction at a draw of its spread.
  east_ = rms_ * Uniform();
  north_ = rms_ * Uniform();
}

// SplitMix64: a well-mixed sequence from any seed, zero included; its top
// 53 bits as a fraction in [0, 1), then spread to unit variance.
double Gusts::Uniform() {
  state_ += 0x9e3779b97f4a7c15ull;
  std::uint64_t z = state_;
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  z ^= z >> 31;
  const double fraction = static_cast<double>(z >> 11) * 0x1p-53;
  return (2 * fraction - 1) * kSqrt3;
}

Vec Gusts::Step(double h) {
  if (!(rms_ > 0) || !(h > 0)) return Now();
  const double a = kTimeConstant_s / (kTimeConstant_s + h);
  const double spread = rms_ * std::sqrt(1 - a * a);
  east_ = a * east_ + spread * Uniform();
  north_ = a * north_ + spread * Uniform();
  return Now();
}

}  // namespace vsim
