// The VESSEL members a module calls for animations and in every step.
#include "sim/functions/describe.h"
#include "sim/functions/perform.h"

using vsim::HandleKind;
using vsim::Thruster;
using vsim::functions::AsHandle;
using vsim::functions::AsIs;
using vsim::functions::Finite;
using vsim::functions::Full;
using vsim::functions::HandleArg;
using vsim::functions::Hot;
using vsim::functions::InRange;
using vsim::functions::Issued;
using vsim::functions::Lazy;
using vsim::functions::NewHandle;
using vsim::functions::Nothing;
using vsim::functions::Site;
namespace op = vsim::op;

namespace {

double Clamp(double value, double lo, double hi) {
  return value < lo ? lo : (value > hi ? hi : value);
}

}  // namespace

UINT VESSEL::CreateAnimation(double initial_state) const {
  const auto effect = [=](Site s, auto&) VSIM_EFFECT {
    std::vector<vsim::Animation>& animations = s.vessel->declared.animations;
    const double state = Finite(s, initial_state) ? initial_state : 0.0;
    animations.push_back({state, state});
    return static_cast<UINT>(animations.size() - 1);
  };
  return Full(vessel_handle, op::kCreateAnimation, 0u, effect, AsIs{}, initial_state);
}

ANIMATIONCOMPONENT_HANDLE VESSEL::AddAnimationComponent(UINT anim, double state0, double state1,
                                                        MGROUP_TRANSFORM* trans,
                                                        ANIMATIONCOMPONENT_HANDLE parent) const {
  const auto effect = [=](Site s, auto&) VSIM_EFFECT -> void* {
    vsim::Declared& d = s.vessel->declared;
    if (!InRange(s, anim, d.animations.size(), "animation")) return nullptr;
    if (!Finite(s, anim, state0, state1)) return nullptr;
    const std::uint32_t parent_index =
        vsim::functions::IndexOf(s, parent, HandleKind::kComponent, d.components.size());
    d.components.push_back({anim, state0, state1, trans, parent_index});
    return NewHandle(s, HandleKind::kComponent, d.components.size() - 1);
  };
  return Full(vessel_handle, op::kAddAnimationComponent, nullptr, effect, AsHandle{"component"},
              anim, state0, state1, Lazy([=] { return vsim::functions::Text(trans); }),
              HandleArg{"component", parent});
}

bool VESSEL::SetAnimation(UINT anim, double state) const {
  const auto effect = [=](Site s, auto&) VSIM_EFFECT {
    std::vector<vsim::Animation>& animations = s.vessel->declared.animations;
    if (!InRange(s, anim, animations.size(), "animation") || !Finite(s, 0.0, state)) return false;
    animations[anim].state = state;
    return true;
  };
  return Hot(vessel_handle, op::kSetAnimation, false, effect, AsIs{}, anim, state);
}

#define QUERY(Type, Method, Answer)                                                      \
  Type VESSEL::Method() const {                                                          \
    const auto effect = [](Site s, auto& a) VSIM_EFFECT { return a.Answer(*s.vessel); }; \
    return Hot(vessel_handle, op::k##Method, Type{}, effect, AsIs{});                    \
  }
QUERY(double, GetAltitude, Altitude)
QUERY(double, GetAirspeed, Airspeed)
QUERY(double, GetAOA, AOA)
QUERY(double, GetBank, Bank)
QUERY(bool, GroundContact, GroundContact)
QUERY(double, GetFuelMass, FuelMass)
#undef QUERY

double VESSEL::GetControlSurfaceLevel(AIRCTRL_TYPE type) const {
  const auto effect = [=](Site s, auto& a)
                          VSIM_EFFECT { return a.ControlSurfaceLevel(*s.vessel, type); };
  return Hot(vessel_handle, op::kGetControlSurfaceLevel, 0.0, effect, AsIs{},
             static_cast<int>(type));
}

namespace {

[[gnu::always_inline]] inline Thruster* IssuedThruster(Site s, THRUSTER_HANDLE th) {
  return Issued(s, th, HandleKind::kThruster, s.vessel->declared.thrusters);
}

}  // namespace

double VESSEL::GetThrusterLevel(THRUSTER_HANDLE th) const {
  const auto effect = [=](Site s, auto& a) VSIM_EFFECT {
    const Thruster* t = IssuedThruster(s, th);
    return t == nullptr ? 0.0 : a.ThrusterLevel(*s.vessel, *t);
  };
  return Hot(vessel_handle, op::kGetThrusterLevel, 0.0, effect, AsIs{}, HandleArg{"thruster", th});
}

void VESSEL::SetThrusterLevel(THRUSTER_HANDLE th, double level) const {
  const auto effect = [=](Site s, auto&) VSIM_EFFECT {
    if (Thruster* t = IssuedThruster(s, th))
      if (Finite(s, 0.0, level)) t->level = Clamp(level, 0, 1);
  };
  Hot(vessel_handle, op::kSetThrusterLevel, Nothing{}, effect, AsIs{}, HandleArg{"thruster", th},
      level);
}

void VESSEL::SetThrusterDir(THRUSTER_HANDLE th, const VECTOR3& dir) const {
  const auto effect = [&](Site s, auto&) VSIM_EFFECT {
    if (Thruster* t = IssuedThruster(s, th))
      if (Finite(s, 0.0, dir)) t->dir = dir;
  };
  Hot(vessel_handle, op::kSetThrusterDir, Nothing{}, effect, AsIs{}, HandleArg{"thruster", th},
      dir);
}

void VESSEL::SetThrusterMax0(THRUSTER_HANDLE th, double maxth0) const {
  const auto effect = [=](Site s, auto&) VSIM_EFFECT {
    if (Thruster* t = IssuedThruster(s, th))
      if (Finite(s, 0.0, maxth0)) t->max0 = maxth0;
  };
  Hot(vessel_handle, op::kSetThrusterMax0, Nothing{}, effect, AsIs{}, HandleArg{"thruster", th},
      maxth0);
}

void VESSEL::SetFuelMass(double m) const {
  const auto effect = [=](Site s, auto&) VSIM_EFFECT {
    std::vector<vsim::Propellant>& propellants = s.vessel->declared.propellants;
    if (propellants.empty() || !Finite(s, m)) return;
    propellants.front().mass = Clamp(m, 0, propellants.front().max_mass);
  };
  Full(vessel_handle, op::kSetFuelMass, Nothing{}, effect, AsIs{}, m);
}

void VESSEL::AddForce(const VECTOR3& F, const VECTOR3& r) const {
  const auto effect = [&](Site s, auto&) VSIM_EFFECT {
    if (Finite(s, F, r)) s.vessel->declared.forces.push_back({F, r});
  };
  Full(vessel_handle, op::kAddForce, Nothing{}, effect, AsIs{}, F, r);
}
