// The substitute host's core: loads a vessel module by path as the
// simulator does, keeps its vessels and what they declared, steps them and
// delivers keys and cockpit events. The operations the module calls live in
// a layer above; they reach the core through ActiveHost().
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "host/host_api.h"
#include "sim/core/answers.h"
#include "sim/core/integrator.h"
#include "sim/core/module_library.h"
#include "sim/core/vessel_record.h"
#include "sim/journal/journal.h"

namespace vsim {

// Something a module did that the host cannot accept: a handle it was not
// given, an index out of range, a call with no host running.
struct HostFault {
  int step = 0;
  std::string vessel;  // "-" when no vessel was running
  std::string text;    // "SetThrusterLevel: thruster#1 belongs to vessel \"b\""
  std::string Line() const;
};

// Where the host is inside the module: the callback, the vessel it runs
// for and the step. Kept up to date as the host calls in, so that a crash
// can be reported with it; plain data, safe to read in a signal handler.
struct ModuleSite {
  const char* callback = nullptr;  // null: the host is not inside the module
  const char* vessel = nullptr;    // the vessel's name, or null
  int step = 0;
};
const volatile ModuleSite& CurrentModuleSite();

class Host {
public:
  Host();
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // Module
  void LoadModule(const std::string& path);
  void UnloadModule();
  bool ModuleLoaded() const { return module_ != nullptr; }
  const char* ModuleDate();
  int ModuleVersion();
  // The host calls the module made while its library loaded (in a static
  // initialiser or its attach), in order; the journal has them too.
  const std::vector<CallEntry>& LoadCalls() const { return load_calls_; }
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
  // The vessel this host gave the handle to, or null. Nearly every call
  // comes from the vessel whose callback runs: that one is found first.
  VesselRecord* VesselOf(OBJHANDLE handle) const {
    if (__builtin_expect(current_ != nullptr && current_->handle == handle, 1)) return current_;
    const HandleCode code = DecodeHandle(handle);
    if (code.kind != HandleKind::kVessel || code.index >= slots_.size()) return nullptr;
    VesselRecord* vessel = slots_[code.index];
    return vessel != nullptr && vessel->serial == code.owner ? vessel : nullptr;
  }
  VesselRecord* VesselBySerial(std::uint32_t serial) const;
  // A vessel of this host that has ended (the most recent ones are kept),
  // by the serial its handles carry; null if none is known.
  struct EndedVessel {
    std::uint32_t serial;
    std::string name;
    int step;  // when its ovcExit ran
  };
  const EndedVessel* Ended(std::uint32_t serial) const;
  const std::vector<std::unique_ptr<VesselRecord>>& Vessels() const { return vessels_; }
  void SetFocus(const std::string& name);
  VesselRecord* Focus() const { return focus_; }

  // One simulation step: integration, then every vessel's post step.
  void Step();
  int StepCount() const { return step_; }
  double SimTime() const { return sim_time_; }
  void SetBaseStep(double dt) { base_step_ = dt; }
  double BaseStep() const { return base_step_; }
  void SetIntegrator(Integrator* integrator) { integrator_ = integrator; }

  // Events between steps.
  int DeliverKey(const std::string& name, DWORD key, bool down, const char* kstate = nullptr);
  bool LoadCockpit(const std::string& name);
  bool DeliverCockpitEvent(const std::string& name, int area, int event, VECTOR3 point = {});

  // World-wide settings.
  double TimeAcceleration() const { return time_acceleration_; }
  void SetTimeAcceleration(double factor) { time_acceleration_ = factor; }
  bool CameraInternal() const { return camera_internal_; }
  void SetCameraInternal(bool internal) { camera_internal_ = internal; }
  const char* DebugLine() const { return debug_line_; }
  char* DebugBuffer() { return debug_line_; }

  // The answers the module gets; null puts the core's own back.
  Answers& answers() { return *answers_; }
  // Whether host calls may take their fast path: nothing records and the
  // core answers. A call on that path does exactly what the full path
  // does; anything out of the ordinary (a fault, a wrapper, the journal)
  // takes the full path.
  bool Unobserved() const { return !journal_.enabled && answers_ == &core_answers_; }
  // Asks a query of the answers in force: query(answers) for any answers
  // object, called on the core's own without a virtual call.
  template <typename Query>
  auto Ask(Query query) {
    return answers_ == &core_answers_ ? query(core_answers_) : query(*answers_);
  }
  Answers& core_answers() { return core_answers_; }
  void SetAnswers(Answers* answers) { answers_ = answers != nullptr ? answers : &core_answers_; }

  Journal& journal() { return journal_; }
  const Journal& journal() const { return journal_; }
  HandleNames& handle_names() { return handle_names_; }
  std::uint32_t Serial() const { return serial_; }

  // Faults the module caused, in order; a run ends after the callback
  // that caused the first.
  void Fault(const VesselRecord* vessel, const char* call, const std::string& what);
  const std::vector<HostFault>& Faults() const { return faults_; }
  bool Faulted() const { return !faults_.empty(); }

  // The vessel whose callback is running; null between callbacks.
  VesselRecord* Current() const { return current_; }

  // The simulation thread is the one that made the host: only it may call
  // the host's functions. A call from another is recorded, from that
  // thread, with ForeignCall (which alone may be called from any thread),
  // and becomes a fault when the module's callback returns.
  bool OnSimulationThread() const { return std::this_thread::get_id() == thread_; }
  void ForeignCall(const char* call, const std::string& thread);

  // Meshes, loaded once per name for the whole world.
  MESHHANDLE LoadMesh(const char* name);
  const std::vector<std::string>& LoadedMeshes() const { return mesh_loads_; }
  // Index of a mesh handle this host issued, or kNoIndex.
  std::uint32_t MeshIndex(MESHHANDLE mesh) const;

  // The host that host functions act on, or null. The module's calls carry
  // no host, so there is one at a time: a host made while another is alive
  // is refused with a HostError, and none is active once it has ended.
  static Host* Active() { return active_; }

  // The host functions keep the fast path's vessel in a variable of their
  // own, one per thread, read without going through the host; they hand
  // over the way to find the calling thread's when they are loaded (null
  // when unloaded). A host finds its own thread's when it is made and fills
  // it for the length of each callback; on every other thread it stays null.
  static void ShareFastVessel(VesselRecord** (*slot)()) { fast_slot_ = slot; }

  // Runs module code that serves one vessel outside its callbacks (its
  // airfoils' coefficient functions while the physics steps it) with that
  // vessel on the fast path when nothing observes, as a callback would.
  // Observed, its calls take the full path and stay the world's, as
  // before.
  template <typename Fn>
  void ServeVessel(VesselRecord& vessel, Fn&& fn) {
    if (!Unobserved()) return fn();
    const FastVesselFor fast(fast_vessel_, &vessel);
    fn();
  }

  // A call's own journal line is written once its result is known; the
  // lines of the faults its checks raise meanwhile wait for it, so that a
  // call comes before its faults. The faults themselves are kept at once.
  class FaultLinesAfterCall {
  public:
    explicit FaultLinesAfterCall(Host& host) : host_(host) {
      host.held_faults_from_ = host.faults_.size();
    }
    ~FaultLinesAfterCall() {
      if (host_.faults_.size() > host_.held_faults_from_)
        host_.JournalHeldFaults();
      else
        host_.held_faults_from_ = kNoneHeld;
    }
    FaultLinesAfterCall(const FaultLinesAfterCall&) = delete;
    FaultLinesAfterCall& operator=(const FaultLinesAfterCall&) = delete;

  private:
    Host& host_;
  };

private:
  // The fast path's vessel of this thread for a scope, the one before it
  // restored after.
  class FastVesselFor {
  public:
    FastVesselFor(VesselRecord** shared, VesselRecord* vessel)
        : shared_(shared), outer_(shared != nullptr ? *shared : nullptr) {
      if (shared_ != nullptr) *shared_ = vessel;
    }
    ~FastVesselFor() {
      if (shared_ != nullptr) *shared_ = outer_;
    }
    FastVesselFor(const FastVesselFor&) = delete;
    FastVesselFor& operator=(const FastVesselFor&) = delete;

  private:
    VesselRecord** shared_;
    VesselRecord* outer_;
  };

  template <typename Fn>
  auto Callback(VesselRecord& vessel, const char* name, Fn&& fn);
  // Calls into the module at a named entry point or callback: the site is
  // kept for a crash report, and what the module throws (it must not) is
  // caught at the boundary and becomes its fault; the call then gives a
  // neutral value.
  template <typename Fn>
  auto IntoModule(const VesselRecord* vessel, const char* name, Fn&& fn) -> decltype(fn());
  void CheckDebugLine(const VesselRecord* vessel);
  // Records the host's call into the module, "=> clbkPostStep(...)",
  // writing its text into the journal's line only when the journal is on.
  template <typename WriteText,
            typename = std::enable_if_t<std::is_invocable_v<WriteText&, LineText&>>>
  void Announce(const VesselRecord& vessel, WriteText write_text) {
    if (!journal_.enabled) return;
    LineText& line = journal_.Begin(step_, vessel.name);
    line += "=> ";
    write_text(line);
    journal_.End(true);
  }
  void Announce(const VesselRecord& vessel, std::string_view text) {
    Announce(vessel, [text](LineText& line) { line += text; });
  }
  std::uint32_t FreeSlot();
  // The calls other threads made, as faults of the vessel whose callback ran.
  void TakeForeignCalls(const VesselRecord* vessel) {
    if (__builtin_expect(foreign_pending_.load(std::memory_order_acquire), 0))
      RecordForeignCalls(vessel);
  }
  void RecordForeignCalls(const VesselRecord* vessel);
  void JournalFault(const HostFault& fault);
  void JournalHeldFaults();

  static Host* active_;
  static VesselRecord** (*fast_slot_)();

  std::uint32_t serial_;
  std::unique_ptr<ModuleLibrary> module_;
  std::unique_ptr<SoundLibrary> sound_;
  HINSTANCE module_instance_ = nullptr;
  std::vector<std::unique_ptr<VesselRecord>> vessels_;
  std::vector<VesselRecord*> slots_;  // indexed by the vessel handle's slot
  VesselRecord* focus_ = nullptr;
  VesselRecord* current_ = nullptr;
  Integrator* integrator_ = nullptr;
  CoreAnswers core_answers_;
  Answers* answers_ = &core_answers_;
  Journal journal_;
  HandleNames handle_names_;
  std::vector<HostFault> faults_;
  static constexpr std::size_t kNoneHeld = static_cast<std::size_t>(-1);
  // The first fault whose journal line waits for its call's (see
  // FaultLinesAfterCall), or kNoneHeld.
  std::size_t held_faults_from_ = kNoneHeld;
  int step_ = 0;
  double sim_time_ = 0;
  double base_step_ = 1.0 / 60.0;
  double time_acceleration_ = 1;
  bool camera_internal_ = false;
  char debug_line_[OAPI_DEBUG_STRING_SIZE] = {};
  char debug_seen_[OAPI_DEBUG_STRING_SIZE] = {};
  std::vector<std::string> mesh_names_;  // one per handle
  std::vector<std::string> mesh_loads_;  // every load, in order
  std::vector<CallEntry> load_calls_;
  std::deque<EndedVessel> ended_;
  std::thread::id thread_ = std::this_thread::get_id();
  // The fast path's vessel of this host's thread (see ShareFastVessel).
  VesselRecord** fast_vessel_ = fast_slot_ != nullptr ? fast_slot_() : nullptr;
  std::string thread_text_;
  std::mutex foreign_lock_;
  std::atomic<bool> foreign_pending_{false};
  std::vector<std::pair<const char*, std::string>> foreign_calls_;  // under foreign_lock_
};

inline Host* ActiveHost() { return Host::Active(); }

inline double CoreAnswers::TimeAcceleration(const Host& host) { return host.TimeAcceleration(); }
inline bool CoreAnswers::CameraInternal(const Host& host) { return host.CameraInternal(); }
inline bool CoreAnswers::FocusAirspeedVector(const Host& host, VECTOR3& speed) {
  const VesselRecord* focus = host.Focus();
  if (focus == nullptr) return false;
  speed = focus->readings.airspeed_vector;
  return true;
}
inline bool CoreAnswers::FocusHeading(const Host& host, double& heading) {
  const VesselRecord* focus = host.Focus();
  if (focus == nullptr) return false;
  heading = focus->readings.heading;
  return true;
}

// A handle as the journal names it for the vessel that passed it: its own
// handles by kind and number ("thruster#2", its own vessel handle
// "vessel#1"), another vessel's with that vessel's name ("b:thruster#1"),
// values the host did not issue numbered as they appear ("function#1").
std::string HandleText(Host& host, const VesselRecord* recorder, const char* kind,
                       const void* handle);
void AppendHandleText(LineText& out, Host& host, const VesselRecord* recorder, const char* kind,
                      const void* handle);

// A serial no other vessel or host of this process has had.
std::uint32_t NextSerial();

}  // namespace vsim
