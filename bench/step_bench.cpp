// One vessel's step as the host runs it (physics off, readings held): the
// helicopter in flight and taxiing, the floor module with the same host
// calls and no logic, and the empty module.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/flights.h"

namespace bench {
namespace {

void StepOne(benchmark::State& state, const char* module, void (*place)(vsim::VesselRecord&),
             bool sound = false, bool journal = false) {
  BenchHost world(module, false, sound);
  place(world.Add("v"));
  world.host().journal().enabled = journal;
  for (auto _ : state) world.host().Step();
}

void BM_HelicopterStep_Flight(benchmark::State& state) {
  StepOne(state, ModuleFiles::Helicopter(), PoweredFlight);
}
void BM_HelicopterStep_Taxi(benchmark::State& state) {
  StepOne(state, ModuleFiles::Helicopter(), Taxiing);
}
void BM_HelicopterStep_Sound(benchmark::State& state) {
  state.counters["host_calls"] = HostCallsPerStep(ModuleFiles::Helicopter(), PoweredFlight, true);
  StepOne(state, ModuleFiles::Helicopter(), PoweredFlight, true);
}
void BM_HelicopterStep_Recorded(benchmark::State& state) {
  StepOne(state, ModuleFiles::Helicopter(), PoweredFlight, false, true);
}
// The floor stands for the helicopter only if both make the same calls in
// this benchmark's own state.
void BM_FloorStep(benchmark::State& state) {
  const int floor = HostCallsPerStep(ModuleFiles::Floor(), PoweredFlight, false);
  const int helicopter = HostCallsPerStep(ModuleFiles::Helicopter(), PoweredFlight, false);
  if (floor != helicopter) {
    const std::string why = "the floor module makes " + std::to_string(floor) +
                            " host calls a step, the helicopter " + std::to_string(helicopter);
    state.SkipWithError(why.c_str());
    return;
  }
  state.counters["host_calls"] = floor;
  StepOne(state, ModuleFiles::Floor(), PoweredFlight);
}
void BM_EmptyStep(benchmark::State& state) { StepOne(state, ModuleFiles::Empty(), PoweredFlight); }

BENCHMARK(BM_HelicopterStep_Flight);
BENCHMARK(BM_HelicopterStep_Taxi);
BENCHMARK(BM_HelicopterStep_Sound);
BENCHMARK(BM_HelicopterStep_Recorded);
BENCHMARK(BM_FloorStep);
BENCHMARK(BM_EmptyStep);

void BM_AirfoilCoefficients(benchmark::State& state) {
  BenchHost world(ModuleFiles::Helicopter());
  const vsim::Airfoil& airfoil = world.Add("v").declared.airfoils.at(0);
  double angle = -3.0, cl = 0, cm = 0, cd = 0;
  for (auto _ : state) {
    airfoil.coefficients(angle, 0.1, 1e6, &cl, &cm, &cd);
    benchmark::DoNotOptimize(cd);
    angle = angle > 3.0 ? -3.0 : angle + 0.01;
  }
}
BENCHMARK(BM_AirfoilCoefficients);

}  // namespace
}  // namespace bench
