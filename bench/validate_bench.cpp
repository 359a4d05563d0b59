// "vesselsim validate" of the helicopter at each level, as a module author
// runs it: the whole program, each check in a process of its own, so the
// time is the wall clock's.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/flights.h"
#include "sim/platform/child_process.h"

namespace bench {
namespace {

constexpr const char* kLevels[] = {"quick", "standard", "thorough"};
constexpr double kTimeLimit_s = 600;

void BM_Validate(benchmark::State& state) {
  BenchFolder folder;
  const std::vector<std::string> argv = {VESSELSIM_PATH, "validate", ModuleFiles::Helicopter(),
                                         "--level", kLevels[state.range(0)]};
  for (auto _ : state) {
    const vsim::platform::ChildOutcome outcome =
        vsim::platform::RunChild(argv, kTimeLimit_s, folder.Path());
    if (!outcome.started || outcome.crashed || outcome.timed_out || outcome.exit_code != 0)
      state.SkipWithError(("validate failed: " + outcome.how + "\n" + outcome.output).c_str());
  }
}
BENCHMARK(BM_Validate)
    ->ArgName("level")
    ->DenseRange(0, 2)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace bench
