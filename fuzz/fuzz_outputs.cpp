// Any text as vessel names, animation labels, limit labels, events and the
// script's name, and any doubles as samples: the plot parses as XML and
// every row of the log has the header's fields.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "fuzz/scratch.h"
#include "fuzz/well_formed.h"
#include "sim/core/host.h"
#include "sim/core/module_library.h"
#include "sim/outputs/csv_log.h"
#include "sim/outputs/svg_plot.h"

namespace {

using vsim::fuzz::FuzzInput;
using vsim::fuzz::Require;

constexpr std::size_t kMaxText = 40;
constexpr std::size_t kMaxVessels = 3;
constexpr std::size_t kMaxSamples = 40;
constexpr std::size_t kMaxSeries = 3;

void FillPlot(FuzzInput& in, vsim::PlotData& data) {
  const std::size_t animations = in.Below(kMaxSeries + 1);
  for (std::size_t i = 0; i < animations; ++i)
    data.layout.animations.push_back({static_cast<UINT>(in.Byte()), in.Text(kMaxText)});
  const std::size_t limits = in.Below(kMaxSeries + 1);
  for (std::size_t i = 0; i < limits; ++i) {
    const bool altitude = in.Byte() % 2 == 0;
    const double value = in.Double();
    data.layout.limits.push_back({altitude, value, in.Text(kMaxText)});
  }
  const std::size_t samples = in.Below(kMaxSamples + 1);
  for (std::size_t i = 0; i < samples; ++i) data.time.push_back(in.Double());
  const std::size_t vessels = in.Below(kMaxVessels + 1);
  for (std::size_t v = 0; v < vessels; ++v) {
    vsim::VesselSeries s;
    s.name = in.Text(kMaxText);
    for (auto* series : {&s.altitude, &s.airspeed, &s.heading_deg, &s.vertical_speed, &s.main_level,
                         &s.hover_level, &s.engine_frequency})
      for (std::size_t i = 0; i < samples; ++i) series->push_back(in.Double());
    s.animations.resize(animations);
    for (auto& a : s.animations)
      for (std::size_t i = 0; i < samples; ++i) a.push_back(in.Double());
    data.vessels.push_back(std::move(s));
  }
  const std::size_t events = in.Below(kMaxSeries + 1);
  for (std::size_t i = 0; i < events; ++i) {
    const int step = static_cast<int>(in.Byte());
    const double time = in.Double();
    data.events.push_back({step, time, in.Text(kMaxText)});
  }
  data.sound_seen = in.Byte() % 2 == 0;
}

void CheckPlot(FuzzInput& in) {
  vsim::PlotData data;
  const std::string title = in.Text(kMaxText);
  FillPlot(in, data);
  const std::string problem = vsim::fuzz::XmlProblem(vsim::PlotText(data, title));
  Require(problem.empty(), "the plot is not well-formed XML: " + problem);
}

vsim::Host& LoadedHost() {
  static vsim::Host* host = [] {
    auto* h = new vsim::Host;
    h->journal().enabled = false;
    h->LoadModule(FUZZ_MODULE);
    return h;
  }();
  return *host;
}

void CheckLog(FuzzInput& in) {
  vsim::Host& host = LoadedHost();
  vsim::LogOptions options;
  options.out_dir = (vsim::fuzz::Scratch("outputs") / "out").string();
  const std::size_t animations = in.Below(kMaxSeries + 1);
  for (std::size_t i = 0; i < animations; ++i) options.animation_names.push_back(in.Text(kMaxText));
  std::vector<std::string> names;
  {
    vsim::CsvLog log(vsim::SystemFiles(), options);
    const std::size_t vessels = 1 + in.Below(kMaxVessels);
    for (std::size_t v = 0; v < vessels; ++v) {
      const std::string name = in.Text(kMaxText);
      try {
        log.VesselCreated(host, host.CreateVessel(name));
        names.push_back(name);
      } catch (const vsim::HostError&) {
        // A name given twice: the vessel is not made.
      }
    }
    const std::size_t steps = in.Below(kMaxSeries + 1);
    for (std::size_t i = 0; i < steps; ++i) {
      host.Step();
      log.StepDone(host);
    }
    log.RunEnded(host, true);
    log.Publish();
  }
  for (const std::string& name : names) host.DestroyVessel(name);
  const std::filesystem::path csv = std::filesystem::path(options.out_dir) / "flight.csv";
  const std::string problem = vsim::fuzz::CsvProblem(vsim::fuzz::Slurp(csv));
  Require(problem.empty(), "the log is not well-formed CSV: " + problem);
  std::filesystem::remove(csv);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  if (in.Byte() % 2 == 0)
    CheckPlot(in);
  else
    CheckLog(in);
  return 0;
}
