// flight.svg: the focus vessel's flight against time, drawn as plain SVG.
#pragma once

#include <string>
#include <vector>

#include "sim/files/file_system.h"
#include "sim/outputs/observer.h"

namespace vsim {

struct PlotLayout {
  struct AnimationSeries {
    UINT index;
    std::string label;
  };
  struct Limit {
    bool altitude;  // else airspeed
    double value;
    std::string label;
  };
  std::vector<AnimationSeries> animations;
  std::vector<Limit> limits;
};

// Every series holds one sample per step, from the first step on.
struct PlotData {
  PlotLayout layout;
  std::vector<double> time, altitude, airspeed, main_level, hover_level, engine_frequency;
  std::vector<std::vector<double>> animation_states;

  void Sample(const Host& host, const VesselRecord& focus, int engine_slot);
};

// Throws FileError when the file cannot be written.
void WritePlot(FileSystem& files, const std::string& path, const PlotData& data,
               const std::string& title);

class SvgPlot final : public RunObserver {
public:
  SvgPlot(FileSystem& files, std::string path, std::string title, PlotLayout layout,
          int engine_slot)
      : files_(files), path_(std::move(path)), title_(std::move(title)), engine_slot_(engine_slot) {
    data_.layout = std::move(layout);
  }
  void StepDone(const Host& host) override;
  void RunEnded(Host& host, bool completed) override;

private:
  FileSystem& files_;
  std::string path_;
  std::string title_;
  int engine_slot_;
  PlotData data_;
};

}  // namespace vsim
