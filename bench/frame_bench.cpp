// Frames of many helicopters with physics, each kept in powered flight so
// that the figure does not drift towards vessels parked on the ground.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/flights.h"

namespace bench {
namespace {

void BM_Frame(benchmark::State& state) {
  BenchHost world(ModuleFiles::Helicopter(), true);
  const auto count = static_cast<int>(state.range(0));
  for (int i = 0; i < count; ++i) {
    vsim::VesselRecord& vessel = world.Add("h" + std::to_string(i));
    PoweredFlight(vessel);
    world.physics().PlaceAt(vessel, kCruiseAltitude);
  }
  int frame = 0;
  for (auto _ : state) {
    world.host().Step();
    if (++frame % kFramesBetweenKeeping == 0)
      for (const auto& vessel : world.host().Vessels())
        KeepInPoweredFlight(world.physics(), *vessel);
  }
  state.counters["per_vessel_ns"] = benchmark::Counter(
      static_cast<double>(count) * 1e-9,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Frame)->ArgName("helicopters")->Arg(1)->Arg(10)->Arg(100)->Arg(1000);

}  // namespace
}  // namespace bench
