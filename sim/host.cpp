#include "sim/host.h"

#include <algorithm>
#include <cstring>

#include "sim/library.h"

namespace vsim {

namespace {
Host* active_host = nullptr;
constexpr double kStartMjd = 51544.5;
constexpr double kSecondsPerDay = 86400.0;
}  // namespace

double VesselRecord::FuelMass() const {
  return propellants.empty() ? 0.0 : propellants.front().mass;
}

double VesselRecord::Mass() const {
  double mass = empty_mass;
  for (const Propellant& p : propellants) mass += p.mass;
  return mass;
}

const ThrusterGroup* VesselRecord::Group(THGROUP_TYPE type) const {
  for (const ThrusterGroup& g : groups)
    if (g.type == type) return &g;
  return nullptr;
}

Thruster* VesselRecord::GroupMember(THGROUP_TYPE type) const {
  const ThrusterGroup* g = Group(type);
  return g == nullptr || g->members.empty() ? nullptr : g->members.front();
}

Host::Host() {
  previous_active_ = active_host;
  active_host = this;
  no_vessel_.name = "-";
}

Host::~Host() {
  try {
    UnloadModule();
  } catch (...) {
  }
  sound_.reset();
  active_host = previous_active_;
}

Host& Host::Active() {
  if (active_host == nullptr) throw HostError("no host is running");
  return *active_host;
}

void Host::LoadModule(const std::string& path) {
  if (module_) throw HostError(path + ": a module is already loaded");
  current_ = nullptr;
  module_ = std::make_unique<ModuleLibrary>(path);
}

void Host::UnloadModule() {
  while (!vessels_.empty()) DestroyVessel(vessels_.back()->name);
  current_ = nullptr;
  module_.reset();
  module_instance_ = nullptr;
}

bool Host::ModuleLoaded() const { return module_ != nullptr; }

const char* Host::ModuleDate() {
  if (!module_) throw HostError("no module loaded");
  return module_->ModuleDate();
}

int Host::ModuleVersion() {
  if (!module_) throw HostError("no module loaded");
  return module_->GetModuleVersion();
}

void Host::LoadSoundLibrary(const std::string& path) {
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

VesselRecord* Host::VesselFromHandle(OBJHANDLE handle) {
  for (auto& v : vessels_)
    if (v.get() == handle) return v.get();
  return nullptr;
}

void Host::SetFocus(const std::string& name) { focus_ = &Vessel(name); }

template <typename Fn>
auto Host::Callback(VesselRecord& vessel, Fn&& fn) {
  VesselRecord* outer = current_;
  current_ = &vessel;
  struct Restore {
    Host& host;
    VesselRecord* vessel;
    VesselRecord* outer;
    ~Restore() {
      host.CheckDebugLine(vessel);
      host.current_ = outer;
    }
  } restore{*this, &vessel, outer};
  return fn(static_cast<VESSEL2*>(vessel.vessel));
}

VesselRecord& Host::CreateVessel(const std::string& name, int flight_model,
                                 const std::string& class_config) {
  if (!module_) throw HostError("no module loaded");
  if (FindVessel(name) != nullptr) throw HostError("vessel \"" + name + "\" already exists");
  auto record = std::make_unique<VesselRecord>();
  record->name = name;
  record->flight_model = flight_model;
  record->class_config = class_config;
  VesselRecord& vessel = *record;
  vessels_.push_back(std::move(record));
  current_ = &vessel;
  VESSEL* created = module_->ovcInit(&vessel, flight_model);
  CheckDebugLine(&vessel);
  current_ = nullptr;
  if (created == nullptr) {
    vessels_.pop_back();
    throw HostError("the module could not create vessel \"" + name + "\"");
  }
  vessel.vessel = created;
  Callback(vessel, [&](VESSEL2* v) { v->clbkSetClassCaps(&vessel.class_config); });
  if (physics_) physics_->OnCreate(vessel);
  Callback(vessel, [](VESSEL2* v) { v->clbkPostCreation(); });
  if (focus_ == nullptr) focus_ = &vessel;
  return vessel;
}

void Host::DestroyVessel(const std::string& name) {
  auto it = std::find_if(vessels_.begin(), vessels_.end(),
                         [&](const auto& v) { return v->name == name; });
  if (it == vessels_.end()) throw HostError("unknown vessel \"" + name + "\"");
  VesselRecord* vessel = it->get();
  current_ = vessel;
  module_->ovcExit(vessel->vessel);
  CheckDebugLine(vessel);
  current_ = nullptr;
  if (focus_ == vessel) focus_ = nullptr;
  vessels_.erase(it);
  if (focus_ == nullptr && !vessels_.empty()) focus_ = vessels_.front().get();
}

void Host::ApplyPendingTimeAcceleration() {
  if (!has_pending_time_acceleration_) return;
  time_acceleration_ = pending_time_acceleration_;
  has_pending_time_acceleration_ = false;
}

void Host::SetTimeAcceleration(double factor) { time_acceleration_ = factor; }

void Host::ModuleSetTimeAcceleration(double factor) {
  if (defer_time_acceleration_) {
    pending_time_acceleration_ = factor;
    has_pending_time_acceleration_ = true;
  } else {
    time_acceleration_ = factor;
  }
}

void Host::Step() {
  ApplyPendingTimeAcceleration();
  ++step_;
  const double dt = base_step_ * time_acceleration_;
  if (physics_) physics_->Integrate(vessels_, dt);
  sim_time_ += dt;
  const double mjd = kStartMjd + sim_time_ / kSecondsPerDay;
  for (std::size_t i = 0; i < vessels_.size(); ++i) {
    VesselRecord& vessel = *vessels_[i];
    vessel.forces.clear();
    Callback(vessel, [&](VESSEL2* v) { v->clbkPostStep(sim_time_, dt, mjd); });
  }
}

int Host::DeliverKey(const std::string& name, DWORD key, bool down, const char* kstate) {
  char state[OAPI_KEYSTATE_SIZE] = {};
  if (kstate != nullptr) std::memcpy(state, kstate, sizeof state);
  return Callback(Vessel(name),
                  [&](VESSEL2* v) { return v->clbkConsumeBufferedKey(key, down, state); });
}

bool Host::LoadCockpit(const std::string& name) {
  VesselRecord& vessel = Vessel(name);
  vessel.cockpit.hud.reset();
  vessel.cockpit.mfds.clear();
  vessel.cockpit.areas.clear();
  return Callback(vessel, [](VESSEL2* v) { return v->clbkLoadVC(0); });
}

bool Host::DeliverCockpitEvent(const std::string& name, int area, int event, VECTOR3 point) {
  return Callback(Vessel(name),
                  [&](VESSEL2* v) { return v->clbkVCMouseEvent(area, event, point); });
}

void Host::CheckDebugLine(VesselRecord* vessel) {
  debug_line_[sizeof debug_line_ - 1] = '\0';
  if (std::strcmp(debug_line_, debug_seen_) == 0) return;
  std::memcpy(debug_seen_, debug_line_, sizeof debug_seen_);
  if (!journal_.enabled) return;
  journal_.Add(step_, vessel == nullptr ? "-" : vessel->name, "debug " + FormatString(debug_line_));
}

MESHHANDLE Host::LoadMesh(const std::string& name) {
  mesh_names_.push_back(name);
  for (std::string& mesh : mesh_store_)
    if (mesh == name) return &mesh;
  mesh_store_.push_back(name);
  return &mesh_store_.back();
}

std::vector<std::string> Host::Calls(const std::string& vessel, const std::string& name) const {
  std::vector<std::string> calls;
  for (const CallEntry& entry : journal_.Entries())
    if (entry.vessel == vessel && (name.empty() || entry.Name() == name))
      calls.push_back(entry.call);
  return calls;
}

std::string Host::HandleName(VesselRecord* vessel, const char* kind, const void* handle) {
  if (handle == nullptr) return "null";
  VesselRecord& owner = vessel == nullptr ? no_vessel_ : *vessel;
  auto found = owner.handle_names.find(handle);
  if (found != owner.handle_names.end()) return found->second;
  std::string name = std::string(kind) + "#" + std::to_string(++owner.handle_counts[kind]);
  owner.handle_names.emplace(handle, name);
  return name;
}

void Host::NoteSoundId(OBJHANDLE handle, int id) {
  if (VesselRecord* vessel = VesselFromHandle(handle)) vessel->sound_id = id;
}

void Host::NoteSoundRequest(OBJHANDLE handle, const std::string& call, int slot, const char* kind,
                            const char* wave, int loop, int volume, int frequency) {
  VesselRecord* vessel = VesselFromHandle(handle);
  if (journal_.enabled) journal_.Add(step_, vessel == nullptr ? "-" : vessel->name, call);
  if (vessel == nullptr || slot == 0) return;
  SoundSlot& s = vessel->sound_slots[slot];
  s.last = kind;
  if (wave != nullptr) s.wave = wave;
  s.loop = loop;
  s.volume = volume;
  s.frequency = frequency;
}

void AppendArg(std::string& out, Host&, VesselRecord*, double value) { out += FormatNumber(value); }
void AppendArg(std::string& out, Host&, VesselRecord*, int value) { out += std::to_string(value); }
void AppendArg(std::string& out, Host&, VesselRecord*, unsigned value) {
  out += std::to_string(value);
}
void AppendArg(std::string& out, Host&, VesselRecord*, bool value) {
  out += value ? "true" : "false";
}
void AppendArg(std::string& out, Host&, VesselRecord*, const char* value) {
  out += FormatString(value);
}
void AppendArg(std::string& out, Host&, VesselRecord*, const VECTOR3& value) {
  out += FormatVector(value);
}
void AppendArg(std::string& out, Host& host, VesselRecord* vessel, const HandleArg& value) {
  out += host.HandleName(vessel, value.kind, value.handle);
}

}  // namespace vsim
