// Shared test fixture: a substitute host with the helicopter module loaded,
// running in a working directory of its own (the module may write its sound
// log there).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "module/vessel_state.h"
#include "sim/core/host.h"
#include "sim/faults/fault_answers.h"
#include "sim/platform/platform.h"

namespace test {

class ScratchDirectory : public vsim::platform::WorkingFolder {
public:
  ScratchDirectory() : WorkingFolder("corvane-test-") {}
};

class HostTest : public ::testing::Test {
protected:
  HostTest();

  // Loads the module; with sound, the substitute sound library first.
  void Load(bool sound = false, const std::string& module = MODULE_PATH);
  vsim::VesselRecord& Create(const std::string& name = "heli", int flight_model = 1);
  // Calls of one vessel since the journal was last cleared, by name.
  std::vector<std::string> Calls(const std::string& name, const std::string& vessel = "heli");
  // Only the calls that change the host's state (setters, forces, animations).
  std::vector<std::string> Changes(const std::string& vessel = "heli");
  void Step(int n = 1);
  int Key(DWORD key, bool down = true, const std::string& vessel = "heli");
  double AnimationState(UINT index, const std::string& vessel = "heli");
  double& Level(THGROUP_TYPE group, const std::string& vessel = "heli");
  vsim::Readings& Read(const std::string& vessel = "heli");
  // Readings of a vessel in flight, clear of the ground.
  void Airborne(double altitude = 100, double airspeed = 0, const std::string& vessel = "heli");
  // The one seam into the module's own state: places a value on a boundary
  // that whole steps cannot reach. Tests never read the module's state;
  // what they check is what the host saw.
  template <typename T>
  void Place(T VesselState::*field, T value, const std::string& vessel = "heli") {
    ModuleState(vessel).*field = value;
  }
  // The first step in which the vessel made this exact call, or 0.
  int FirstStepWith(const std::string& call, const std::string& vessel = "heli");
  // Puts the fault-injecting answers in front of the host's own.
  vsim::FaultyAnswers& Faults();

  ScratchDirectory scratch;
  vsim::Host host;
  vsim::FaultyAnswers faults{host.core_answers()};

private:
  VesselState& ModuleState(const std::string& vessel);
};

std::string V(double x, double y, double z);

// Whether file permissions can refuse this process anything: not for root,
// and not for folders on Windows.
bool PermissionsBindThisProcess();

bool Exists(const std::string& path);
// Whether any partial output file is left in this folder or below it.
bool PartialFilesLeft(const std::string& dir = ".");
// The file's text, or nothing when it cannot be read.
std::string ReadFile(const std::string& path);
// Runs vesselsim with these arguments, stdout and stderr into output; its
// exit status (128 + N for a death by signal N).
int RunProgram(const std::string& args, std::string& output);

}  // namespace test
