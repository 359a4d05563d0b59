// The substitute host: loads a vessel module by path as the simulator does,
// creates and steps its vessels, delivers keys and cockpit events, keeps
// what the module declares and records every call it makes.
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/host_api.h"
#include "sim/journal.h"
#include "sim/vessel_record.h"

namespace vsim {

class HostError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

class ModuleLibrary;
class SoundLibrary;

// Integrates the world between steps; the host runs without one when the
// readings are set by hand.
class Physics {
public:
  virtual ~Physics() = default;
  virtual void Integrate(const std::vector<std::unique_ptr<VesselRecord>>& vessels, double dt) = 0;
  virtual void OnCreate(VesselRecord& vessel) = 0;
};

class Host {
public:
  Host();
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // The host whose module is running; host functions act on it.
  static Host& Active();

  // Module
  void LoadModule(const std::string& path);
  void UnloadModule();
  bool ModuleLoaded() const;
  const char* ModuleDate();
  int ModuleVersion();
  HINSTANCE ModuleInstance() const { return module_instance_; }
  void NoteModuleInstance(HINSTANCE instance) { module_instance_ = instance; }

  // Optional sound library, loaded before vessels are created.
  void LoadSoundLibrary(const std::string& path);

  // Vessels, in creation order. The first becomes the focus.
  // The class configuration text is handed to the module as an open file.
  VesselRecord& CreateVessel(const std::string& name, int flight_model = 1,
                             const std::string& class_config = "");
  void DestroyVessel(const std::string& name);
  VesselRecord& Vessel(const std::string& name);
  VesselRecord* FindVessel(const std::string& name);
  VesselRecord* VesselFromHandle(OBJHANDLE handle);
  const std::vector<std::unique_ptr<VesselRecord>>& Vessels() const { return vessels_; }
  void SetFocus(const std::string& name);
  VesselRecord* Focus() { return focus_; }

  // One simulation step: integration, then every vessel's post step.
  void Step();
  int StepCount() const { return step_; }
  double SimTime() const { return sim_time_; }
  void SetBaseStep(double dt) { base_step_ = dt; }

  // Events between steps.
  int DeliverKey(const std::string& name, DWORD key, bool down, const char* kstate = nullptr);
  bool LoadCockpit(const std::string& name);
  bool DeliverCockpitEvent(const std::string& name, int area, int event, VECTOR3 point = {});

  // Host settings and the module's view of them.
  double TimeAcceleration() const { return time_acceleration_; }
  void SetTimeAcceleration(double factor);
  // When set, a change the module makes takes effect at the next step.
  void DeferModuleTimeAccelerationChanges(bool defer) { defer_time_acceleration_ = defer; }
  bool CameraInternal() const { return camera_internal_; }
  void SetCameraInternal(bool internal) { camera_internal_ = internal; }
  const char* DebugLine() const { return debug_line_; }
  void SetPhysics(std::unique_ptr<Physics> physics) { physics_ = std::move(physics); }
  bool PhysicsOn() const { return physics_ != nullptr; }

  // Fault injection: the host keeps what is created but hands the module
  // null handles, as a failing host would.
  void SetNullHandles(bool on) { null_handles_ = on; }
  template <typename T>
  T* Issue(T* handle) const {
    return null_handles_ ? nullptr : handle;
  }

  Journal& journal() { return journal_; }
  // Entries of one vessel whose operation has this name, in order.
  std::vector<std::string> Calls(const std::string& vessel, const std::string& name = "") const;

  // Called by the host functions and the sound library.
  VesselRecord* Current() { return current_; }
  template <typename... Args>
  void Record(VesselRecord* vessel, const char* name, const Args&... args);
  std::string HandleName(VesselRecord* vessel, const char* kind, const void* handle);
  char* DebugBuffer() { return debug_line_; }
  void ModuleSetTimeAcceleration(double factor);
  MESHHANDLE LoadMesh(const std::string& name);
  const std::vector<std::string>& LoadedMeshes() const { return mesh_names_; }
  void NoteSoundRequest(OBJHANDLE vessel, const std::string& call, int slot, const char* kind,
                        const char* wave = nullptr, int loop = 0, int volume = 0,
                        int frequency = 0);
  void NoteSoundId(OBJHANDLE vessel, int id);

private:
  template <typename Fn>
  auto Callback(VesselRecord& vessel, Fn&& fn);
  void CheckDebugLine(VesselRecord* vessel);
  void ApplyPendingTimeAcceleration();

  std::unique_ptr<ModuleLibrary> module_;
  std::unique_ptr<SoundLibrary> sound_;
  HINSTANCE module_instance_ = nullptr;
  std::vector<std::unique_ptr<VesselRecord>> vessels_;
  VesselRecord* focus_ = nullptr;
  VesselRecord* current_ = nullptr;
  VesselRecord no_vessel_;
  std::unique_ptr<Physics> physics_;
  Journal journal_;
  int step_ = 0;
  double sim_time_ = 0;
  double base_step_ = 1.0 / 60.0;
  double time_acceleration_ = 1;
  double pending_time_acceleration_ = 0;
  bool has_pending_time_acceleration_ = false;
  bool defer_time_acceleration_ = false;
  bool camera_internal_ = false;
  bool null_handles_ = false;
  char debug_line_[OAPI_DEBUG_STRING_SIZE] = {};
  char debug_seen_[OAPI_DEBUG_STRING_SIZE] = {};
  std::vector<std::string> mesh_names_;
  std::deque<std::string> mesh_store_;
  Host* previous_active_ = nullptr;
};

// Argument formatting for the journal.
struct HandleArg {
  const char* kind;
  const void* handle;
};
// An argument formatted only when the journal records the call, so that
// records cost nothing in a run without a trace.
template <typename Format>
struct LazyArg {
  Format format;
};
template <typename Format>
LazyArg<Format> Lazy(Format format) {
  return {std::move(format)};
}

void AppendArg(std::string& out, Host& host, VesselRecord* vessel, double value);
void AppendArg(std::string& out, Host& host, VesselRecord* vessel, int value);
void AppendArg(std::string& out, Host& host, VesselRecord* vessel, unsigned value);
void AppendArg(std::string& out, Host& host, VesselRecord* vessel, bool value);
void AppendArg(std::string& out, Host& host, VesselRecord* vessel, const char* value);
void AppendArg(std::string& out, Host& host, VesselRecord* vessel, const VECTOR3& value);
void AppendArg(std::string& out, Host& host, VesselRecord* vessel, const HandleArg& value);
template <typename Format>
void AppendArg(std::string& out, Host&, VesselRecord*, const LazyArg<Format>& value) {
  out += value.format();
}

template <typename... Args>
void Host::Record(VesselRecord* vessel, const char* name, const Args&... args) {
  if (!journal_.enabled) return;
  std::string call = name;
  call += '(';
  bool first = true;
  [[maybe_unused]] auto append = [&](const auto& arg) {
    if (!first) call += ", ";
    first = false;
    AppendArg(call, *this, vessel, arg);
  };
  (append(args), ...);
  call += ')';
  journal_.Add(step_, vessel == nullptr ? std::string("-") : vessel->name, std::move(call));
}

}  // namespace vsim
