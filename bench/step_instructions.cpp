// step_instructions MODULE STEPS [physics]: flies one vessel of the
// helicopter, the floor or the empty module in powered flight (physics off
// unless asked for) and, run under callgrind with --instr-atstart=no,
// counts only the STEPS steps after a warm-up. Instruction counts hold
// still on a machine whose timings do not.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/flights.h"

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_START_INSTRUMENTATION
#define CALLGRIND_STOP_INSTRUMENTATION
#endif

namespace {

constexpr int kWarmUpSteps = 100;

const char* ModuleFile(const char* name) {
  if (std::strcmp(name, "helicopter") == 0) return bench::ModuleFiles::Helicopter();
  if (std::strcmp(name, "floor") == 0) return bench::ModuleFiles::Floor();
  if (std::strcmp(name, "empty") == 0) return bench::ModuleFiles::Empty();
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  const bool physics = argc == 4 && std::strcmp(argv[3], "physics") == 0;
  const bool known = argc == 3 || physics;
  const char* module = known ? ModuleFile(argv[1]) : nullptr;
  const int steps = known ? std::atoi(argv[2]) : 0;
  if (module == nullptr || steps <= 0) {
    std::fprintf(stderr, "usage: step_instructions helicopter|floor|empty STEPS [physics]\n");
    return 2;
  }
  bench::BenchHost world(module, physics);
  vsim::VesselRecord& vessel = world.Add("v");
  bench::PoweredFlight(vessel);
  if (physics) world.physics().PlaceAt(vessel, bench::kCruiseAltitude);
  for (int i = 0; i < kWarmUpSteps; ++i) world.host().Step();
  CALLGRIND_START_INSTRUMENTATION;
  for (int i = 0; i < steps; ++i) {
    world.host().Step();
    // As the frame benchmark does, so that both measure the same flight.
    if (physics && (i + 1) % bench::kFramesBetweenKeeping == 0)
      bench::KeepInPoweredFlight(world.physics(), vessel);
  }
  CALLGRIND_STOP_INSTRUMENTATION;
  return 0;
}
