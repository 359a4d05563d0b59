// The VESSEL members a module calls to declare its vessel.
#include <cstring>

#include "sim/functions/describe.h"
#include "sim/functions/perform.h"

using vsim::HandleKind;
using vsim::functions::AsHandle;
using vsim::functions::AsIs;
using vsim::functions::Finite;
using vsim::functions::Full;
using vsim::functions::HandleArg;
using vsim::functions::Hot;
using vsim::functions::Lazy;
using vsim::functions::Maybe;
using vsim::functions::NewHandle;
using vsim::functions::Nothing;
using vsim::functions::Present;
using vsim::functions::Site;
namespace op = vsim::op;

VESSEL::VESSEL(OBJHANDLE hVessel, int fmodel) : vessel_handle(hVessel), flight_model(fmodel) {}

OBJHANDLE VESSEL::GetHandle() const {
  const auto effect = [](Site s, auto&) VSIM_EFFECT { return s.vessel->handle; };
  return Full(vessel_handle, op::kGetHandle, nullptr, effect, AsHandle{"vessel"});
}

int VESSEL::GetFlightModel() const {
  const auto effect = [](Site s, auto&) VSIM_EFFECT { return s.vessel->flight_model; };
  return Full(vessel_handle, op::kGetFlightModel, 0, effect, AsIs{});
}

#define SET_FIELD(Method, Type, field)                                    \
  void VESSEL::Method(Type value) const {                                 \
    const auto effect = [&](Site s, auto&) VSIM_EFFECT {                  \
      if (Finite(s, value)) s.vessel->declared.field = value;             \
    };                                                                    \
    Full(vessel_handle, op::k##Method, Nothing{}, effect, AsIs{}, value); \
  }
SET_FIELD(SetSize, double, size)
SET_FIELD(SetEmptyMass, double, empty_mass)
SET_FIELD(SetWingAspect, double, wing_aspect)
SET_FIELD(SetWingEffectiveness, double, wing_effectiveness)
SET_FIELD(SetPitchMomentScale, double, pitch_moment_scale)
SET_FIELD(SetBankMomentScale, double, bank_moment_scale)
SET_FIELD(SetTrimScale, double, trim_scale)
SET_FIELD(SetPMI, const VECTOR3&, pmi)
SET_FIELD(SetCrossSections, const VECTOR3&, cross_sections)
SET_FIELD(SetRotDrag, const VECTOR3&, rot_drag)
#undef SET_FIELD

// Set again in every step as the helicopter's envelope changes: both take
// the fast path.
void VESSEL::SetCW(double cw_z_pos, double cw_z_neg, double cw_x, double cw_y) const {
  const auto effect = [=](Site s, auto&) VSIM_EFFECT {
    if (!Finite(s, cw_z_pos, cw_z_neg, cw_x, cw_y)) return;
    double* cw = s.vessel->declared.cw;
    cw[0] = cw_z_pos;
    cw[1] = cw_z_neg;
    cw[2] = cw_x;
    cw[3] = cw_y;
  };
  Hot(vessel_handle, op::kSetCW, Nothing{}, effect, AsIs{}, cw_z_pos, cw_z_neg, cw_x, cw_y);
}

void VESSEL::SetTouchdownPoints(const VECTOR3& pt1, const VECTOR3& pt2, const VECTOR3& pt3) const {
  const auto effect = [&](Site s, auto&) VSIM_EFFECT {
    if (!Finite(s, pt1, pt2, pt3)) return;
    VECTOR3* touchdown = s.vessel->declared.touchdown;
    touchdown[0] = pt1;
    touchdown[1] = pt2;
    touchdown[2] = pt3;
  };
  Hot(vessel_handle, op::kSetTouchdownPoints, Nothing{}, effect, AsIs{}, pt1, pt2, pt3);
}

void VESSEL::SetSurfaceFrictionCoeff(double mu_lng, double mu_lat) const {
  const auto effect = [=](Site s, auto&) VSIM_EFFECT {
    if (!Finite(s, mu_lng, mu_lat)) return;
    s.vessel->declared.friction_lng = mu_lng;
    s.vessel->declared.friction_lat = mu_lat;
  };
  Full(vessel_handle, op::kSetSurfaceFrictionCoeff, Nothing{}, effect, AsIs{}, mu_lng, mu_lat);
}

PROPELLANT_HANDLE VESSEL::CreatePropellantResource(double maxmass, double mass,
                                                   double efficiency) const {
  const auto effect = [=](Site s, auto&) VSIM_EFFECT -> void* {
    if (!Finite(s, maxmass, mass, efficiency)) return nullptr;
    std::vector<vsim::Propellant>& propellants = s.vessel->declared.propellants;
    propellants.push_back({maxmass, mass < 0 ? maxmass : mass, efficiency});
    return NewHandle(s, HandleKind::kPropellant, propellants.size() - 1);
  };
  return Full(vessel_handle, op::kCreatePropellantResource, nullptr, effect, AsHandle{"propellant"},
              maxmass, mass, efficiency);
}

THRUSTER_HANDLE VESSEL::CreateThruster(const VECTOR3& pos, const VECTOR3& dir, double maxth0,
                                       PROPELLANT_HANDLE hp, double isp0, double isp_ref,
                                       double p_ref) const {
  const auto effect = [&](Site s, auto&) VSIM_EFFECT -> void* {
    if (!Finite(s, pos, dir, maxth0, 0.0, isp0, isp_ref, p_ref)) return nullptr;
    vsim::Declared& d = s.vessel->declared;
    const std::uint32_t resource =
        vsim::functions::IndexOf(s, hp, HandleKind::kPropellant, d.propellants.size());
    d.thrusters.push_back({pos, dir, maxth0, resource, isp0, isp_ref, p_ref, 0.0});
    return NewHandle(s, HandleKind::kThruster, d.thrusters.size() - 1);
  };
  return Full(vessel_handle, op::kCreateThruster, nullptr, effect, AsHandle{"thruster"}, pos, dir,
              maxth0, HandleArg{"propellant", hp}, isp0, isp_ref, p_ref);
}

THGROUP_HANDLE VESSEL::CreateThrusterGroup(THRUSTER_HANDLE* th, int nth, THGROUP_TYPE type) const {
  const int count = th == nullptr || nth < 0 ? 0 : nth;
  const auto effect = [=](Site s, auto&) VSIM_EFFECT {
    if (count != nth) s.Fault("no thruster list for nth " + std::to_string(nth));
    vsim::Declared& d = s.vessel->declared;
    vsim::ThrusterGroup group{type, {}};
    for (int i = 0; i < count; ++i) {
      const std::uint32_t index =
          vsim::functions::IndexOf(s, th[i], HandleKind::kThruster, d.thrusters.size());
      if (index != vsim::kNoIndex) group.members.push_back(index);
    }
    return NewHandle(s, HandleKind::kGroup, d.AddGroup(std::move(group)));
  };
  const auto names = [=](vsim::Host& host, const vsim::VesselRecord* vessel) {
    std::string text;
    for (int i = 0; i < count; ++i)
      text += (i == 0 ? "" : ", ") + vsim::HandleText(host, vessel, "thruster", th[i]);
    return "[" + text + "]";
  };
  return Full(vessel_handle, op::kCreateThrusterGroup, nullptr, effect, AsHandle{"group"},
              Lazy(names), nth, static_cast<int>(type));
}

PSTREAM_HANDLE VESSEL::AddExhaustStream(THRUSTER_HANDLE th, const VECTOR3& pos,
                                        PARTICLESTREAMSPEC* pss) const {
  const auto effect = [&](Site s, auto&) VSIM_EFFECT -> void* {
    if (!Present(s, pss, "particle stream")) return nullptr;
    vsim::Declared& d = s.vessel->declared;
    const std::uint32_t thruster =
        vsim::functions::IndexOf(s, th, HandleKind::kThruster, d.thrusters.size());
    d.exhausts.push_back({thruster, pos, *pss});
    return NewHandle(s, HandleKind::kExhaust, d.exhausts.size() - 1);
  };
  const auto stream_text = [=](vsim::Host& host, const vsim::VesselRecord* vessel) {
    return pss == nullptr ? std::string("null") : vsim::functions::Text(*pss, host, vessel);
  };
  return Full(vessel_handle, op::kAddExhaustStream, nullptr, effect, AsHandle{"exhaust"},
              HandleArg{"thruster", th}, pos, Lazy(stream_text));
}

bool VESSEL::AddBeacon(BEACONLIGHTSPEC* bs) {
  const auto effect = [=](Site s, auto&) VSIM_EFFECT {
    if (!Present(s, bs, "beacon")) return false;
    s.vessel->declared.beacons.push_back(bs);
    return true;
  };
  return Full(vessel_handle, op::kAddBeacon, false, effect, AsIs{},
              Lazy([=] { return bs == nullptr ? "null" : vsim::functions::Text(*bs); }));
}

AIRFOILHANDLE VESSEL::CreateAirfoil(AIRFOIL_ORIENTATION align, const VECTOR3& ref,
                                    AirfoilCoeffFunc cf, double c, double S, double A) const {
  const auto effect = [&](Site s, auto&) VSIM_EFFECT -> void* {
    if (!Finite(s, 0.0, ref, 0.0, c, S, A)) return nullptr;
    std::vector<vsim::Airfoil>& airfoils = s.vessel->declared.airfoils;
    airfoils.push_back({align, ref, cf, c, S, A});
    return NewHandle(s, HandleKind::kAirfoil, airfoils.size() - 1);
  };
  const void* fn = nullptr;
  std::memcpy(&fn, &cf, sizeof fn);
  return Full(vessel_handle, op::kCreateAirfoil, nullptr, effect, AsHandle{"airfoil"},
              static_cast<int>(align), ref, HandleArg{"function", fn}, c, S, A);
}

UINT VESSEL::CreateVariableDragElement(const double* drag, double factor,
                                       const VECTOR3& ref) const {
  const auto effect = [&](Site s, auto&) VSIM_EFFECT -> UINT {
    if (!Present(s, drag, "drag level") || !Finite(s, 0.0, factor, ref)) return 0;
    std::vector<vsim::DragElement>& elements = s.vessel->declared.drag_elements;
    elements.push_back({drag, factor, ref});
    return static_cast<UINT>(elements.size() - 1);
  };
  return Full(vessel_handle, op::kCreateVariableDragElement, 0u, effect, AsIs{},
              Lazy([=] { return drag == nullptr ? "null" : "&" + vsim::FormatNumber(*drag); }),
              factor, ref);
}

UINT VESSEL::AddMesh(MESHHANDLE hMesh, const VECTOR3* ofs) const {
  const auto effect = [=](Site s, auto&) VSIM_EFFECT {
    vsim::Mesh mesh;
    mesh.mesh = s.host().MeshIndex(hMesh);
    if (hMesh != nullptr && mesh.mesh == vsim::kNoIndex) s.Fault("unknown mesh handle");
    if (ofs != nullptr && Finite(s, 0.0, *ofs)) mesh.offset = *ofs;
    std::vector<vsim::Mesh>& meshes = s.vessel->declared.meshes;
    meshes.push_back(mesh);
    return static_cast<UINT>(meshes.size() - 1);
  };
  return Full(vessel_handle, op::kAddMesh, 0u, effect, AsIs{}, HandleArg{"mesh", hMesh},
              Maybe(ofs));
}

void VESSEL::SetMeshVisibilityMode(UINT idx, WORD mode) const {
  const auto effect = [=](Site s, auto&) VSIM_EFFECT {
    std::vector<vsim::Mesh>& meshes = s.vessel->declared.meshes;
    if (vsim::functions::InRange(s, idx, meshes.size(), "mesh")) meshes[idx].visibility = mode;
  };
  Full(vessel_handle, op::kSetMeshVisibilityMode, Nothing{}, effect, AsIs{}, idx,
       static_cast<unsigned>(mode));
}

void VESSEL::SetCameraOffset(const VECTOR3& co) const {
  const auto effect = [&](Site s, auto&) VSIM_EFFECT {
    if (Finite(s, co)) s.vessel->declared.cockpit.camera_offset = co;
  };
  Full(vessel_handle, op::kSetCameraOffset, Nothing{}, effect, AsIs{}, co);
}

void VESSEL::SetCameraDefaultDirection(const VECTOR3& cd) const {
  const auto effect = [&](Site s, auto&) VSIM_EFFECT {
    if (Finite(s, cd)) s.vessel->declared.cockpit.camera_direction = cd;
  };
  Full(vessel_handle, op::kSetCameraDefaultDirection, Nothing{}, effect, AsIs{}, cd);
}

void VESSEL::SetCameraRotationRange(double left, double right, double up, double down) const {
  const auto effect = [=](Site s, auto&) VSIM_EFFECT {
    if (!Finite(s, left, right, up, down)) return;
    double* range = s.vessel->declared.cockpit.rotation_range;
    range[0] = left;
    range[1] = right;
    range[2] = up;
    range[3] = down;
  };
  Full(vessel_handle, op::kSetCameraRotationRange, Nothing{}, effect, AsIs{}, left, right, up,
       down);
}
