// flight.html: one self-contained page of the flight, with linked charts,
// the tracks, the cockpit's needles and a time slider. It keeps every
// vessel's readings and animation states per step (thinned on long runs)
// and what the module declared about its animation components.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sim/files/atomic_file.h"
#include "sim/files/file_system.h"
#include "sim/outputs/extremes.h"
#include "sim/outputs/observer.h"
#include "sim/outputs/svg_plot.h"

namespace vsim {

struct PageComponent {
  UINT animation = 0;
  double from = 0, to = 1;
  bool rotates = false;  // else it translates
  VECTOR3 axis{};        // rotation axis, or the shift of a translation
  double angle = 0;      // rad, at the component's full state
};

struct Touchdown {
  int step = 0;
  double time = 0;
  double vspeed = 0;  // m/s, up positive
  double speed = 0;
  bool crash = false;
};

// One vessel's record: one entry per kept sample in every series.
struct PageVessel {
  std::string name;
  std::vector<PageComponent> components;
  std::size_t component_count = 0;  // as declared when they were read
  std::vector<int> step;
  std::vector<double> time;
  // Named series, in the order of kPageSeries.
  std::vector<std::vector<double>> series;
  std::vector<std::vector<double>> animations;  // per animation
  std::vector<unsigned> beacons;                // bit N: beacon N is on
  std::vector<Touchdown> touchdowns;
  bool on_plane = true;
  long long seen = 0;  // steps since it appeared
  // Steps per pair of samples (see extremes.h); 2: every step kept. Once
  // reduced, the interval being gathered: step, time, beacons, the series,
  // the animations.
  long long interval = 2;
  std::vector<Gathering> gathering;
  long long gathered = 0;
};

// Every step is kept until the values of all vessels fill max_values; then
// each vessel's record is reduced as the plot's is, keeping the extremes of
// each interval.
struct PageData {
  static constexpr std::size_t kMaxValues = std::size_t{1} << 20;

  std::string title;
  std::string focus;
  std::vector<std::string> animation_names;
  PlotLayout layout;
  std::vector<FlightEvent> events;
  std::vector<PageVessel> vessels;
  long long stride = 1;  // steps per sample, on average
  std::size_t max_values = kMaxValues;

  void Sample(const Host& host);
  void SampleVessel(const Host& host, const VesselRecord& vessel);
  // The intervals gathered so far join the records: before they are written.
  void Finish();
};

// The page's data as JSON, and the whole page around it.
std::string PageJson(const PageData& data);
std::string PageText(const PageData& data);

class FlightPage final : public RunObserver {
public:
  FlightPage(FileSystem& files, std::string path, std::string title,
             std::vector<std::string> animation_names, PlotLayout layout);
  // The state after creation, then after every step.
  void VesselCreated(const Host& host, const VesselRecord& v) override {
    data_.SampleVessel(host, v);
  }
  void StepDone(const Host& host) override { data_.Sample(host); }
  void EventHappened(const FlightEvent& event) override { data_.events.push_back(event); }
  void RunEnded(Host& host, bool completed) override;
  void Publish() override;
  void Discard() override { file_.reset(); }

private:
  PageData data_;
  std::unique_ptr<AtomicFile> file_;
};

}  // namespace vsim
