// The host simulator's interface as a vessel module sees it: handle types,
// records, constants, the VESSEL/VESSEL2 classes and the global functions.
// The host implements VESSEL and the free functions; the module implements
// VESSEL2 callbacks.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#if defined(HOST_API_BUILD)
#define OAPIFUNC __declspec(dllexport)
#else
#define OAPIFUNC __declspec(dllimport)
#endif
#define OAPICLASS OAPIFUNC
#define DLLCLBK extern "C" __declspec(dllexport)
#else
#define OAPIFUNC __attribute__((visibility("default")))
// The host's classes are the host's to export. A module built with hidden
// visibility still calls their members (a declaration's visibility is the
// default), but keeps their type information, which it emits for its own
// derived classes, out of its exports.
#if defined(HOST_API_BUILD)
#define OAPICLASS OAPIFUNC
#else
#define OAPICLASS
#endif
#define DLLCLBK extern "C" __attribute__((visibility("default")))
#endif

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>  // UINT, DWORD, WORD, HINSTANCE, HMODULE
#else
using UINT = std::uint32_t;
using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using HINSTANCE = void*;
using HMODULE = void*;
#endif

// Opaque handles issued by the host and handed back unchanged.
using OBJHANDLE = void*;
using THRUSTER_HANDLE = void*;
using THGROUP_HANDLE = void*;
using PROPELLANT_HANDLE = void*;
using MESHHANDLE = void*;
using AIRFOILHANDLE = void*;
using PSTREAM_HANDLE = void*;
using ANIMATIONCOMPONENT_HANDLE = void*;
using FILEHANDLE = void*;
using SURFHANDLE = void*;

struct VECTOR3 {
  double x, y, z;
};

constexpr double PI = 3.14159265358979323846;
constexpr double RAD = PI / 180.0;

enum THGROUP_TYPE {
  THGROUP_MAIN = 0,
  THGROUP_RETRO = 1,
  THGROUP_HOVER = 2,
  THGROUP_ATT_PITCHUP = 3,
  THGROUP_ATT_PITCHDOWN = 4,
  THGROUP_ATT_YAWLEFT = 5,
  THGROUP_ATT_YAWRIGHT = 6,
  THGROUP_ATT_BANKLEFT = 7,
  THGROUP_ATT_BANKRIGHT = 8,
  THGROUP_ATT_RIGHT = 9,
  THGROUP_ATT_LEFT = 10,
  THGROUP_ATT_UP = 11,
  THGROUP_ATT_DOWN = 12,
  THGROUP_ATT_FORWARD = 13,
  THGROUP_ATT_BACK = 14,
};

enum AIRFOIL_ORIENTATION { LIFT_VERTICAL = 0, LIFT_HORIZONTAL = 1 };

enum AIRCTRL_TYPE {
  AIRCTRL_ELEVATOR = 0,
  AIRCTRL_RUDDER = 1,
  AIRCTRL_AILERON = 2,
};

constexpr WORD MESHVIS_NEVER = 0;
constexpr WORD MESHVIS_EXTERNAL = 1;
constexpr WORD MESHVIS_COCKPIT = 2;

constexpr int PANEL_REDRAW_ALWAYS = 1;
constexpr int PANEL_MOUSE_LBDOWN = 0x01;
constexpr int PANEL_MOUSE_RBDOWN = 0x02;
constexpr int PANEL_MOUSE_LBUP = 0x04;
constexpr int PANEL_MOUSE_RBUP = 0x08;
constexpr int PANEL_MOUSE_LBPRESSED = 0x10;
constexpr int PANEL_MOUSE_RBPRESSED = 0x20;

// Keyboard scan codes (standard DirectInput numbering).
constexpr DWORD OAPI_KEY_W = 0x11;
constexpr DWORD OAPI_KEY_F = 0x21;
constexpr DWORD OAPI_KEY_G = 0x22;
constexpr DWORD OAPI_KEY_K = 0x25;
constexpr DWORD OAPI_KEY_B = 0x30;
constexpr DWORD OAPI_KEY_LSHIFT = 0x2A;
constexpr DWORD OAPI_KEY_RSHIFT = 0x36;
constexpr DWORD OAPI_KEY_LCONTROL = 0x1D;
constexpr DWORD OAPI_KEY_RCONTROL = 0x9D;
constexpr DWORD OAPI_KEY_LALT = 0x38;
constexpr DWORD OAPI_KEY_RALT = 0xB8;
constexpr std::size_t OAPI_KEYSTATE_SIZE = 256;

// Capacity of the host's debug line, terminating zero included.
constexpr std::size_t OAPI_DEBUG_STRING_SIZE = 256;

struct PARTICLESTREAMSPEC {
  enum LTYPE { EMISSIVE = 0, DIFFUSE = 1 };
  enum LEVELMAP { LVL_FLAT = 0, LVL_LIN = 1, LVL_SQRT = 2, LVL_PLIN = 3, LVL_PSQRT = 4 };
  enum ATMSMAP { ATM_FLAT = 0, ATM_PLIN = 1, ATM_PLOG = 2 };
  DWORD flags;
  double srcsize;
  double srcrate;
  double v0;
  double srcspread;
  double lifetime;
  double growthrate;
  double atmslowdown;
  LTYPE ltype;
  LEVELMAP levelmap;
  double lmin, lmax;
  ATMSMAP atmsmap;
  double amin, amax;
  SURFHANDLE tex;
};

constexpr DWORD BEACONSHAPE_COMPACT = 0;
constexpr DWORD BEACONSHAPE_DIFFUSE = 1;
constexpr DWORD BEACONSHAPE_STAR = 2;

struct BEACONLIGHTSPEC {
  DWORD shape;
  VECTOR3* pos;
  VECTOR3* col;
  double size;
  double falloff;
  double period;
  double duration;
  double tofs;
  bool active;
};

struct VCHUDSPEC {
  DWORD nmesh;
  DWORD ngroup;
  VECTOR3 hudcnt;
  double size;
};

struct VCMFDSPEC {
  DWORD nmesh;
  DWORD ngroup;
};

// Animation components: built by the module, read by the host.
class MGROUP_TRANSFORM {
public:
  enum TYPE { NULLTRANSFORM = 0, ROTATE = 1, TRANSLATE = 2, SCALE = 3 };
  MGROUP_TRANSFORM(UINT mesh_, UINT* grp_, UINT ngrp_) : mesh(mesh_), grp(grp_), ngrp(ngrp_) {}
  MGROUP_TRANSFORM(const MGROUP_TRANSFORM&) = delete;
  MGROUP_TRANSFORM& operator=(const MGROUP_TRANSFORM&) = delete;
  virtual ~MGROUP_TRANSFORM() = default;
  virtual TYPE Type() const { return NULLTRANSFORM; }
  UINT mesh;
  UINT* grp;
  UINT ngrp;
};

class MGROUP_ROTATE final : public MGROUP_TRANSFORM {
public:
  MGROUP_ROTATE(UINT mesh_, UINT* grp_, UINT ngrp_, const VECTOR3& ref_, const VECTOR3& axis_,
                float angle_)
      : MGROUP_TRANSFORM(mesh_, grp_, ngrp_), ref(ref_), axis(axis_), angle(angle_) {}
  TYPE Type() const override { return ROTATE; }
  VECTOR3 ref;
  VECTOR3 axis;
  float angle;
};

class MGROUP_TRANSLATE final : public MGROUP_TRANSFORM {
public:
  MGROUP_TRANSLATE(UINT mesh_, UINT* grp_, UINT ngrp_, const VECTOR3& shift_)
      : MGROUP_TRANSFORM(mesh_, grp_, ngrp_), shift(shift_) {}
  TYPE Type() const override { return TRANSLATE; }
  VECTOR3 shift;
};

// Airfoil coefficient callback: angle, Mach, Reynolds in; lift, moment, drag out.
using AirfoilCoeffFunc = void (*)(double aoa, double M, double Re, double* cl, double* cm,
                                  double* cd);

// The host's view of a vessel. Not polymorphic: the VESSEL2 callbacks put their
// table in front of it, so a VESSEL* need not equal the object's address.
class OAPICLASS VESSEL {
public:
  VESSEL(OBJHANDLE hVessel, int fmodel = 1);

  OBJHANDLE GetHandle() const;
  int GetFlightModel() const;

  // Set-up
  void SetSize(double size) const;
  void SetEmptyMass(double m) const;
  void SetPMI(const VECTOR3& pmi) const;
  void SetCrossSections(const VECTOR3& cs) const;
  void SetRotDrag(const VECTOR3& rd) const;
  void SetCW(double cw_z_pos, double cw_z_neg, double cw_x, double cw_y) const;
  void SetWingAspect(double aspect) const;
  void SetWingEffectiveness(double eff) const;
  void SetPitchMomentScale(double scale) const;
  void SetBankMomentScale(double scale) const;
  void SetTrimScale(double scale) const;
  void SetTouchdownPoints(const VECTOR3& pt1, const VECTOR3& pt2, const VECTOR3& pt3) const;
  void SetSurfaceFrictionCoeff(double mu_lng, double mu_lat) const;
  PROPELLANT_HANDLE CreatePropellantResource(double maxmass, double mass = -1.0,
                                             double efficiency = 1.0) const;
  THRUSTER_HANDLE CreateThruster(const VECTOR3& pos, const VECTOR3& dir, double maxth0,
                                 PROPELLANT_HANDLE hp, double isp0, double isp_ref = 0.0,
                                 double p_ref = 101.4e3) const;
  THGROUP_HANDLE CreateThrusterGroup(THRUSTER_HANDLE* th, int nth, THGROUP_TYPE type) const;
  PSTREAM_HANDLE AddExhaustStream(THRUSTER_HANDLE th, const VECTOR3& pos,
                                  PARTICLESTREAMSPEC* pss) const;
  bool AddBeacon(BEACONLIGHTSPEC* bs);
  AIRFOILHANDLE CreateAirfoil(AIRFOIL_ORIENTATION align, const VECTOR3& ref, AirfoilCoeffFunc cf,
                              double c, double S, double A) const;
  UINT CreateVariableDragElement(const double* drag, double factor, const VECTOR3& ref) const;
  UINT AddMesh(MESHHANDLE hMesh, const VECTOR3* ofs = nullptr) const;
  void SetMeshVisibilityMode(UINT idx, WORD mode) const;
  void SetCameraOffset(const VECTOR3& co) const;
  void SetCameraDefaultDirection(const VECTOR3& cd) const;
  void SetCameraRotationRange(double left, double right, double up, double down) const;

  // Animation
  UINT CreateAnimation(double initial_state) const;
  ANIMATIONCOMPONENT_HANDLE AddAnimationComponent(UINT anim, double state0, double state1,
                                                  MGROUP_TRANSFORM* trans,
                                                  ANIMATIONCOMPONENT_HANDLE parent = nullptr) const;
  bool SetAnimation(UINT anim, double state) const;

  // Per step
  double GetAltitude() const;
  double GetAirspeed() const;
  double GetAOA() const;
  double GetBank() const;
  bool GroundContact() const;
  double GetControlSurfaceLevel(AIRCTRL_TYPE type) const;
  double GetThrusterLevel(THRUSTER_HANDLE th) const;
  void SetThrusterLevel(THRUSTER_HANDLE th, double level) const;
  void SetThrusterDir(THRUSTER_HANDLE th, const VECTOR3& dir) const;
  void SetThrusterMax0(THRUSTER_HANDLE th, double maxth0) const;
  double GetFuelMass() const;
  void SetFuelMass(double m) const;
  void AddForce(const VECTOR3& F, const VECTOR3& r) const;

protected:
  OBJHANDLE vessel_handle;
  int flight_model;
};

// The callback interface. Defaults do nothing and return 0 or false. The
// destructor is deliberately not virtual: modules delete their own type.
// The host makes every call into the module (entry points and callbacks)
// on its one simulation thread, one at a time, and the module may call the
// host only from that thread; the library's load and unload run under the
// operating system's loader.
class VESSEL2 : public VESSEL {
public:
  VESSEL2(OBJHANDLE hVessel, int fmodel = 1) : VESSEL(hVessel, fmodel) {}
  VESSEL2(const VESSEL2&) = delete;
  VESSEL2& operator=(const VESSEL2&) = delete;

  // Once per vessel, right after ovcInit, before clbkPostCreation and the first step.
  virtual void clbkSetClassCaps(FILEHANDLE /*cfg*/) {}
  // Once per vessel, after clbkSetClassCaps: what it declared is in place.
  virtual void clbkPostCreation() {}
  // Once per simulation step for every vessel, after the host's integration of that step.
  virtual void clbkPostStep(double /*simt*/, double /*simdt*/, double /*mjd*/) {}
  // Between steps, for every buffered key event of the focus vessel; 1 when consumed.
  virtual int clbkConsumeBufferedKey(DWORD /*key*/, bool /*down*/, char* /*kstate*/) { return 0; }
  // Between steps, whenever the host builds the cockpit view.
  virtual bool clbkLoadVC(int /*id*/) { return false; }
  // Between steps, for each delivered event on an area clbkLoadVC registered.
  virtual bool clbkVCMouseEvent(int /*id*/, int /*event*/, VECTOR3& /*p*/) { return false; }

protected:
  ~VESSEL2() = default;
};

// Global host functions.
OAPIFUNC MESHHANDLE oapiLoadMeshGlobal(const char* fname);
OAPIFUNC double oapiGetInducedDrag(double cl, double A, double e);
OAPIFUNC double oapiGetTimeAcceleration();
OAPIFUNC void oapiSetTimeAcceleration(double warp);
OAPIFUNC bool oapiGetFocusAirspeedVector(VECTOR3* speedvec);
OAPIFUNC bool oapiGetFocusHeading(double* heading);
OAPIFUNC bool oapiCameraInternal();
OAPIFUNC char* oapiDebugString();
OAPIFUNC void oapiVCRegisterHUD(const VCHUDSPEC* hud);
OAPIFUNC void oapiVCRegisterMFD(int mfd, const VCMFDSPEC* display);
OAPIFUNC void oapiVCRegisterArea(int id, int draw_event, int mouse_event);
OAPIFUNC void oapiVCSetAreaClickmode_Spherical(int id, const VECTOR3& cnt, double rad);
OAPIFUNC void InitLib(HINSTANCE hModule);
OAPIFUNC int Date2Int(const char* date);
