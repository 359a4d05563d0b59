// The default flight as vesselsim flies it, with and without the call trace.
#include <benchmark/benchmark.h>

#include <stdexcept>

#include "bench/flights.h"
#include "sim/flight/runner.h"
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

}  // namespace
}  // namespace bench
