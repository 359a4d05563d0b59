// Helpers shared by the display stages of the flight step.
#pragma once

#include <cmath>

// Display clamp: above the top gives the top, else below the bottom gives
// the bottom. A NaN also gives the bottom, so every state stays in range.
inline double ClampDisplay(double x, double lo, double hi) {
  if (x > hi) return hi;
  if (x < lo) return lo;
  if (std::isnan(x)) return lo;
  return x;
}

// The time-acceleration factor by which a per-step increment is scaled. A
// factor that is not finite or not positive advances nothing: no travel
// runs backwards.
inline double IncrementScale(double time_acceleration) {
  return std::isfinite(time_acceleration) && time_acceleration > 0 ? time_acceleration : 0.0;
}
