// The host operations a module calls: the VESSEL members and the global
// functions, implemented on the active substitute host.
#include <cmath>
#include <cstring>
#include <sstream>

#include "sim/host.h"

using vsim::HandleArg;
using vsim::Host;
using vsim::Lazy;
using vsim::VesselRecord;

namespace {

Host& H() { return Host::Active(); }

VesselRecord& V(OBJHANDLE handle) { return *static_cast<VesselRecord*>(handle); }

HandleArg Thr(const void* h) { return {"thruster", h}; }

std::string Join(const std::vector<std::string>& parts) {
  std::string out;
  for (std::size_t i = 0; i < parts.size(); ++i) out += (i == 0 ? "" : ", ") + parts[i];
  return out;
}

std::string Text(const PARTICLESTREAMSPEC& s, Host& host, VesselRecord* v) {
  using vsim::FormatNumber;
  return "{flags=" + std::to_string(s.flags) + ", srcsize=" + FormatNumber(s.srcsize) +
         ", srcrate=" + FormatNumber(s.srcrate) + ", v0=" + FormatNumber(s.v0) +
         ", srcspread=" + FormatNumber(s.srcspread) + ", lifetime=" + FormatNumber(s.lifetime) +
         ", growthrate=" + FormatNumber(s.growthrate) +
         ", atmslowdown=" + FormatNumber(s.atmslowdown) + ", ltype=" + std::to_string(s.ltype) +
         ", levelmap=" + std::to_string(s.levelmap) + ", lmin=" + FormatNumber(s.lmin) +
         ", lmax=" + FormatNumber(s.lmax) + ", atmsmap=" + std::to_string(s.atmsmap) +
         ", amin=" + FormatNumber(s.amin) + ", amax=" + FormatNumber(s.amax) +
         ", tex=" + host.HandleName(v, "texture", s.tex) + "}";
}

std::string PointedVector(const VECTOR3* p) {
  return p == nullptr ? "null" : vsim::FormatVector(*p);
}

std::string Text(const BEACONLIGHTSPEC& b) {
  using vsim::FormatNumber;
  return "{shape=" + std::to_string(b.shape) + ", pos=" + PointedVector(b.pos) +
         ", col=" + PointedVector(b.col) + ", size=" + FormatNumber(b.size) +
         ", falloff=" + FormatNumber(b.falloff) + ", period=" + FormatNumber(b.period) +
         ", duration=" + FormatNumber(b.duration) + ", tofs=" + FormatNumber(b.tofs) +
         ", active=" + (b.active ? "true" : "false") + "}";
}

std::string Text(const MGROUP_TRANSFORM* t) {
  if (t == nullptr) return "null";
  std::vector<std::string> groups;
  for (UINT i = 0; i < t->ngrp; ++i) groups.push_back(std::to_string(t->grp[i]));
  std::string text = "{mesh=" + std::to_string(t->mesh) + ", grp=[" + Join(groups) + "]";
  if (t->Type() == MGROUP_TRANSFORM::ROTATE) {
    const auto* r = static_cast<const MGROUP_ROTATE*>(t);
    text += ", ref=" + vsim::FormatVector(r->ref) + ", axis=" + vsim::FormatVector(r->axis) +
            ", angle=" + vsim::FormatNumber(r->angle);
  } else if (t->Type() == MGROUP_TRANSFORM::TRANSLATE) {
    const auto* s = static_cast<const MGROUP_TRANSLATE*>(t);
    text += ", shift=" + vsim::FormatVector(s->shift);
  }
  return text + "}";
}

vsim::Thruster* T(THRUSTER_HANDLE th) { return static_cast<vsim::Thruster*>(th); }

}  // namespace

VESSEL::VESSEL(OBJHANDLE hVessel, int fmodel) : vessel_handle(hVessel), flight_model(fmodel) {}

OBJHANDLE VESSEL::GetHandle() const {
  H().Record(&V(vessel_handle), "GetHandle");
  return vessel_handle;
}

int VESSEL::GetFlightModel() const {
  VesselRecord& v = V(vessel_handle);
  H().Record(&v, "GetFlightModel");
  return v.flight_model;
}

#define SET_SCALAR(Method, field)           \
  void VESSEL::Method(double value) const { \
    VesselRecord& v = V(vessel_handle);     \
    H().Record(&v, #Method, value);         \
    v.field = value;                        \
  }
SET_SCALAR(SetSize, size)
SET_SCALAR(SetEmptyMass, empty_mass)
SET_SCALAR(SetWingAspect, wing_aspect)
SET_SCALAR(SetWingEffectiveness, wing_effectiveness)
SET_SCALAR(SetPitchMomentScale, pitch_moment_scale)
SET_SCALAR(SetBankMomentScale, bank_moment_scale)
SET_SCALAR(SetTrimScale, trim_scale)
#undef SET_SCALAR

#define SET_VECTOR(Method, field)                   \
  void VESSEL::Method(const VECTOR3& value) const { \
    VesselRecord& v = V(vessel_handle);             \
    H().Record(&v, #Method, value);                 \
    v.field = value;                                \
  }
SET_VECTOR(SetPMI, pmi)
SET_VECTOR(SetCrossSections, cross_sections)
SET_VECTOR(SetRotDrag, rot_drag)
#undef SET_VECTOR

void VESSEL::SetCW(double cw_z_pos, double cw_z_neg, double cw_x, double cw_y) const {
  VesselRecord& v = V(vessel_handle);
  H().Record(&v, "SetCW", cw_z_pos, cw_z_neg, cw_x, cw_y);
  v.cw[0] = cw_z_pos;
  v.cw[1] = cw_z_neg;
  v.cw[2] = cw_x;
  v.cw[3] = cw_y;
}

void VESSEL::SetTouchdownPoints(const VECTOR3& pt1, const VECTOR3& pt2, const VECTOR3& pt3) const {
  VesselRecord& v = V(vessel_handle);
  H().Record(&v, "SetTouchdownPoints", pt1, pt2, pt3);
  v.touchdown[0] = pt1;
  v.touchdown[1] = pt2;
  v.touchdown[2] = pt3;
}

void VESSEL::SetSurfaceFrictionCoeff(double mu_lng, double mu_lat) const {
  VesselRecord& v = V(vessel_handle);
  H().Record(&v, "SetSurfaceFrictionCoeff", mu_lng, mu_lat);
  v.friction_lng = mu_lng;
  v.friction_lat = mu_lat;
}

PROPELLANT_HANDLE VESSEL::CreatePropellantResource(double maxmass, double mass,
                                                   double efficiency) const {
  VesselRecord& v = V(vessel_handle);
  H().Record(&v, "CreatePropellantResource", maxmass, mass, efficiency);
  v.propellants.push_back({maxmass, mass < 0 ? maxmass : mass, efficiency});
  return H().Issue(&v.propellants.back());
}

THRUSTER_HANDLE VESSEL::CreateThruster(const VECTOR3& pos, const VECTOR3& dir, double maxth0,
                                       PROPELLANT_HANDLE hp, double isp0, double isp_ref,
                                       double p_ref) const {
  VesselRecord& v = V(vessel_handle);
  v.thrusters.push_back(
      {pos, dir, maxth0, static_cast<vsim::Propellant*>(hp), isp0, isp_ref, p_ref, 0.0});
  THRUSTER_HANDLE th = &v.thrusters.back();
  H().Record(&v, "CreateThruster", pos, dir, maxth0, HandleArg{"propellant", hp}, isp0, isp_ref,
             p_ref);
  H().HandleName(&v, "thruster", th);
  return H().Issue(th);
}

THGROUP_HANDLE VESSEL::CreateThrusterGroup(THRUSTER_HANDLE* th, int nth, THGROUP_TYPE type) const {
  VesselRecord& v = V(vessel_handle);
  Host& host = H();
  vsim::ThrusterGroup group{type, {}};
  for (int i = 0; i < nth; ++i) group.members.push_back(T(th[i]));
  host.Record(&v, "CreateThrusterGroup", Lazy([&] {
    std::vector<std::string> names;
    for (int i = 0; i < nth; ++i) names.push_back(host.HandleName(&v, "thruster", th[i]));
    return "[" + Join(names) + "]";
  }),
              nth, static_cast<int>(type));
  v.groups.push_back(std::move(group));
  return H().Issue(&v.groups.back());
}

PSTREAM_HANDLE VESSEL::AddExhaustStream(THRUSTER_HANDLE th, const VECTOR3& pos,
                                        PARTICLESTREAMSPEC* pss) const {
  VesselRecord& v = V(vessel_handle);
  Host& host = H();
  host.Record(&v, "AddExhaustStream", Thr(th), pos, Lazy([&] { return Text(*pss, host, &v); }));
  v.exhausts.push_back({T(th), pos, *pss});
  return H().Issue(&v.exhausts.back());
}

bool VESSEL::AddBeacon(BEACONLIGHTSPEC* bs) {
  VesselRecord& v = V(vessel_handle);
  H().Record(&v, "AddBeacon", Lazy([&] { return Text(*bs); }));
  v.beacons.push_back(bs);
  return true;
}

AIRFOILHANDLE VESSEL::CreateAirfoil(AIRFOIL_ORIENTATION align, const VECTOR3& ref,
                                    AirfoilCoeffFunc cf, double c, double S, double A) const {
  VesselRecord& v = V(vessel_handle);
  const void* fn = nullptr;
  std::memcpy(&fn, &cf, sizeof fn);
  H().Record(&v, "CreateAirfoil", static_cast<int>(align), ref, HandleArg{"function", fn}, c, S, A);
  v.airfoils.push_back({align, ref, cf, c, S, A});
  return H().Issue(&v.airfoils.back());
}

UINT VESSEL::CreateVariableDragElement(const double* drag, double factor,
                                       const VECTOR3& ref) const {
  VesselRecord& v = V(vessel_handle);
  H().Record(&v, "CreateVariableDragElement", Lazy([&] { return "&" + vsim::FormatNumber(*drag); }),
             factor, ref);
  v.drag_elements.push_back({drag, factor, ref});
  return static_cast<UINT>(v.drag_elements.size() - 1);
}

UINT VESSEL::AddMesh(MESHHANDLE hMesh, const VECTOR3* ofs) const {
  VesselRecord& v = V(vessel_handle);
  Host& host = H();
  if (ofs != nullptr)
    host.Record(&v, "AddMesh", HandleArg{"mesh", hMesh}, *ofs);
  else
    host.Record(&v, "AddMesh", HandleArg{"mesh", hMesh});
  vsim::Mesh mesh;
  mesh.handle = hMesh;
  if (ofs != nullptr) mesh.offset = *ofs;
  v.meshes.push_back(mesh);
  return static_cast<UINT>(v.meshes.size() - 1);
}

void VESSEL::SetMeshVisibilityMode(UINT idx, WORD mode) const {
  VesselRecord& v = V(vessel_handle);
  H().Record(&v, "SetMeshVisibilityMode", idx, static_cast<unsigned>(mode));
  if (idx < v.meshes.size()) v.meshes[idx].visibility = mode;
}

void VESSEL::SetCameraOffset(const VECTOR3& co) const {
  VesselRecord& v = V(vessel_handle);
  H().Record(&v, "SetCameraOffset", co);
  v.cockpit.camera_offset = co;
}

void VESSEL::SetCameraDefaultDirection(const VECTOR3& cd) const {
  VesselRecord& v = V(vessel_handle);
  H().Record(&v, "SetCameraDefaultDirection", cd);
  v.cockpit.camera_direction = cd;
}

void VESSEL::SetCameraRotationRange(double left, double right, double up, double down) const {
  VesselRecord& v = V(vessel_handle);
  H().Record(&v, "SetCameraRotationRange", left, right, up, down);
  double* range = v.cockpit.rotation_range;
  range[0] = left;
  range[1] = right;
  range[2] = up;
  range[3] = down;
}

UINT VESSEL::CreateAnimation(double initial_state) const {
  VesselRecord& v = V(vessel_handle);
  H().Record(&v, "CreateAnimation", initial_state);
  v.animations.push_back({initial_state, initial_state, {}});
  return static_cast<UINT>(v.animations.size() - 1);
}

ANIMATIONCOMPONENT_HANDLE VESSEL::AddAnimationComponent(UINT anim, double state0, double state1,
                                                        MGROUP_TRANSFORM* trans,
                                                        ANIMATIONCOMPONENT_HANDLE parent) const {
  VesselRecord& v = V(vessel_handle);
  Host& host = H();
  v.components.push_back(
      {anim, state0, state1, trans, static_cast<vsim::AnimationComponent*>(parent)});
  vsim::AnimationComponent* component = &v.components.back();
  host.Record(&v, "AddAnimationComponent", anim, state0, state1, Lazy([&] { return Text(trans); }),
              HandleArg{"component", parent});
  host.HandleName(&v, "component", component);
  if (anim < v.animations.size()) v.animations[anim].components.push_back(component);
  return H().Issue(component);
}

bool VESSEL::SetAnimation(UINT anim, double state) const {
  VesselRecord& v = V(vessel_handle);
  H().Record(&v, "SetAnimation", anim, state);
  if (anim >= v.animations.size()) return false;
  v.animations[anim].state = state;
  return true;
}

#define QUERY(Type, Method, expr)       \
  Type VESSEL::Method() const {         \
    VesselRecord& v = V(vessel_handle); \
    H().Record(&v, #Method);            \
    return expr;                        \
  }
QUERY(double, GetAltitude, v.readings.altitude)
QUERY(double, GetAirspeed, v.readings.airspeed)
QUERY(double, GetAOA, v.readings.aoa)
QUERY(double, GetBank, v.readings.bank)
QUERY(bool, GroundContact, v.readings.ground_contact)
QUERY(double, GetFuelMass, v.FuelMass())
#undef QUERY

double VESSEL::GetControlSurfaceLevel(AIRCTRL_TYPE type) const {
  VesselRecord& v = V(vessel_handle);
  H().Record(&v, "GetControlSurfaceLevel", static_cast<int>(type));
  return type == AIRCTRL_RUDDER ? v.rudder : 0.0;
}

double VESSEL::GetThrusterLevel(THRUSTER_HANDLE th) const {
  H().Record(&V(vessel_handle), "GetThrusterLevel", Thr(th));
  return th == nullptr ? 0.0 : T(th)->level;
}

void VESSEL::SetThrusterLevel(THRUSTER_HANDLE th, double level) const {
  H().Record(&V(vessel_handle), "SetThrusterLevel", Thr(th), level);
  if (th != nullptr) T(th)->level = level < 0 ? 0 : (level > 1 ? 1 : level);
}

void VESSEL::SetThrusterDir(THRUSTER_HANDLE th, const VECTOR3& dir) const {
  H().Record(&V(vessel_handle), "SetThrusterDir", Thr(th), dir);
  if (th != nullptr) T(th)->dir = dir;
}

void VESSEL::SetThrusterMax0(THRUSTER_HANDLE th, double maxth0) const {
  H().Record(&V(vessel_handle), "SetThrusterMax0", Thr(th), maxth0);
  if (th != nullptr) T(th)->max0 = maxth0;
}

void VESSEL::SetFuelMass(double m) const {
  VesselRecord& v = V(vessel_handle);
  H().Record(&v, "SetFuelMass", m);
  if (!v.propellants.empty()) {
    vsim::Propellant& p = v.propellants.front();
    p.mass = m < 0 ? 0 : (m > p.max_mass ? p.max_mass : m);
  }
}

void VESSEL::AddForce(const VECTOR3& F, const VECTOR3& r) const {
  VesselRecord& v = V(vessel_handle);
  H().Record(&v, "AddForce", F, r);
  v.forces.push_back({F, r});
}

MESHHANDLE oapiLoadMeshGlobal(const char* fname) {
  Host& host = H();
  MESHHANDLE mesh = host.LoadMesh(fname == nullptr ? "" : fname);
  host.HandleName(host.Current(), "mesh", mesh);
  host.Record(host.Current(), "oapiLoadMeshGlobal", fname);
  return host.Issue(mesh);
}

double oapiGetInducedDrag(double cl, double A, double e) {
  Host& host = H();
  host.Record(host.Current(), "oapiGetInducedDrag", cl, A, e);
  return cl * cl / (PI * A * e);
}

double oapiGetTimeAcceleration() {
  Host& host = H();
  host.Record(host.Current(), "oapiGetTimeAcceleration");
  return host.TimeAcceleration();
}

void oapiSetTimeAcceleration(double warp) {
  Host& host = H();
  host.Record(host.Current(), "oapiSetTimeAcceleration", warp);
  host.ModuleSetTimeAcceleration(warp);
}

bool oapiGetFocusAirspeedVector(VECTOR3* speedvec) {
  Host& host = H();
  host.Record(host.Current(), "oapiGetFocusAirspeedVector");
  VesselRecord* focus = host.Focus();
  if (focus == nullptr) return false;
  *speedvec = focus->readings.airspeed_vector;
  return true;
}

bool oapiGetFocusHeading(double* heading) {
  Host& host = H();
  host.Record(host.Current(), "oapiGetFocusHeading");
  VesselRecord* focus = host.Focus();
  if (focus == nullptr) return false;
  *heading = focus->readings.heading;
  return true;
}

bool oapiCameraInternal() {
  Host& host = H();
  host.Record(host.Current(), "oapiCameraInternal");
  return host.CameraInternal();
}

char* oapiDebugString() {
  Host& host = H();
  host.Record(host.Current(), "oapiDebugString");
  return host.DebugBuffer();
}

void oapiVCRegisterHUD(const VCHUDSPEC* hud) {
  Host& host = H();
  VesselRecord* v = host.Current();
  host.Record(v, "oapiVCRegisterHUD", Lazy([&] {
                return "{nmesh=" + std::to_string(hud->nmesh) +
                       ", ngroup=" + std::to_string(hud->ngroup) +
                       ", hudcnt=" + vsim::FormatVector(hud->hudcnt) +
                       ", size=" + vsim::FormatNumber(hud->size) + "}";
              }));
  if (v != nullptr) v->cockpit.hud = *hud;
}

void oapiVCRegisterMFD(int mfd, const VCMFDSPEC* display) {
  Host& host = H();
  VesselRecord* v = host.Current();
  host.Record(v, "oapiVCRegisterMFD", mfd, Lazy([&] {
                return "{nmesh=" + std::to_string(display->nmesh) +
                       ", ngroup=" + std::to_string(display->ngroup) + "}";
              }));
  if (v != nullptr) v->cockpit.mfds[mfd] = *display;
}

void oapiVCRegisterArea(int id, int draw_event, int mouse_event) {
  Host& host = H();
  VesselRecord* v = host.Current();
  host.Record(v, "oapiVCRegisterArea", id, draw_event, mouse_event);
  if (v == nullptr) return;
  vsim::ClickArea area;
  area.id = id;
  area.redraw = draw_event;
  area.mouse_events = mouse_event;
  v->cockpit.areas.push_back(area);
}

void oapiVCSetAreaClickmode_Spherical(int id, const VECTOR3& cnt, double rad) {
  Host& host = H();
  VesselRecord* v = host.Current();
  host.Record(v, "oapiVCSetAreaClickmode_Spherical", id, cnt, rad);
  if (v == nullptr) return;
  for (vsim::ClickArea& area : v->cockpit.areas)
    if (area.id == id) {
      area.centre = cnt;
      area.radius = rad;
    }
}

void InitLib(HINSTANCE hModule) {
  Host& host = H();
  host.Record(nullptr, "InitLib", HandleArg{"instance", hModule});
  host.NoteModuleInstance(hModule);
}

// Encodes "Mon DD YYYY" as YYYYMMDD; 0 for text that is not such a date.
int Date2Int(const char* date) {
  Host& host = H();
  host.Record(nullptr, "Date2Int", date);
  if (date == nullptr) return 0;
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::istringstream in(date);
  std::string month;
  int day = 0, year = 0;
  if (!(in >> month >> day >> year)) return 0;
  for (int m = 0; m < 12; ++m)
    if (month == kMonths[m]) return year * 10000 + (m + 1) * 100 + day;
  return 0;
}
