// The VESSEL members a module calls for animations and in every step.
#include "sim/functions/checks.h"
#include "sim/functions/describe.h"
#include "sim/functions/record.h"

using vsim::HandleKind;
using vsim::functions::Finite;
using vsim::functions::HandleArg;
using vsim::functions::InRange;
using vsim::functions::Issued;
using vsim::functions::Lazy;
using vsim::functions::NewHandle;
using vsim::functions::Record;
using vsim::functions::Returns;

namespace {

double Clamp(double value, double lo, double hi) {
  return value < lo ? lo : (value > hi ? hi : value);
}

}  // namespace

UINT VESSEL::CreateAnimation(double initial_state) const {
  VSIM_VESSEL_OR_RETURN("CreateAnimation", 0);
  const auto index = static_cast<UINT>(d.animations.size());
  Record(*host, &v, "CreateAnimation", initial_state, Returns(index));
  const double state = Finite(*host, &v, "CreateAnimation", initial_state) ? initial_state : 0.0;
  d.animations.push_back({state, state});
  return index;
}

ANIMATIONCOMPONENT_HANDLE VESSEL::AddAnimationComponent(UINT anim, double state0, double state1,
                                                        MGROUP_TRANSFORM* trans,
                                                        ANIMATIONCOMPONENT_HANDLE parent) const {
  VSIM_VESSEL_OR_RETURN("AddAnimationComponent", nullptr);
  if (!InRange(*host, v, anim, d.animations.size(), "animation", "AddAnimationComponent")) {
    Record(*host, &v, "AddAnimationComponent", anim, state0, state1,
           Lazy([&] { return vsim::functions::Text(trans); }), HandleArg{"component", parent});
    return nullptr;
  }
  if (!Finite(*host, &v, "AddAnimationComponent", anim, state0, state1)) return nullptr;
  const std::uint32_t parent_index = vsim::functions::IndexOf(
      *host, v, parent, HandleKind::kComponent, d.components.size(), "AddAnimationComponent");
  d.components.push_back({anim, state0, state1, trans, parent_index});
  const auto index = static_cast<std::uint32_t>(d.components.size() - 1);
  void* handle = NewHandle(*host, v, HandleKind::kComponent, index);
  Record(*host, &v, "AddAnimationComponent", anim, state0, state1,
         Lazy([&] { return vsim::functions::Text(trans); }), HandleArg{"component", parent},
         Returns(HandleArg{"component", handle}));
  return handle;
}

namespace {

[[gnu::noinline]] bool FullSetAnimation(OBJHANDLE vessel_handle, UINT anim, double state) {
  VSIM_VESSEL_OR_RETURN("SetAnimation", false);
  const bool known = anim < d.animations.size();
  Record(*host, &v, "SetAnimation", anim, state, Returns(known));
  if (!InRange(*host, v, anim, d.animations.size(), "animation", "SetAnimation")) return false;
  if (!Finite(*host, &v, "SetAnimation", anim, state)) return false;
  d.animations[anim].state = state;
  return true;
}

}  // namespace

bool VESSEL::SetAnimation(UINT anim, double state) const {
  VSIM_FAST_VESSEL(fast);
  if (fast != nullptr && anim < fast->declared.animations.size() && std::isfinite(state)) {
    fast->declared.animations[anim].state = state;
    return true;
  }
  return FullSetAnimation(vessel_handle, anim, state);
}

#define QUERY(Type, Method, Answer)                                          \
  namespace {                                                                \
  [[gnu::noinline]] Type Full##Method(OBJHANDLE vessel_handle) {             \
    VSIM_VESSEL_OR_RETURN(#Method, Type{});                                  \
    const Type answer = host->Ask([&](auto& a) { return a.Answer(v); });     \
    Record(*host, &v, #Method, Returns(answer));                             \
    return answer;                                                           \
  }                                                                          \
  }                                                                          \
  Type VESSEL::Method() const {                                              \
    VSIM_FAST_VESSEL(fast);                                                  \
    if (fast != nullptr) return vsim::functions::core_answers.Answer(*fast); \
    return Full##Method(vessel_handle);                                      \
  }
QUERY(double, GetAltitude, Altitude)
QUERY(double, GetAirspeed, Airspeed)
QUERY(double, GetAOA, AOA)
QUERY(double, GetBank, Bank)
QUERY(bool, GroundContact, GroundContact)
QUERY(double, GetFuelMass, FuelMass)
#undef QUERY

namespace {

[[gnu::noinline]] double FullGetControlSurfaceLevel(OBJHANDLE vessel_handle, AIRCTRL_TYPE type) {
  VSIM_VESSEL_OR_RETURN("GetControlSurfaceLevel", 0.0);
  const double level = host->Ask([&](auto& a) { return a.ControlSurfaceLevel(v, type); });
  Record(*host, &v, "GetControlSurfaceLevel", static_cast<int>(type), Returns(level));
  return level;
}

}  // namespace

double VESSEL::GetControlSurfaceLevel(AIRCTRL_TYPE type) const {
  VSIM_FAST_VESSEL(fast);
  if (fast != nullptr) return vsim::functions::core_answers.ControlSurfaceLevel(*fast, type);
  return FullGetControlSurfaceLevel(vessel_handle, type);
}

namespace {

// The vessel's own thruster for a handle on the fast path, or null.
[[gnu::always_inline]] inline vsim::Thruster* FastThruster(vsim::VesselRecord* vessel,
                                                           THRUSTER_HANDLE th) {
  if (vessel == nullptr) return nullptr;
  return vsim::functions::Own(*vessel, th, HandleKind::kThruster, vessel->declared.thrusters);
}

[[gnu::noinline]] double FullGetThrusterLevel(OBJHANDLE vessel_handle, THRUSTER_HANDLE th) {
  VSIM_VESSEL_OR_RETURN("GetThrusterLevel", 0.0);
  const vsim::Thruster* t =
      Issued(*host, v, th, HandleKind::kThruster, d.thrusters, "GetThrusterLevel");
  const double level =
      t == nullptr ? 0.0 : host->Ask([&](auto& a) { return a.ThrusterLevel(v, *t); });
  Record(*host, &v, "GetThrusterLevel", HandleArg{"thruster", th}, Returns(level));
  return level;
}

[[gnu::noinline]] void FullSetThrusterLevel(OBJHANDLE vessel_handle, THRUSTER_HANDLE th,
                                            double level) {
  VSIM_VESSEL_OR_RETURN("SetThrusterLevel");
  Record(*host, &v, "SetThrusterLevel", HandleArg{"thruster", th}, level);
  if (vsim::Thruster* t =
          Issued(*host, v, th, HandleKind::kThruster, d.thrusters, "SetThrusterLevel"))
    if (Finite(*host, &v, "SetThrusterLevel", 0.0, level)) t->level = Clamp(level, 0, 1);
}

[[gnu::noinline]] void FullSetThrusterDir(OBJHANDLE vessel_handle, THRUSTER_HANDLE th,
                                          const VECTOR3& dir) {
  VSIM_VESSEL_OR_RETURN("SetThrusterDir");
  Record(*host, &v, "SetThrusterDir", HandleArg{"thruster", th}, dir);
  if (vsim::Thruster* t =
          Issued(*host, v, th, HandleKind::kThruster, d.thrusters, "SetThrusterDir"))
    if (Finite(*host, &v, "SetThrusterDir", 0.0, dir)) t->dir = dir;
}

[[gnu::noinline]] void FullSetThrusterMax0(OBJHANDLE vessel_handle, THRUSTER_HANDLE th,
                                           double maxth0) {
  VSIM_VESSEL_OR_RETURN("SetThrusterMax0");
  Record(*host, &v, "SetThrusterMax0", HandleArg{"thruster", th}, maxth0);
  if (vsim::Thruster* t =
          Issued(*host, v, th, HandleKind::kThruster, d.thrusters, "SetThrusterMax0"))
    if (Finite(*host, &v, "SetThrusterMax0", 0.0, maxth0)) t->max0 = maxth0;
}

}  // namespace

double VESSEL::GetThrusterLevel(THRUSTER_HANDLE th) const {
  VSIM_FAST_VESSEL(fast);
  if (const vsim::Thruster* t = FastThruster(fast, th))
    return vsim::functions::core_answers.ThrusterLevel(*fast, *t);
  return FullGetThrusterLevel(vessel_handle, th);
}

void VESSEL::SetThrusterLevel(THRUSTER_HANDLE th, double level) const {
  VSIM_FAST_VESSEL(fast);
  vsim::Thruster* t = FastThruster(fast, th);
  if (t != nullptr && std::isfinite(level)) {
    t->level = Clamp(level, 0, 1);
    return;
  }
  FullSetThrusterLevel(vessel_handle, th, level);
}

void VESSEL::SetThrusterDir(THRUSTER_HANDLE th, const VECTOR3& dir) const {
  VSIM_FAST_VESSEL(fast);
  vsim::Thruster* t = FastThruster(fast, th);
  if (t != nullptr && vsim::functions::IsFinite(dir)) {
    t->dir = dir;
    return;
  }
  FullSetThrusterDir(vessel_handle, th, dir);
}

void VESSEL::SetThrusterMax0(THRUSTER_HANDLE th, double maxth0) const {
  VSIM_FAST_VESSEL(fast);
  vsim::Thruster* t = FastThruster(fast, th);
  if (t != nullptr && std::isfinite(maxth0)) {
    t->max0 = maxth0;
    return;
  }
  FullSetThrusterMax0(vessel_handle, th, maxth0);
}

void VESSEL::SetFuelMass(double m) const {
  VSIM_VESSEL_OR_RETURN("SetFuelMass");
  Record(*host, &v, "SetFuelMass", m);
  if (d.propellants.empty() || !Finite(*host, &v, "SetFuelMass", m)) return;
  vsim::Propellant& p = d.propellants.front();
  p.mass = Clamp(m, 0, p.max_mass);
}

void VESSEL::AddForce(const VECTOR3& F, const VECTOR3& r) const {
  VSIM_VESSEL_OR_RETURN("AddForce");
  Record(*host, &v, "AddForce", F, r);
  if (Finite(*host, &v, "AddForce", F, r)) d.forces.push_back({F, r});
}
