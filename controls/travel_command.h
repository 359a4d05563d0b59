// The command that a switch or key gives a travel: 1 drives it towards 1,
// 2 back towards 0. A position of exactly one half counts as the lower half.
#pragma once

constexpr double kTravelHalfway = 0.5;

constexpr int TravelCommandFor(double pos) { return pos > kTravelHalfway ? 2 : 1; }
