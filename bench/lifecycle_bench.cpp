// Creating and destroying helicopters, loading and unloading the module,
// and what each helicopter costs in memory on the host's side.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/allocations.h"
#include "bench/flights.h"
#include "module/shuttle_pb.h"

namespace bench {
namespace {

void BM_CreateDestroy(benchmark::State& state) {
  BenchHost world(ModuleFiles::Helicopter());
  for (auto _ : state) {
    world.Add("h");
    world.host().DestroyVessel("h");
  }
}
BENCHMARK(BM_CreateDestroy);

// Without the sound library, each creation appends its connection failure
// to the module's sound log: a file opened, written and closed.
void LoadCycle(benchmark::State& state, const char* module, bool sound) {
  BenchFolder folder;
  vsim::Host host;
  host.journal().enabled = false;
  if (sound) host.LoadSoundLibrary(ModuleFiles::Sound());
  for (auto _ : state) {
    host.LoadModule(module);
    host.CreateVessel("h");
    host.DestroyVessel("h");
    host.UnloadModule();
  }
}
void BM_LoadCreateDestroyUnload(benchmark::State& state) {
  LoadCycle(state, ModuleFiles::Helicopter(), state.range(0) != 0);
}
BENCHMARK(BM_LoadCreateDestroyUnload)->ArgName("sound")->Arg(0)->Arg(1);
// The loader's and the file system's own share of a cycle, which moves with
// what the other core does: the helicopter's cycle is also given as a ratio
// to it.
void BM_EmptyLoadCreateDestroyUnload(benchmark::State& state) {
  LoadCycle(state, ModuleFiles::Empty(), false);
}
BENCHMARK(BM_EmptyLoadCreateDestroyUnload);

// Live memory per helicopter after creating many: everything allocated,
// less the module's own vessel object.
void BM_MemoryPerHelicopter(benchmark::State& state) {
  constexpr int kHelicopters = 100;
  double bytes = 0, blocks = 0;
  for (auto _ : state) {
    BenchHost world(ModuleFiles::Helicopter());
    const Allocations before = LiveAllocations();
    for (int i = 0; i < kHelicopters; ++i) world.Add("h" + std::to_string(i));
    const Allocations after = LiveAllocations();
    bytes = static_cast<double>(after.bytes - before.bytes) / kHelicopters;
    blocks = static_cast<double>(after.blocks - before.blocks) / kHelicopters;
  }
  state.counters["host_bytes"] = bytes - static_cast<double>(sizeof(ShuttlePB));
  state.counters["module_bytes"] = static_cast<double>(sizeof(ShuttlePB));
  state.counters["blocks"] = blocks;
}
BENCHMARK(BM_MemoryPerHelicopter)->Iterations(3);

}  // namespace
}  // namespace bench
