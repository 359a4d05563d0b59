// flight.svg: every vessel's flight against time, with the run's events as
// labelled lines, drawn as plain SVG.
#pragma once

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "sim/files/atomic_file.h"
#include "sim/files/file_system.h"
#include "sim/outputs/extremes.h"
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

// One vessel's samples; NaN where it did not exist.
struct VesselSeries {
  std::string name;
  std::vector<double> altitude, airspeed, heading_deg, vertical_speed, main_level, hover_level,
      engine_frequency, pitch_deg, bank_deg, pitch_rate_dps, yaw_rate_dps, bank_rate_dps, rudder,
      time_acceleration;
  // One per layout animation: the state plus the whole turns it made, so
  // that a state that wraps round keeps its advance however thinly sampled.
  std::vector<std::vector<double>> animations;
  struct Turning {
    double last = NAN;  // the state at the step before
    double turns = 0;
  };
  std::vector<Turning> turning;
  std::vector<bool> wraps;  // an animation whose state wrapped round
  // Per series, in the order of the fields above: the interval being
  // gathered once the record is reduced.
  std::vector<Gathering> gathering;
};

// Every series holds one sample per step, from the first step on, until the
// samples of all vessels fill max_values; then the record is reduced (see
// extremes.h): each pair of samples an interval of steps, its lowest and
// highest value, the interval doubling as often as the record fills again.
// A long run's plot so needs bounded memory and keeps its spikes.
struct PlotData {
  static constexpr std::size_t kMaxPlotValues = std::size_t{1} << 15;
  static constexpr std::size_t kMinSamples = 2048;

  PlotLayout layout;
  std::vector<double> time;
  std::vector<VesselSeries> vessels;
  std::vector<FlightEvent> events;
  bool sound_seen = false;  // some vessel had a sound identifier
  std::size_t max_values = kMaxPlotValues;
  std::size_t min_samples = kMinSamples;
  long long steps = 0;
  long long interval = 2;  // steps per pair of samples; 2: every step kept

  bool Reduced() const { return interval > 2; }
  void Sample(const Host& host, int engine_slot);
  // The interval gathered so far joins the record: before it is drawn.
  void Finish();

private:
  void Reduce();
  void PutGathered();
  // Samples a series holds at most before the record is first reduced.
  std::size_t Room() const;
  Gathering time_gathering_;
  long long gathered_ = 0;
};

std::string PlotText(const PlotData& data, const std::string& title);

class SvgPlot final : public RunObserver {
public:
  SvgPlot(FileSystem& files, std::string path, std::string title, PlotLayout layout,
          int engine_slot)
      : path_(std::move(path)),
        title_(std::move(title)),
        engine_slot_(engine_slot),
        file_(std::make_unique<AtomicFile>(files, path_)) {
    data_.layout = std::move(layout);
  }
  void StepDone(const Host& host) override { data_.Sample(host, engine_slot_); }
  void EventHappened(const FlightEvent& event) override { data_.events.push_back(event); }
  void RunEnded(Host&, bool completed) override;
  void Publish() override;
  void Discard() override { file_.reset(); }

private:
  std::string path_;
  std::string title_;
  int engine_slot_;
  PlotData data_;
  // Opened before the flight, so that a plot that cannot be written fails
  // the run before it flies.
  std::unique_ptr<AtomicFile> file_;
};

}  // namespace vsim
