// The default flight as vesselsim flies it, with and without the call trace.
#include <benchmark/benchmark.h>

#include <stdexcept>

#include "bench/flights.h"
#include "sim/files/atomic_file.h"
#include "sim/flight/runner.h"
#include "sim/outputs/flight_page.h"
#include "sim/script/parser.h"

namespace bench {
namespace {

constexpr int kEngineSoundSlot = 1;

void BM_DefaultFlight(benchmark::State& state) {
  BenchFolder folder;
  vsim::SetSharedScriptsFolder(SHARED_SCRIPTS_FOLDER);
  const vsim::Script script = vsim::LoadScript(DEFAULT_FLIGHT_PATH);
  vsim::FlightOptions options;
  options.module_path = ModuleFiles::Helicopter();
  options.sound_path = ModuleFiles::Sound();
  options.out_dir = "out";
  options.engine_slot = kEngineSoundSlot;
  if (state.range(0) != 0) options.trace_path = "trace.txt";
  for (auto _ : state) {
    const vsim::FlightResult result = vsim::RunFlight(script, options);
    if (!result.error.empty()) state.SkipWithError(result.error.c_str());
  }
}
BENCHMARK(BM_DefaultFlight)->ArgName("trace")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The flight page of a flight as long as the default one, every step of
// the helicopter in powered flight kept: its data, the page around it and
// the file, as a flight ends.
void BM_PageWrite(benchmark::State& state) {
  BenchFolder folder;
  vsim::SetSharedScriptsFolder(SHARED_SCRIPTS_FOLDER);
  vsim::FlightOptions options;
  options.module_path = ModuleFiles::Helicopter();
  const int steps = vsim::RunFlight(vsim::LoadScript(DEFAULT_FLIGHT_PATH), options).steps;
  BenchHost world(ModuleFiles::Helicopter(), true);
  vsim::VesselRecord& vessel = world.Add("heli");
  PoweredFlight(vessel);
  vsim::PageData data;
  data.title = "default.vsim";
  data.SampleVessel(world.host(), vessel);
  for (int i = 0; i < steps; ++i) {
    world.host().Step();
    KeepInPoweredFlight(world.physics(), vessel);
    data.Sample(world.host());
  }
  data.Finish();
  for (auto _ : state) {
    vsim::AtomicFile file(vsim::SystemFiles(), "flight.html");
    file.Write(vsim::PageText(data));
    file.Publish();
  }
  state.counters["steps"] = steps;
}
BENCHMARK(BM_PageWrite)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace bench
