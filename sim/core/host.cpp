#include "sim/core/host.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <type_traits>

#include "sim/core/threads.h"
#include "sim/handles/handles.h"
#include "sim/journal/operations.h"

namespace vsim {

namespace {

constexpr double kStartMjd = 51544.5;
constexpr double kSecondsPerDay = 86400.0;
// Ended vessels remembered, so that a call through one says it had ended.
constexpr std::size_t kEndedVesselsKept = 1024;

volatile ModuleSite module_site;

// The site for the length of one call into the module.
class SiteScope {
public:
  SiteScope(const char* callback, const VesselRecord* vessel, int step)
      : callback_(module_site.callback), vessel_(module_site.vessel), step_(module_site.step) {
    module_site.callback = callback;
    module_site.vessel = vessel != nullptr ? vessel->name.c_str() : nullptr;
    module_site.step = step;
  }
  ~SiteScope() {
    module_site.callback = callback_;
    module_site.vessel = vessel_;
    module_site.step = step_;
  }
  SiteScope(const SiteScope&) = delete;
  SiteScope& operator=(const SiteScope&) = delete;

private:
  const char* callback_;
  const char* vessel_;
  int step_;
};

// The module's exception, as its fault says it.
std::string Thrown(const std::exception* e) {
  return std::string("the module threw an exception") +
         (e != nullptr ? ": " + std::string(e->what()) : "") +
         "; nothing may cross the module boundary as an exception";
}

}  // namespace

const volatile ModuleSite& CurrentModuleSite() { return module_site; }

Host* Host::active_ = nullptr;
VesselRecord** (*Host::fast_slot_)() = nullptr;

std::uint32_t NextSerial() {
  static std::uint32_t serial = 0;
  serial = serial % kMaxOwner + 1;
  return serial;
}

std::string HostFault::Line() const {
  return std::to_string(step) + " " + vessel + " fault " + FormatString(text.c_str());
}

Host::Host() : serial_(NextSerial()), thread_text_(ThisThreadText()) {
  if (active_ != nullptr)
    throw HostError(
        "another host is alive in this process: a module's calls name no host, so only one "
        "host may run at a time");
  active_ = this;
}

Host::~Host() {
  // A wrapper in front of the answers may already be gone.
  answers_ = &core_answers_;
  UnloadModule();
  sound_.reset();
  active_ = nullptr;
}

void Host::LoadModule(const std::string& path) {
  if (module_) throw HostError(path + ": a module is already loaded");
  current_ = nullptr;
  const SiteScope site("loading the module (its library entry)", nullptr, step_);
  // What the module calls while it loads is kept apart, then put into the
  // journal as if recorded there.
  Journal outer = std::move(journal_);
  journal_ = Journal{};
  struct Restore {
    Host& host;
    Journal& outer;
    ~Restore() {
      host.load_calls_ = host.journal_.Entries();
      host.journal_ = std::move(outer);
      if (host.journal_.enabled)
        for (const CallEntry& e : host.load_calls_)
          host.journal_.Add(e.step, e.vessel, e.call, e.result, e.from_host);
    }
  } restore{*this, outer};
  module_ = std::make_unique<ModuleLibrary>(path);
  TakeForeignCalls(nullptr);
}

void Host::UnloadModule() {
  while (!vessels_.empty()) DestroyVessel(vessels_.back()->name);
  current_ = nullptr;
  const SiteScope site("unloading the module (its library exit)", nullptr, step_);
  module_.reset();
  module_instance_ = nullptr;
}

const char* Host::ModuleDate() {
  if (!module_) throw HostError("no module loaded");
  return IntoModule(nullptr, "ModuleDate", [&] { return module_->ModuleDate(); });
}

int Host::ModuleVersion() {
  if (!module_) throw HostError("no module loaded");
  return IntoModule(nullptr, "GetModuleVersion", [&] { return module_->GetModuleVersion(); });
}

template <typename Fn>
auto Host::IntoModule(const VesselRecord* vessel, const char* name, Fn&& fn) -> decltype(fn()) {
  const SiteScope site(name, vessel, step_);
  struct Foreign {
    Host& host;
    const VesselRecord* vessel;
    ~Foreign() { host.TakeForeignCalls(vessel); }
  } foreign{*this, vessel};
  try {
    return fn();
  } catch (const std::exception& e) {
    Fault(vessel, name, Thrown(&e));
  } catch (...) {
    Fault(vessel, name, Thrown(nullptr));
  }
  if constexpr (!std::is_void_v<decltype(fn())>) return decltype(fn()){};
}

void Host::LoadSoundLibrary(const std::string& path) {
  // A module keeps the entry points it found at a vessel's creation: the
  // library under them must stay.
  if (sound_ && !vessels_.empty())
    throw HostError(path + ": the sound library cannot be replaced while vessels live");
  sound_.reset();
  sound_ = std::make_unique<SoundLibrary>(path);
}

VesselRecord* Host::FindVessel(const std::string& name) {
  for (auto& v : vessels_)
    if (v->name == name) return v.get();
  return nullptr;
}

VesselRecord& Host::Vessel(const std::string& name) {
  VesselRecord* v = FindVessel(name);
  if (v == nullptr) throw HostError("unknown vessel \"" + name + "\"");
  return *v;
}

const Host::EndedVessel* Host::Ended(std::uint32_t serial) const {
  for (const EndedVessel& e : ended_)
    if (e.serial == serial) return &e;
  return nullptr;
}

void Host::ForeignCall(const char* call, const std::string& thread) {
  const std::lock_guard<std::mutex> lock(foreign_lock_);
  foreign_calls_.emplace_back(call, "called from " + thread + ", not the simulation thread (" +
                                        thread_text_ +
                                        "); the host's functions may be called only from the "
                                        "thread that runs the module's callbacks");
  foreign_pending_.store(true, std::memory_order_release);
}

void Host::RecordForeignCalls(const VesselRecord* vessel) {
  std::vector<std::pair<const char*, std::string>> calls;
  {
    const std::lock_guard<std::mutex> lock(foreign_lock_);
    calls.swap(foreign_calls_);
    foreign_pending_.store(false, std::memory_order_relaxed);
  }
  for (const auto& [call, what] : calls) Fault(vessel, call, what);
}

VesselRecord* Host::VesselBySerial(std::uint32_t serial) const {
  for (const auto& v : vessels_)
    if (v->serial == serial) return v.get();
  return nullptr;
}

void Host::SetFocus(const std::string& name) { focus_ = &Vessel(name); }

template <typename Fn>
auto Host::Callback(VesselRecord& vessel, const char* name, Fn&& fn) {
  VesselRecord* outer = current_;
  current_ = &vessel;
  // The host functions' fast path runs only in callbacks that begin
  // unobserved: nothing can start recording or wrap the answers while a
  // callback runs.
  const FastVesselFor fast(fast_vessel_, Unobserved() ? &vessel : nullptr);
  struct Restore {
    Host& host;
    VesselRecord* vessel;
    VesselRecord* outer;
    ~Restore() {
      host.CheckDebugLine(vessel);
      host.current_ = outer;
    }
  } restore{*this, &vessel, outer};
  return IntoModule(&vessel, name, [&] { return fn(static_cast<VESSEL2*>(vessel.vessel)); });
}

std::uint32_t Host::FreeSlot() {
  for (std::uint32_t i = 0; i < slots_.size(); ++i)
    if (slots_[i] == nullptr) return i;
  slots_.push_back(nullptr);
  return static_cast<std::uint32_t>(slots_.size() - 1);
}

VesselRecord& Host::CreateVessel(const std::string& name, int flight_model,
                                 const std::string& class_config) {
  if (!module_) throw HostError("no module loaded");
  if (FindVessel(name) != nullptr) throw HostError("vessel \"" + name + "\" already exists");
  auto record = std::make_unique<VesselRecord>();
  record->name = name;
  record->serial = NextSerial();
  record->flight_model = flight_model;
  record->class_config = class_config;
  const std::uint32_t slot = FreeSlot();
  record->handle = EncodeHandle(record->serial, HandleKind::kVessel, slot);
  VesselRecord& vessel = *record;
  vessels_.push_back(std::move(record));
  slots_[slot] = &vessel;
  current_ = &vessel;
  Announce(vessel, [&](LineText& line) {
    line += "ovcInit(vessel#1, ";
    AppendInteger(line, flight_model);
    line += ')';
  });
  VESSEL* created =
      IntoModule(&vessel, "ovcInit", [&] { return module_->ovcInit(vessel.handle, flight_model); });
  CheckDebugLine(&vessel);
  current_ = nullptr;
  if (created == nullptr) {
    slots_[slot] = nullptr;
    vessels_.pop_back();
    if (Faulted()) throw HostError(faults_.back().text);
    throw HostError("the module could not create vessel \"" + name + "\"");
  }
  vessel.vessel = created;
  Announce(vessel, "clbkSetClassCaps(config)");
  Callback(vessel, "clbkSetClassCaps",
           [&](VESSEL2* v) { v->clbkSetClassCaps(&vessel.class_config); });
  if (integrator_ != nullptr) integrator_->Placed(vessel);
  Announce(vessel, "clbkPostCreation()");
  Callback(vessel, "clbkPostCreation", [](VESSEL2* v) { v->clbkPostCreation(); });
  vessel.declared.Compact();
  if (focus_ == nullptr) focus_ = &vessel;
  return vessel;
}

void Host::DestroyVessel(const std::string& name) {
  auto it = std::find_if(vessels_.begin(), vessels_.end(),
                         [&](const auto& v) { return v->name == name; });
  if (it == vessels_.end()) throw HostError("unknown vessel \"" + name + "\"");
  VesselRecord* vessel = it->get();
  current_ = vessel;
  Announce(*vessel, "ovcExit(vessel#1)");
  IntoModule(vessel, "ovcExit", [&] { module_->ovcExit(vessel->vessel); });
  CheckDebugLine(vessel);
  current_ = nullptr;
  if (focus_ == vessel) focus_ = nullptr;
  slots_[DecodeHandle(vessel->handle).index] = nullptr;
  handle_names_.Forget(vessel->serial);
  if (ended_.size() == kEndedVesselsKept) ended_.pop_front();
  ended_.push_back({vessel->serial, vessel->name, step_});
  vessels_.erase(it);
  if (focus_ == nullptr && !vessels_.empty()) focus_ = vessels_.front().get();
}

void Host::Step() {
  answers_->StepStarting(*this);
  ++step_;
  const double dt = base_step_ * time_acceleration_;
  if (integrator_ != nullptr) integrator_->Integrate(vessels_, dt);
  sim_time_ += dt;
  const double mjd = kStartMjd + sim_time_ / kSecondsPerDay;
  for (std::size_t i = 0; i < vessels_.size(); ++i) {
    VesselRecord& vessel = *vessels_[i];
    vessel.declared.forces.clear();
    Announce(vessel, [&](LineText& line) {
      line += "clbkPostStep(";
      AppendNumber(line, sim_time_);
      line += ", ";
      AppendNumber(line, dt);
      line += ", ";
      AppendNumber(line, mjd);
      line += ')';
    });
    Callback(vessel, "clbkPostStep", [&](VESSEL2* v) { v->clbkPostStep(sim_time_, dt, mjd); });
  }
}

int Host::DeliverKey(const std::string& name, DWORD key, bool down, const char* kstate) {
  char state[OAPI_KEYSTATE_SIZE] = {};
  if (kstate != nullptr) std::memcpy(state, kstate, sizeof state);
  VesselRecord& vessel = Vessel(name);
  Announce(vessel, [&](LineText& line) {
    char code[8];
    std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned>(key));
    line += "clbkConsumeBufferedKey(";
    line += code;
    line += down ? ", down)" : ", up)";
  });
  return Callback(vessel, "clbkConsumeBufferedKey",
                  [&](VESSEL2* v) { return v->clbkConsumeBufferedKey(key, down, state); });
}

bool Host::LoadCockpit(const std::string& name) {
  VesselRecord& vessel = Vessel(name);
  Cockpit& cockpit = vessel.declared.cockpit;
  cockpit.hud.reset();
  cockpit.mfds.clear();
  cockpit.areas.clear();
  Announce(vessel, "clbkLoadVC(0)");
  return Callback(vessel, "clbkLoadVC", [](VESSEL2* v) { return v->clbkLoadVC(0); });
}

bool Host::DeliverCockpitEvent(const std::string& name, int area, int event, VECTOR3 point) {
  VesselRecord& vessel = Vessel(name);
  Announce(vessel, [&](LineText& line) {
    line += "clbkVCMouseEvent(";
    AppendInteger(line, area);
    line += ", ";
    AppendInteger(line, event);
    line += ", ";
    AppendVector(line, point);
    line += ')';
  });
  return Callback(vessel, "clbkVCMouseEvent",
                  [&](VESSEL2* v) { return v->clbkVCMouseEvent(area, event, point); });
}

void Host::CheckDebugLine(const VesselRecord* vessel) {
  debug_line_[sizeof debug_line_ - 1] = '\0';
  if (std::strcmp(debug_line_, debug_seen_) == 0) return;
  std::memcpy(debug_seen_, debug_line_, sizeof debug_seen_);
  if (!journal_.enabled) return;
  journal_.Add(step_, vessel == nullptr ? "-" : vessel->name,
               std::string(op::kDebugLine.name) + " " + FormatString(debug_line_));
}

void Host::Fault(const VesselRecord* vessel, const char* call, const std::string& what) {
  HostFault fault{step_, vessel == nullptr ? "-" : vessel->name, std::string(call) + ": " + what};
  if (journal_.enabled && held_faults_from_ == kNoneHeld) JournalFault(fault);
  faults_.push_back(std::move(fault));
}

void Host::JournalFault(const HostFault& fault) {
  journal_.Add(fault.step, fault.vessel,
               std::string(op::kFaultLine.name) + " " + FormatString(fault.text.c_str()));
}

void Host::JournalHeldFaults() {
  const std::size_t first = held_faults_from_;
  held_faults_from_ = kNoneHeld;
  if (journal_.enabled)
    for (std::size_t i = first; i < faults_.size(); ++i) JournalFault(faults_[i]);
}

MESHHANDLE Host::LoadMesh(const char* name) {
  const std::string text = name == nullptr ? "" : name;
  mesh_loads_.push_back(text);
  auto found = std::find(mesh_names_.begin(), mesh_names_.end(), text);
  const auto index = static_cast<std::uint32_t>(found - mesh_names_.begin());
  if (found == mesh_names_.end()) mesh_names_.push_back(text);
  return EncodeHandle(serial_, HandleKind::kMesh, index);
}

std::uint32_t Host::MeshIndex(MESHHANDLE mesh) const {
  const HandleCode code = DecodeHandle(mesh);
  if (code.kind != HandleKind::kMesh || code.owner != serial_ || code.index >= mesh_names_.size())
    return kNoIndex;
  return code.index;
}

}  // namespace vsim
