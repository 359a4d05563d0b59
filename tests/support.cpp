#include "tests/support.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#if !defined(_WIN32)
#include <unistd.h>
#endif

#include "module/shuttle_pb.h"

namespace test {

namespace fs = std::filesystem;

HostTest::HostTest() = default;

void HostTest::Load(bool sound, const std::string& module) {
  if (sound) host.LoadSoundLibrary(SOUND_PATH);
  host.LoadModule(module);
}

vsim::VesselRecord& HostTest::Create(const std::string& name, int flight_model) {
  if (!host.ModuleLoaded()) Load();
  return host.CreateVessel(name, flight_model);
}

std::vector<std::string> HostTest::Calls(const std::string& name, const std::string& vessel) {
  return host.journal().Calls(vessel, name);
}

vsim::Readings& HostTest::Read(const std::string& vessel) { return host.Vessel(vessel).readings; }

vsim::FaultyAnswers& HostTest::Faults() {
  host.SetAnswers(&faults);
  return faults;
}

// The conversion needs no run-time type check: the module built this object.
#if defined(__clang__)
__attribute__((no_sanitize("vptr")))
#endif
VesselState&
HostTest::ModuleState(const std::string& vessel) {
  return static_cast<ShuttlePB*>(static_cast<VESSEL2*>(host.Vessel(vessel).vessel))->state;
}

int HostTest::FirstStepWith(const std::string& call, const std::string& vessel) {
  for (const vsim::CallEntry& e : host.journal().Entries())
    if (e.vessel == vessel && e.call == call) return e.step;
  return 0;
}

std::vector<std::string> HostTest::Changes(const std::string& vessel) {
  static const char* const kChanges[] = {
      "SetCW",       "SetThrusterMax0",         "SetThrusterDir",     "SetThrusterLevel",
      "AddForce",    "SetSurfaceFrictionCoeff", "SetTouchdownPoints", "SetAnimation",
      "SetFuelMass", "oapiSetTimeAcceleration"};
  std::vector<std::string> out;
  for (const vsim::CallEntry& e : host.journal().Entries()) {
    if (e.vessel != vessel) continue;
    for (const char* name : kChanges)
      if (e.Name() == name) out.push_back(e.call);
  }
  return out;
}

void HostTest::Step(int n) {
  for (int i = 0; i < n; ++i) host.Step();
}

int HostTest::Key(DWORD key, bool down, const std::string& vessel) {
  return host.DeliverKey(vessel, key, down);
}

void HostTest::Airborne(double altitude, double airspeed, const std::string& vessel) {
  vsim::Readings& r = Read(vessel);
  r.ground_contact = false;
  r.altitude = altitude;
  r.airspeed = airspeed;
}

double HostTest::AnimationState(UINT index, const std::string& vessel) {
  return host.Vessel(vessel).declared.animations.at(index).state;
}

double& HostTest::Level(THGROUP_TYPE group, const std::string& vessel) {
  return host.Vessel(vessel).GroupMember(group)->level;
}

std::string V(double x, double y, double z) { return vsim::FormatVector({x, y, z}); }

bool PermissionsBindThisProcess() {
#if defined(_WIN32)
  return false;
#else
  return geteuid() != 0;
#endif
}

bool PartialFilesLeft(const std::string& dir) {
  std::error_code error;
  for (std::filesystem::recursive_directory_iterator it(dir, error), end; !error && it != end;
       it.increment(error))
    if (it->path().extension() == ".partial") return true;
  return false;
}

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

int RunProgram(const std::string& args, std::string& output) {
  using vsim::platform::CommandWord;
  return vsim::platform::RunCommand(CommandWord(VESSELSIM_PATH) + " " + args + " 2>&1", output);
}

}  // namespace test
