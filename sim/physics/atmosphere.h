// The International Standard Atmosphere to 86 km, vacuum above.
#pragma once

namespace vsim {

struct Air {
  double density = 0;         // kg/m^3
  double pressure = 0;        // Pa
  double temperature = 0;     // K
  double speed_of_sound = 0;  // m/s
  double viscosity = 0;       // dynamic, kg/(m s)
};

constexpr double kSeaLevelDensity = 1.225;  // kg/m^3

// Air at a geometric altitude (m); below 0 the sea-level air.
Air AirAt(double altitude);

}  // namespace vsim
