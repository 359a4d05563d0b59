// The VESSEL members a module calls to declare its vessel.
#include <cstring>

#include "sim/functions/checks.h"
#include "sim/functions/describe.h"
#include "sim/functions/record.h"

using vsim::ActiveHost;
using vsim::HandleKind;
using vsim::Host;
using vsim::VesselRecord;
using vsim::functions::Finite;
using vsim::functions::HandleArg;
using vsim::functions::Issued;
using vsim::functions::Lazy;
using vsim::functions::NewHandle;
using vsim::functions::Present;
using vsim::functions::Record;
using vsim::functions::Resolve;
using vsim::functions::Returns;

VESSEL::VESSEL(OBJHANDLE hVessel, int fmodel) : vessel_handle(hVessel), flight_model(fmodel) {}

OBJHANDLE VESSEL::GetHandle() const {
  VSIM_VESSEL_OR_RETURN("GetHandle", nullptr);
  Record(*host, &v, "GetHandle", Returns(HandleArg{"vessel", v.handle}));
  return v.handle;
}

int VESSEL::GetFlightModel() const {
  VSIM_VESSEL_OR_RETURN("GetFlightModel", 0);
  Record(*host, &v, "GetFlightModel", Returns(v.flight_model));
  return v.flight_model;
}

#define SET_FIELD(Method, Type, field)                      \
  void VESSEL::Method(Type value) const {                   \
    VSIM_VESSEL_OR_RETURN(#Method);                         \
    Record(*host, &v, #Method, value);                      \
    if (Finite(*host, &v, #Method, value)) d.field = value; \
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

namespace {

void StoreCW(vsim::Declared& d, double cw_z_pos, double cw_z_neg, double cw_x, double cw_y) {
  d.cw[0] = cw_z_pos;
  d.cw[1] = cw_z_neg;
  d.cw[2] = cw_x;
  d.cw[3] = cw_y;
}

void StoreTouchdownPoints(vsim::Declared& d, const VECTOR3& pt1, const VECTOR3& pt2,
                          const VECTOR3& pt3) {
  d.touchdown[0] = pt1;
  d.touchdown[1] = pt2;
  d.touchdown[2] = pt3;
}

[[gnu::noinline]] void FullSetCW(OBJHANDLE vessel_handle, double cw_z_pos, double cw_z_neg,
                                 double cw_x, double cw_y) {
  VSIM_VESSEL_OR_RETURN("SetCW");
  Record(*host, &v, "SetCW", cw_z_pos, cw_z_neg, cw_x, cw_y);
  if (Finite(*host, &v, "SetCW", cw_z_pos, cw_z_neg, cw_x, cw_y))
    StoreCW(d, cw_z_pos, cw_z_neg, cw_x, cw_y);
}

[[gnu::noinline]] void FullSetTouchdownPoints(OBJHANDLE vessel_handle, const VECTOR3& pt1,
                                              const VECTOR3& pt2, const VECTOR3& pt3) {
  VSIM_VESSEL_OR_RETURN("SetTouchdownPoints");
  Record(*host, &v, "SetTouchdownPoints", pt1, pt2, pt3);
  if (Finite(*host, &v, "SetTouchdownPoints", pt1, pt2, pt3))
    StoreTouchdownPoints(d, pt1, pt2, pt3);
}

}  // namespace

// Set again in every step as the helicopter's envelope changes: both take
// the fast path.
void VESSEL::SetCW(double cw_z_pos, double cw_z_neg, double cw_x, double cw_y) const {
  VSIM_FAST_VESSEL(fast);
  if (fast != nullptr && (std::isfinite(cw_z_pos) && std::isfinite(cw_z_neg) &&
                          std::isfinite(cw_x) && std::isfinite(cw_y)))
    return StoreCW(fast->declared, cw_z_pos, cw_z_neg, cw_x, cw_y);
  FullSetCW(vessel_handle, cw_z_pos, cw_z_neg, cw_x, cw_y);
}

void VESSEL::SetTouchdownPoints(const VECTOR3& pt1, const VECTOR3& pt2, const VECTOR3& pt3) const {
  VSIM_FAST_VESSEL(fast);
  using vsim::functions::IsFinite;
  if (fast != nullptr && IsFinite(pt1) && IsFinite(pt2) && IsFinite(pt3))
    return StoreTouchdownPoints(fast->declared, pt1, pt2, pt3);
  FullSetTouchdownPoints(vessel_handle, pt1, pt2, pt3);
}

void VESSEL::SetSurfaceFrictionCoeff(double mu_lng, double mu_lat) const {
  VSIM_VESSEL_OR_RETURN("SetSurfaceFrictionCoeff");
  Record(*host, &v, "SetSurfaceFrictionCoeff", mu_lng, mu_lat);
  if (!Finite(*host, &v, "SetSurfaceFrictionCoeff", mu_lng, mu_lat)) return;
  d.friction_lng = mu_lng;
  d.friction_lat = mu_lat;
}

PROPELLANT_HANDLE VESSEL::CreatePropellantResource(double maxmass, double mass,
                                                   double efficiency) const {
  VSIM_VESSEL_OR_RETURN("CreatePropellantResource", nullptr);
  if (!Finite(*host, &v, "CreatePropellantResource", maxmass, mass, efficiency)) return nullptr;
  d.propellants.push_back({maxmass, mass < 0 ? maxmass : mass, efficiency});
  void* handle = NewHandle(*host, v, HandleKind::kPropellant, d.propellants.size() - 1);
  Record(*host, &v, "CreatePropellantResource", maxmass, mass, efficiency,
         Returns(HandleArg{"propellant", handle}));
  return handle;
}

THRUSTER_HANDLE VESSEL::CreateThruster(const VECTOR3& pos, const VECTOR3& dir, double maxth0,
                                       PROPELLANT_HANDLE hp, double isp0, double isp_ref,
                                       double p_ref) const {
  VSIM_VESSEL_OR_RETURN("CreateThruster", nullptr);
  if (!Finite(*host, &v, "CreateThruster", pos, dir, maxth0, 0.0, isp0, isp_ref, p_ref))
    return nullptr;
  const std::uint32_t resource = vsim::functions::IndexOf(*host, v, hp, HandleKind::kPropellant,
                                                          d.propellants.size(), "CreateThruster");
  d.thrusters.push_back({pos, dir, maxth0, resource, isp0, isp_ref, p_ref, 0.0});
  void* handle = NewHandle(*host, v, HandleKind::kThruster, d.thrusters.size() - 1);
  Record(*host, &v, "CreateThruster", pos, dir, maxth0, HandleArg{"propellant", hp}, isp0, isp_ref,
         p_ref, Returns(HandleArg{"thruster", handle}));
  return handle;
}

THGROUP_HANDLE VESSEL::CreateThrusterGroup(THRUSTER_HANDLE* th, int nth, THGROUP_TYPE type) const {
  VSIM_VESSEL_OR_RETURN("CreateThrusterGroup", nullptr);
  const int count = th == nullptr || nth < 0 ? 0 : nth;
  if (count != nth)
    host->Fault(&v, "CreateThrusterGroup", "no thruster list for nth " + std::to_string(nth));
  vsim::ThrusterGroup group{type, {}};
  for (int i = 0; i < count; ++i) {
    const std::uint32_t index = vsim::functions::IndexOf(*host, v, th[i], HandleKind::kThruster,
                                                         d.thrusters.size(), "CreateThrusterGroup");
    if (index != vsim::kNoIndex) group.members.push_back(index);
  }
  d.groups.push_back(std::move(group));
  void* handle = NewHandle(*host, v, HandleKind::kGroup, d.groups.size() - 1);
  Record(*host, &v, "CreateThrusterGroup", Lazy([&] {
    std::string names;
    for (int i = 0; i < count; ++i)
      names += (i == 0 ? "" : ", ") + vsim::HandleText(*host, &v, "thruster", th[i]);
    return "[" + names + "]";
  }),
         nth, static_cast<int>(type), Returns(HandleArg{"group", handle}));
  return handle;
}

PSTREAM_HANDLE VESSEL::AddExhaustStream(THRUSTER_HANDLE th, const VECTOR3& pos,
                                        PARTICLESTREAMSPEC* pss) const {
  VSIM_VESSEL_OR_RETURN("AddExhaustStream", nullptr);
  if (!Present(*host, &v, pss, "particle stream", "AddExhaustStream")) return nullptr;
  const std::uint32_t thruster = vsim::functions::IndexOf(*host, v, th, HandleKind::kThruster,
                                                          d.thrusters.size(), "AddExhaustStream");
  d.exhausts.push_back({thruster, pos, *pss});
  void* handle = NewHandle(*host, v, HandleKind::kExhaust, d.exhausts.size() - 1);
  Record(*host, &v, "AddExhaustStream", HandleArg{"thruster", th}, pos,
         Lazy([&] { return vsim::functions::Text(*pss, *host, &v); }),
         Returns(HandleArg{"exhaust", handle}));
  return handle;
}

bool VESSEL::AddBeacon(BEACONLIGHTSPEC* bs) {
  VSIM_VESSEL_OR_RETURN("AddBeacon", false);
  if (!Present(*host, &v, bs, "beacon", "AddBeacon")) return false;
  Record(*host, &v, "AddBeacon", Lazy([&] { return vsim::functions::Text(*bs); }), Returns(true));
  d.beacons.push_back(bs);
  return true;
}

AIRFOILHANDLE VESSEL::CreateAirfoil(AIRFOIL_ORIENTATION align, const VECTOR3& ref,
                                    AirfoilCoeffFunc cf, double c, double S, double A) const {
  VSIM_VESSEL_OR_RETURN("CreateAirfoil", nullptr);
  if (!Finite(*host, &v, "CreateAirfoil", 0.0, ref, 0.0, c, S, A)) return nullptr;
  const void* fn = nullptr;
  std::memcpy(&fn, &cf, sizeof fn);
  d.airfoils.push_back({align, ref, cf, c, S, A});
  void* handle = NewHandle(*host, v, HandleKind::kAirfoil, d.airfoils.size() - 1);
  Record(*host, &v, "CreateAirfoil", static_cast<int>(align), ref, HandleArg{"function", fn}, c, S,
         A, Returns(HandleArg{"airfoil", handle}));
  return handle;
}

UINT VESSEL::CreateVariableDragElement(const double* drag, double factor,
                                       const VECTOR3& ref) const {
  VSIM_VESSEL_OR_RETURN("CreateVariableDragElement", 0);
  if (!Present(*host, &v, drag, "drag level", "CreateVariableDragElement")) return 0;
  if (!Finite(*host, &v, "CreateVariableDragElement", 0.0, factor, ref)) return 0;
  d.drag_elements.push_back({drag, factor, ref});
  const auto index = static_cast<UINT>(d.drag_elements.size() - 1);
  Record(*host, &v, "CreateVariableDragElement",
         Lazy([&] { return "&" + vsim::FormatNumber(*drag); }), factor, ref, Returns(index));
  return index;
}

UINT VESSEL::AddMesh(MESHHANDLE hMesh, const VECTOR3* ofs) const {
  VSIM_VESSEL_OR_RETURN("AddMesh", 0);
  vsim::Mesh mesh;
  mesh.mesh = host->MeshIndex(hMesh);
  if (hMesh != nullptr && mesh.mesh == vsim::kNoIndex)
    host->Fault(&v, "AddMesh", "unknown mesh handle");
  if (ofs != nullptr && Finite(*host, &v, "AddMesh", 0.0, *ofs)) mesh.offset = *ofs;
  d.meshes.push_back(mesh);
  const auto index = static_cast<UINT>(d.meshes.size() - 1);
  if (ofs != nullptr)
    Record(*host, &v, "AddMesh", HandleArg{"mesh", hMesh}, *ofs, Returns(index));
  else
    Record(*host, &v, "AddMesh", HandleArg{"mesh", hMesh}, Returns(index));
  return index;
}

void VESSEL::SetMeshVisibilityMode(UINT idx, WORD mode) const {
  VSIM_VESSEL_OR_RETURN("SetMeshVisibilityMode");
  Record(*host, &v, "SetMeshVisibilityMode", idx, static_cast<unsigned>(mode));
  if (vsim::functions::InRange(*host, v, idx, d.meshes.size(), "mesh", "SetMeshVisibilityMode"))
    d.meshes[idx].visibility = mode;
}

void VESSEL::SetCameraOffset(const VECTOR3& co) const {
  VSIM_VESSEL_OR_RETURN("SetCameraOffset");
  Record(*host, &v, "SetCameraOffset", co);
  if (!Finite(*host, &v, "SetCameraOffset", co)) return;
  d.cockpit.camera_offset = co;
}

void VESSEL::SetCameraDefaultDirection(const VECTOR3& cd) const {
  VSIM_VESSEL_OR_RETURN("SetCameraDefaultDirection");
  Record(*host, &v, "SetCameraDefaultDirection", cd);
  if (!Finite(*host, &v, "SetCameraDefaultDirection", cd)) return;
  d.cockpit.camera_direction = cd;
}

void VESSEL::SetCameraRotationRange(double left, double right, double up, double down) const {
  VSIM_VESSEL_OR_RETURN("SetCameraRotationRange");
  Record(*host, &v, "SetCameraRotationRange", left, right, up, down);
  if (!Finite(*host, &v, "SetCameraRotationRange", left, right, up, down)) return;
  double* range = d.cockpit.rotation_range;
  range[0] = left;
  range[1] = right;
  range[2] = up;
  range[3] = down;
}
