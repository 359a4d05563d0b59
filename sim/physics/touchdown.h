// How a touchdown is judged: by its vertical speed and its bank.
#pragma once

#include <cmath>

#include "host/host_api.h"
#include "sim/core/vessel_record.h"

namespace vsim {

constexpr double kHardLanding_mps = 3;  // sinking faster: a hard landing
constexpr double kCrash_mps = 6;        // sinking faster: a crash
constexpr double kCrashBank_rad = 30 * RAD;

inline bool HardLanding(const Landing& l) { return -l.vspeed > kHardLanding_mps; }
inline bool Crash(const Landing& l) {
  return -l.vspeed > kCrash_mps || std::abs(l.bank) > kCrashBank_rad;
}

}  // namespace vsim
