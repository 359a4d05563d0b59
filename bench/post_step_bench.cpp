// The flight step on the host's hot path, measured through the substitute
// host with its journal off (as in a run without a trace) and on.
#include <benchmark/benchmark.h>

#include "sim/core/host.h"
#include "sim/physics/physics.h"

namespace {

struct Flight {
  explicit Flight(bool journal, bool physics) {
    host.journal().enabled = journal;
    host.journal().keep = false;
    host.LoadModule(MODULE_PATH);
    if (physics) host.SetIntegrator(&simple_physics);
    vsim::VesselRecord& heli = host.CreateVessel("heli");
    heli.readings.ground_contact = false;
    heli.readings.altitude = 300;
    heli.readings.airspeed = 40;
    heli.GroupMember(THGROUP_HOVER)->level = 0.8;
    heli.GroupMember(THGROUP_MAIN)->level = 0.3;
  }
  vsim::SimplePhysics simple_physics;
  vsim::Host host;
};

void BM_PostStep(benchmark::State& state) {
  Flight flight(state.range(0) != 0, false);
  VESSEL2* vessel = static_cast<VESSEL2*>(flight.host.Vessel("heli").vessel);
  for (auto _ : state) vessel->clbkPostStep(0, 0.0166, 51544.5);
}
BENCHMARK(BM_PostStep)->Arg(0)->Arg(1)->ArgName("journal");

void BM_HostStepWithPhysics(benchmark::State& state) {
  Flight flight(false, true);
  for (auto _ : state) flight.host.Step();
}
BENCHMARK(BM_HostStepWithPhysics);

void BM_AirfoilCoefficients(benchmark::State& state) {
  Flight flight(false, false);
  const vsim::Airfoil& airfoil = flight.host.Vessel("heli").declared.airfoils.at(0);
  double angle = -3.0, cl = 0, cm = 0, cd = 0;
  for (auto _ : state) {
    airfoil.coefficients(angle, 0.1, 1e6, &cl, &cm, &cd);
    benchmark::DoNotOptimize(cd);
    angle = angle > 3.0 ? -3.0 : angle + 0.01;
  }
}
BENCHMARK(BM_AirfoilCoefficients);

}  // namespace

BENCHMARK_MAIN();
