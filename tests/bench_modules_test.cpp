// The benchmarks' floor module stands for the helicopter's host calls: its
// step must make the same calls in the same order as the helicopter's step
// in the benchmarks' powered flight (both rotors pulling, so that the engine
// sound asks for the camera) without a sound library.
#include <algorithm>

#include "tests/support.h"

namespace {

// The names of the calls a vessel made in the last step, in order.
std::vector<std::string> LastStepCalls(vsim::Host& host, const std::string& module) {
  host.journal().enabled = true;
  host.LoadModule(module);
  vsim::VesselRecord& vessel = host.CreateVessel("v");
  vessel.readings.ground_contact = false;
  vessel.readings.altitude = 300;
  vessel.readings.airspeed = 40;
  vessel.readings.airspeed_vector = {0, 0, 40};
  if (vsim::Thruster* main = vessel.GroupMember(THGROUP_MAIN)) main->level = 0.3;
  if (vsim::Thruster* hover = vessel.GroupMember(THGROUP_HOVER)) hover->level = 0.8;
  for (int step = 0; step < 3; ++step) {
    host.journal().Clear();
    host.Step();
  }
  std::vector<std::string> names;
  for (const vsim::CallEntry& entry : host.journal().Entries())
    if (entry.vessel == "v" && !entry.from_host)
      names.push_back(entry.call.substr(0, entry.call.find('(')));
  return names;
}

TEST(BenchModules, TheFloorStepMakesTheHelicoptersCallsInItsOrder) {
  test::ScratchDirectory scratch;
  // One host at a time: the helicopter's ends before the floor's begins.
  const std::vector<std::string> helicopter = [] {
    vsim::Host helicopter_host;
    return LastStepCalls(helicopter_host, MODULE_PATH);
  }();
  vsim::Host floor_host;
  const std::vector<std::string> floor = LastStepCalls(floor_host, FLOOR_PATH);
  EXPECT_EQ(helicopter.size(), 48u) << "the helicopter's step changed: update the floor module";
  EXPECT_EQ(floor, helicopter);
  EXPECT_FALSE(floor_host.Faulted()) << floor_host.Faults().front().Line();
}

TEST(BenchModules, TheEmptyStepMakesNoCall) {
  test::ScratchDirectory scratch;
  vsim::Host host;
  EXPECT_TRUE(LastStepCalls(host, EMPTY_PATH).empty());
  EXPECT_FALSE(host.Faulted());
}

}  // namespace
