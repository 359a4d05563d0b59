// flight.svg: the focus vessel's flight against time, drawn as plain SVG.
#pragma once

#include <string>
#include <vector>

#include "sim/host.h"

namespace vsim {

struct PlotData {
  struct AnimationSeries {
    UINT index;
    std::string label;
  };
  struct Limit {
    std::string quantity;  // "altitude" or "airspeed"
    double value;
    std::string label;
  };
  std::vector<AnimationSeries> animations;
  std::vector<Limit> limits;

  std::vector<double> time, altitude, airspeed, main_level, hover_level, engine_frequency;
  std::vector<std::vector<double>> animation_states;

  void Sample(Host& host, const VesselRecord& focus);
};

// Throws HostError when the file cannot be written.
void WritePlot(const std::string& path, const PlotData& data, const std::string& title);

}  // namespace vsim
