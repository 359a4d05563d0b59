#include "sim/physics/atmosphere.h"

#include <cmath>
#include <iterator>

namespace vsim {

namespace {

constexpr double kEarthRadius_m = 6356766;  // for geopotential altitude
constexpr double kG0 = 9.80665;             // m/s^2
constexpr double kGasConstant = 287.05287;  // J/(kg K), dry air
constexpr double kHeatRatio = 1.4;
constexpr double kSutherlandBeta = 1.458e-6;  // kg/(m s K^0.5)
constexpr double kSutherlandS = 110.4;        // K

struct Layer {
  double base_m;  // geopotential altitude
  double lapse_K_per_m;
};

// The seven layers, with their lapse rates.
constexpr Layer kLayers[] = {
    {0, -0.0065}, {11000, 0},       {20000, 0.001},  {32000, 0.0028},
    {47000, 0},   {51000, -0.0028}, {71000, -0.002},
};
constexpr double kTop_m = 84852;  // geopotential, 86 km geometric
constexpr double kSeaLevelTemperature = 288.15;
constexpr double kSeaLevelPressure = 101325;

struct Base {
  double temperature, pressure;
};

// Temperature and pressure at the layer's base and its top.
Base Across(const Layer& layer, Base at, double height) {
  if (layer.lapse_K_per_m == 0)
    return {at.temperature,
            at.pressure * std::exp(-kG0 * height / (kGasConstant * at.temperature))};
  const double t = at.temperature + layer.lapse_K_per_m * height;
  return {t,
          at.pressure * std::pow(at.temperature / t, kG0 / (kGasConstant * layer.lapse_K_per_m))};
}

// The temperature and pressure at every layer's base, worked out once.
struct Bases {
  Base at[std::size(kLayers)];
  Bases() {
    at[0] = {kSeaLevelTemperature, kSeaLevelPressure};
    for (std::size_t i = 1; i < std::size(kLayers); ++i)
      at[i] = Across(kLayers[i - 1], at[i - 1], kLayers[i].base_m - kLayers[i - 1].base_m);
  }
};

}  // namespace

Air AirAt(double altitude) {
  static const Bases bases;
  const double geometric = std::max(altitude, 0.0);
  const double h = kEarthRadius_m * geometric / (kEarthRadius_m + geometric);
  if (!(h < kTop_m)) return {};
  std::size_t i = 0;
  while (i + 1 < std::size(kLayers) && h >= kLayers[i + 1].base_m) ++i;
  const Base at = Across(kLayers[i], bases.at[i], h - kLayers[i].base_m);
  Air air;
  air.temperature = at.temperature;
  air.pressure = at.pressure;
  air.density = at.pressure / (kGasConstant * at.temperature);
  air.speed_of_sound = std::sqrt(kHeatRatio * kGasConstant * at.temperature);
  // T^1.5 as T sqrt(T): a square root costs a fraction of a general power.
  air.viscosity = kSutherlandBeta * at.temperature * std::sqrt(at.temperature) /
                  (at.temperature + kSutherlandS);
  return air;
}

}  // namespace vsim
