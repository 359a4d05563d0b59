// Every host function, called from inside a module's callback with valid
// and invalid arguments, once on a host that records (the full path) and
// once on one that does not (the fast path, where a call has one): both
// must keep the same state and the same faults, and the recording host
// must journal the call before the fault it caused.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <functional>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "sim/core/host.h"
#include "sim/core/module_library.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// What the probe module's vessel declared before the call under test.
struct Fixture {
  PROPELLANT_HANDLE tank = nullptr;
  THRUSTER_HANDLE thruster = nullptr;
  UINT animation = 0;
  UINT mesh = 0;
  MESHHANDLE loaded = nullptr;
};

// A value no host issues.
void* Stray() { return reinterpret_cast<void*>(0x1234); }

// Parameters the module keeps alive for the host.
PARTICLESTREAMSPEC stream_spec{};
BEACONLIGHTSPEC beacon_spec{};
VECTOR3 beacon_pos{0, 1, 0};
VECTOR3 beacon_colour{1, 0, 0};
double drag_level = 0.5;
VCHUDSPEC hud_spec{1, 2, {0, 0, 1}, 0.2};
VCMFDSPEC mfd_spec{1, 3};
UINT component_groups[] = {0};
MGROUP_ROTATE rotation(0, component_groups, 1, {0, 0, 0}, {1, 0, 0}, 1.0f);

void NoCoefficients(double, double, double, double* cl, double* cm, double* cd) {
  *cl = *cm = *cd = 0;
}

std::string Shown(double value) {
  std::ostringstream out;
  out << value;
  return out.str();
}
std::string Shown(const void* handle) { return handle == nullptr ? "null" : "handle"; }
std::string Shown(bool value) { return value ? "true" : "false"; }
std::string Shown(const VECTOR3& v) { return Shown(v.x) + "," + Shown(v.y) + "," + Shown(v.z); }

struct HostCall {
  const char* name;
  // Makes the call; gives back what it returned, as text.
  std::function<std::string(VESSEL& vessel, const Fixture& fixture)> call;
  // The fault the call must raise, or empty when it must raise none.
  const char* fault;
  // Whether the host's state must differ after the call.
  bool changes;
  // What sets the row apart from the others of its call, when its fault
  // does not.
  const char* label = nullptr;
};

void PrintTo(const HostCall& c, std::ostream* out) { *out << c.name; }

// The state a host keeps of the vessel and of the world, as text.
std::string Kept(const vsim::Host& host, const vsim::VesselRecord& v) {
  const vsim::Declared& d = v.declared;
  std::ostringstream out;
  out << "size " << d.size << " mass " << d.empty_mass << " pmi " << Shown(d.pmi) << " cs "
      << Shown(d.cross_sections) << " rd " << Shown(d.rot_drag) << " cw";
  for (double c : d.cw) out << ' ' << c;
  out << " wing " << d.wing_aspect << ' ' << d.wing_effectiveness << " scales "
      << d.pitch_moment_scale << ' ' << d.bank_moment_scale << ' ' << d.trim_scale << " td";
  for (const VECTOR3& p : d.touchdown) out << ' ' << Shown(p);
  out << " friction " << d.friction_lng.value_or(-1) << ' ' << d.friction_lat.value_or(-1);
  for (const vsim::Propellant& p : d.propellants)
    out << "\npropellant " << p.max_mass << ' ' << p.mass << ' ' << p.efficiency;
  for (const vsim::Thruster& t : d.thrusters)
    out << "\nthruster " << Shown(t.pos) << ' ' << Shown(t.dir) << ' ' << t.max0 << ' '
        << t.resource << ' ' << t.isp << ' ' << t.level;
  for (const vsim::ThrusterGroup& g : d.groups) out << "\ngroup of " << g.members.size();
  out << "\nexhausts " << d.exhausts.size() << " beacons " << d.beacons.size() << " airfoils "
      << d.airfoils.size() << " drag elements " << d.drag_elements.size();
  for (const vsim::Mesh& m : d.meshes)
    out << "\nmesh " << m.mesh << ' ' << (m.offset ? Shown(*m.offset) : "-") << ' ' << m.visibility;
  for (const vsim::Animation& a : d.animations) out << "\nanimation " << a.state;
  for (const vsim::AnimationComponent& c : d.components)
    out << "\ncomponent " << c.animation << ' ' << c.from << ' ' << c.to << ' ' << c.parent;
  for (const vsim::Force& f : d.forces) out << "\nforce " << Shown(f.force) << Shown(f.point);
  const vsim::Cockpit& cockpit = d.cockpit;
  out << "\ncamera " << Shown(cockpit.camera_offset) << ' ' << Shown(cockpit.camera_direction);
  for (double r : cockpit.rotation_range) out << ' ' << r;
  out << " hud " << cockpit.hud.has_value() << " mfds " << cockpit.mfds.size();
  for (const vsim::ClickArea& a : cockpit.areas)
    out << "\narea " << a.id << ' ' << (a.centre ? Shown(*a.centre) : "-") << ' ' << a.radius;
  out << "\nwarp " << host.TimeAcceleration() << " meshes " << host.LoadedMeshes().size()
      << " instance " << host.ModuleInstance();
  return out.str();
}

struct Outcome {
  std::string result;
  std::string before;
  std::string after;
  std::vector<std::string> faults;
  std::vector<vsim::CallEntry> journal;  // the step's calls, after the host's own call
};

struct Context {
  const HostCall* row;
  vsim::Host* host;
  Fixture fixture;
  Outcome outcome;
};

void Probe(VESSEL& vessel, const char* callback, void* context_pointer) {
  Context& context = *static_cast<Context*>(context_pointer);
  Fixture& f = context.fixture;
  if (std::string(callback) == "clbkSetClassCaps") {
    f.tank = vessel.CreatePropellantResource(100, 50);
    f.thruster = vessel.CreateThruster({0, 0, 0}, {0, 1, 0}, 1000, f.tank, 2000);
    f.animation = vessel.CreateAnimation(0);
    f.loaded = oapiLoadMeshGlobal("probe");
    f.mesh = vessel.AddMesh(f.loaded);
    oapiVCRegisterArea(7, 0, 0);
    return;
  }
  const vsim::VesselRecord& record = *context.host->Current();
  context.outcome.before = Kept(*context.host, record);
  context.outcome.result = context.row->call(vessel, f);
  context.outcome.after = Kept(*context.host, record);
}

Outcome Fly(const HostCall& row, bool recorded) {
  vsim::Host host;
  host.LoadModule(PROBE_PATH);
  vsim::platform::Library library;
  std::string why;
  if (!library.Open(PROBE_PATH, false, why)) {
    ADD_FAILURE() << why;
    return {};
  }
  const auto set_probe =
      reinterpret_cast<void (*)(decltype(&Probe), void*)>(library.Symbol("SetProbe"));
  Context context{&row, &host, {}, {}};
  set_probe(&Probe, &context);
  host.journal().enabled = recorded;
  host.CreateVessel("probe");
  host.journal().Clear();
  host.Step();
  set_probe(nullptr, nullptr);
  for (const vsim::HostFault& fault : host.Faults()) context.outcome.faults.push_back(fault.text);
  const auto& entries = host.journal().Entries();
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (!entries[i].from_host) context.outcome.journal.push_back(entries[i]);
  return context.outcome;
}

class HostCallTest : public ::testing::TestWithParam<HostCall> {};

TEST_P(HostCallTest, KeepsTheSameOnBothPathsAndJournalsTheCallBeforeItsFault) {
  const HostCall& row = GetParam();
  const Outcome full = Fly(row, true);
  const Outcome fast = Fly(row, false);

  EXPECT_EQ(fast.result, full.result);
  EXPECT_EQ(fast.after, full.after);
  EXPECT_EQ(fast.faults, full.faults);
  EXPECT_EQ(full.after != full.before, row.changes) << full.before << "\n---\n" << full.after;

  const std::string fault = row.fault;
  if (fault.empty()) {
    EXPECT_TRUE(full.faults.empty()) << full.faults.front();
  } else {
    ASSERT_EQ(full.faults.size(), 1u);
    EXPECT_EQ(full.faults[0].compare(0, fault.size(), fault), 0) << full.faults[0];
  }
  // The journal: the call, then its fault if it raised one, nothing else.
  ASSERT_EQ(full.journal.size(), fault.empty() ? 1u : 2u);
  EXPECT_EQ(full.journal[0].Name(), row.name);
  if (!fault.empty()) {
    EXPECT_EQ(full.journal[1].Name(), "fault");
  }
  EXPECT_TRUE(fast.journal.empty()) << fast.journal.front().Line();
}

std::string Done() { return "-"; }

using F = const Fixture&;
// Member calls, valid then invalid.
const HostCall kVesselCalls[] = {
    {"GetHandle", [](VESSEL& v, F) { return Shown(v.GetHandle()); }, "", false},
    {"GetFlightModel", [](VESSEL& v, F) { return Shown(double(v.GetFlightModel())); }, "", false},
    {"SetSize", [](VESSEL& v, F) { return v.SetSize(3), Done(); }, "", true},
    {"SetSize", [](VESSEL& v, F) { return v.SetSize(kNaN), Done(); }, "SetSize: argument 1 is ",
     false},
    {"SetEmptyMass", [](VESSEL& v, F) { return v.SetEmptyMass(500), Done(); }, "", true},
    {"SetEmptyMass", [](VESSEL& v, F) { return v.SetEmptyMass(kInf), Done(); },
     "SetEmptyMass: argument 1 is ", false},
    {"SetPMI",
     [](VESSEL& v, F) {
       return v.SetPMI({1, 2, 3}), Done();
     },
     "", true},
    {"SetPMI",
     [](VESSEL& v, F) {
       return v.SetPMI({1, kNaN, 3}), Done();
     },
     "SetPMI: argument 1 is ", false},
    {"SetCrossSections",
     [](VESSEL& v, F) {
       return v.SetCrossSections({1, 2, 3}), Done();
     },
     "", true},
    {"SetCrossSections",
     [](VESSEL& v, F) {
       return v.SetCrossSections({kNaN, 2, 3}), Done();
     },
     "SetCrossSections: argument 1 is ", false},
    {"SetRotDrag",
     [](VESSEL& v, F) {
       return v.SetRotDrag({1, 2, 3}), Done();
     },
     "", true},
    {"SetRotDrag",
     [](VESSEL& v, F) {
       return v.SetRotDrag({1, 2, kInf}), Done();
     },
     "SetRotDrag: argument 1 is ", false},
    {"SetCW", [](VESSEL& v, F) { return v.SetCW(0.1, 0.2, 0.3, 0.4), Done(); }, "", true},
    {"SetCW", [](VESSEL& v, F) { return v.SetCW(0.1, 0.2, kNaN, 0.4), Done(); },
     "SetCW: argument 3 is ", false},
    {"SetWingAspect", [](VESSEL& v, F) { return v.SetWingAspect(7), Done(); }, "", true},
    {"SetWingAspect", [](VESSEL& v, F) { return v.SetWingAspect(kNaN), Done(); },
     "SetWingAspect: argument 1 is ", false},
    {"SetWingEffectiveness", [](VESSEL& v, F) { return v.SetWingEffectiveness(2), Done(); }, "",
     true},
    {"SetWingEffectiveness", [](VESSEL& v, F) { return v.SetWingEffectiveness(kNaN), Done(); },
     "SetWingEffectiveness: argument 1 is ", false},
    {"SetPitchMomentScale", [](VESSEL& v, F) { return v.SetPitchMomentScale(1), Done(); }, "",
     true},
    {"SetPitchMomentScale", [](VESSEL& v, F) { return v.SetPitchMomentScale(kNaN), Done(); },
     "SetPitchMomentScale: argument 1 is ", false},
    {"SetBankMomentScale", [](VESSEL& v, F) { return v.SetBankMomentScale(1), Done(); }, "", true},
    {"SetBankMomentScale", [](VESSEL& v, F) { return v.SetBankMomentScale(kNaN), Done(); },
     "SetBankMomentScale: argument 1 is ", false},
    {"SetTrimScale", [](VESSEL& v, F) { return v.SetTrimScale(1), Done(); }, "", true},
    {"SetTrimScale", [](VESSEL& v, F) { return v.SetTrimScale(kNaN), Done(); },
     "SetTrimScale: argument 1 is ", false},
    {"SetTouchdownPoints",
     [](VESSEL& v, F) {
       return v.SetTouchdownPoints({0, -1, 1}, {-1, -1, 0}, {1, -1, 0}), Done();
     },
     "", true},
    {"SetTouchdownPoints",
     [](VESSEL& v, F) {
       return v.SetTouchdownPoints({0, -1, 1}, {-1, kInf, 0}, {1, -1, 0}), Done();
     },
     "SetTouchdownPoints: argument 2 is ", false},
    {"SetSurfaceFrictionCoeff",
     [](VESSEL& v, F) { return v.SetSurfaceFrictionCoeff(0.1, 0.5), Done(); }, "", true},
    {"SetSurfaceFrictionCoeff",
     [](VESSEL& v, F) { return v.SetSurfaceFrictionCoeff(0.1, kNaN), Done(); },
     "SetSurfaceFrictionCoeff: argument 2 is ", false},
    {"CreatePropellantResource", [](VESSEL& v, F) { return Shown(v.CreatePropellantResource(10)); },
     "", true},
    {"CreatePropellantResource",
     [](VESSEL& v, F) { return Shown(v.CreatePropellantResource(10, kNaN)); },
     "CreatePropellantResource: argument 2 is ", false},
    {"CreateThruster",
     [](VESSEL& v, F f) {
       return Shown(v.CreateThruster({0, 0, 0}, {0, 0, 1}, 50, f.tank, 900));
     },
     "", true},
    {"CreateThruster",
     [](VESSEL& v, F f) {
       return Shown(v.CreateThruster({0, 0, 0}, {0, 0, 1}, kNaN, f.tank, 900));
     },
     "CreateThruster: argument 3 is ", false},
    {"CreateThruster",
     [](VESSEL& v, F) {
       return Shown(v.CreateThruster({0, 0, 0}, {0, 0, 1}, 50, Stray(), 900));
     },
     "CreateThruster: unknown propellant handle", true},
    {"CreateThrusterGroup",
     [](VESSEL& v, F f) {
       THRUSTER_HANDLE list[] = {f.thruster};
       return Shown(v.CreateThrusterGroup(list, 1, THGROUP_MAIN));
     },
     "", true},
    {"CreateThrusterGroup",
     [](VESSEL& v, F) { return Shown(v.CreateThrusterGroup(nullptr, 2, THGROUP_MAIN)); },
     "CreateThrusterGroup: no thruster list for nth 2", true},
    {"CreateThrusterGroup",
     [](VESSEL& v, F) {
       THRUSTER_HANDLE list[] = {Stray()};
       return Shown(v.CreateThrusterGroup(list, 1, THGROUP_MAIN));
     },
     "CreateThrusterGroup: unknown thruster handle", true},
    {"AddExhaustStream",
     [](VESSEL& v, F f) {
       return Shown(v.AddExhaustStream(f.thruster, {0, 0, 0}, &stream_spec));
     },
     "", true},
    {"AddExhaustStream",
     [](VESSEL& v, F f) {
       return Shown(v.AddExhaustStream(f.thruster, {0, 0, 0}, nullptr));
     },
     "AddExhaustStream: null particle stream", false},
    {"AddBeacon",
     [](VESSEL& v, F) {
       beacon_spec.pos = &beacon_pos;
       beacon_spec.col = &beacon_colour;
       return Shown(v.AddBeacon(&beacon_spec));
     },
     "", true},
    {"AddBeacon", [](VESSEL& v, F) { return Shown(v.AddBeacon(nullptr)); },
     "AddBeacon: null beacon", false},
    {"CreateAirfoil",
     [](VESSEL& v, F) {
       return Shown(v.CreateAirfoil(LIFT_VERTICAL, {0, 0, 0}, NoCoefficients, 1, 2, 3));
     },
     "", true},
    {"CreateAirfoil",
     [](VESSEL& v, F) {
       return Shown(v.CreateAirfoil(LIFT_VERTICAL, {0, 0, 0}, NoCoefficients, kNaN, 2, 3));
     },
     "CreateAirfoil: argument 4 is ", false},
    {"CreateVariableDragElement",
     [](VESSEL& v, F) {
       return Shown(double(v.CreateVariableDragElement(&drag_level, 1, {0, 0, 0})));
     },
     "", true},
    {"CreateVariableDragElement",
     [](VESSEL& v, F) {
       return Shown(double(v.CreateVariableDragElement(nullptr, 1, {0, 0, 0})));
     },
     "CreateVariableDragElement: null drag level", false},
    {"CreateVariableDragElement",
     [](VESSEL& v, F) {
       return Shown(double(v.CreateVariableDragElement(&drag_level, kNaN, {0, 0, 0})));
     },
     "CreateVariableDragElement: argument 2 is ", false},
    {"AddMesh", [](VESSEL& v, F f) { return Shown(double(v.AddMesh(f.loaded))); }, "", true},
    {"AddMesh",
     [](VESSEL& v, F f) {
       const VECTOR3 offset{0, 1, 0};
       return Shown(double(v.AddMesh(f.loaded, &offset)));
     },
     "", true, "WithOffset"},
    {"AddMesh", [](VESSEL& v, F) { return Shown(double(v.AddMesh(Stray()))); },
     "AddMesh: unknown mesh handle", true},
    {"SetMeshVisibilityMode",
     [](VESSEL& v, F f) { return v.SetMeshVisibilityMode(f.mesh, MESHVIS_NEVER), Done(); }, "",
     true},
    {"SetMeshVisibilityMode",
     [](VESSEL& v, F) { return v.SetMeshVisibilityMode(5, MESHVIS_NEVER), Done(); },
     "SetMeshVisibilityMode: mesh 5 out of range (the vessel has 1)", false},
    {"SetCameraOffset",
     [](VESSEL& v, F) {
       return v.SetCameraOffset({0, 1, 2}), Done();
     },
     "", true},
    {"SetCameraOffset",
     [](VESSEL& v, F) {
       return v.SetCameraOffset({0, kNaN, 2}), Done();
     },
     "SetCameraOffset: argument 1 is ", false},
    {"SetCameraDefaultDirection",
     [](VESSEL& v, F) {
       return v.SetCameraDefaultDirection({0, 1, 0}), Done();
     },
     "", true},
    {"SetCameraDefaultDirection",
     [](VESSEL& v, F) {
       return v.SetCameraDefaultDirection({0, kInf, 0}), Done();
     },
     "SetCameraDefaultDirection: argument 1 is ", false},
    {"SetCameraRotationRange",
     [](VESSEL& v, F) { return v.SetCameraRotationRange(1, 1, 0.5, 0.5), Done(); }, "", true},
    {"SetCameraRotationRange",
     [](VESSEL& v, F) { return v.SetCameraRotationRange(1, 1, kNaN, 0.5), Done(); },
     "SetCameraRotationRange: argument 3 is ", false},
    {"CreateAnimation", [](VESSEL& v, F) { return Shown(double(v.CreateAnimation(0.5))); }, "",
     true},
    {"CreateAnimation", [](VESSEL& v, F) { return Shown(double(v.CreateAnimation(kNaN))); },
     "CreateAnimation: argument 1 is ", true},
    {"AddAnimationComponent",
     [](VESSEL& v, F f) { return Shown(v.AddAnimationComponent(f.animation, 0, 1, &rotation)); },
     "", true},
    {"AddAnimationComponent",
     [](VESSEL& v, F) { return Shown(v.AddAnimationComponent(9, 0, 1, &rotation)); },
     "AddAnimationComponent: animation 9 out of range (the vessel has 1)", false},
    {"AddAnimationComponent",
     [](VESSEL& v, F f) { return Shown(v.AddAnimationComponent(f.animation, 0, kNaN, &rotation)); },
     "AddAnimationComponent: argument 3 is ", false},
    {"AddAnimationComponent",
     [](VESSEL& v, F f) {
       return Shown(v.AddAnimationComponent(f.animation, 0, 1, &rotation, Stray()));
     },
     "AddAnimationComponent: unknown component handle", true},
    {"SetAnimation", [](VESSEL& v, F f) { return Shown(v.SetAnimation(f.animation, 0.25)); }, "",
     true},
    {"SetAnimation", [](VESSEL& v, F) { return Shown(v.SetAnimation(3, 0.25)); },
     "SetAnimation: animation 3 out of range (the vessel has 1)", false},
    {"SetAnimation", [](VESSEL& v, F f) { return Shown(v.SetAnimation(f.animation, kNaN)); },
     "SetAnimation: argument 2 is ", false},
    {"GetAltitude", [](VESSEL& v, F) { return Shown(v.GetAltitude()); }, "", false},
    {"GetAirspeed", [](VESSEL& v, F) { return Shown(v.GetAirspeed()); }, "", false},
    {"GetAOA", [](VESSEL& v, F) { return Shown(v.GetAOA()); }, "", false},
    {"GetBank", [](VESSEL& v, F) { return Shown(v.GetBank()); }, "", false},
    {"GroundContact", [](VESSEL& v, F) { return Shown(v.GroundContact()); }, "", false},
    {"GetControlSurfaceLevel",
     [](VESSEL& v, F) { return Shown(v.GetControlSurfaceLevel(AIRCTRL_RUDDER)); }, "", false},
    {"GetThrusterLevel", [](VESSEL& v, F f) { return Shown(v.GetThrusterLevel(f.thruster)); }, "",
     false},
    {"GetThrusterLevel", [](VESSEL& v, F) { return Shown(v.GetThrusterLevel(Stray())); },
     "GetThrusterLevel: unknown thruster handle", false},
    {"SetThrusterLevel", [](VESSEL& v, F f) { return v.SetThrusterLevel(f.thruster, 0.5), Done(); },
     "", true},
    {"SetThrusterLevel", [](VESSEL& v, F f) { return v.SetThrusterLevel(f.thruster, 7), Done(); },
     "", true, "AboveOneIsClamped"},
    {"SetThrusterLevel",
     [](VESSEL& v, F f) { return v.SetThrusterLevel(f.thruster, kNaN), Done(); },
     "SetThrusterLevel: argument 2 is ", false},
    {"SetThrusterLevel", [](VESSEL& v, F) { return v.SetThrusterLevel(Stray(), 0.5), Done(); },
     "SetThrusterLevel: unknown thruster handle", false},
    {"SetThrusterLevel", [](VESSEL& v, F f) { return v.SetThrusterLevel(f.tank, 0.5), Done(); },
     "SetThrusterLevel: a propellant handle where a thruster handle belongs", false},
    {"SetThrusterDir",
     [](VESSEL& v, F f) {
       return v.SetThrusterDir(f.thruster, {0, 0, -1}), Done();
     },
     "", true},
    {"SetThrusterDir",
     [](VESSEL& v, F f) {
       return v.SetThrusterDir(f.thruster, {0, kNaN, -1}), Done();
     },
     "SetThrusterDir: argument 2 is ", false},
    {"SetThrusterDir",
     [](VESSEL& v, F) {
       return v.SetThrusterDir(Stray(), {0, 0, -1}), Done();
     },
     "SetThrusterDir: unknown thruster handle", false},
    {"SetThrusterMax0", [](VESSEL& v, F f) { return v.SetThrusterMax0(f.thruster, 10), Done(); },
     "", true},
    {"SetThrusterMax0", [](VESSEL& v, F f) { return v.SetThrusterMax0(f.thruster, kInf), Done(); },
     "SetThrusterMax0: argument 2 is ", false},
    {"SetThrusterMax0", [](VESSEL& v, F) { return v.SetThrusterMax0(nullptr, 10), Done(); }, "",
     false, "NullHandleQuietly"},
    {"GetFuelMass", [](VESSEL& v, F) { return Shown(v.GetFuelMass()); }, "", false},
    {"SetFuelMass", [](VESSEL& v, F) { return v.SetFuelMass(20), Done(); }, "", true},
    {"SetFuelMass", [](VESSEL& v, F) { return v.SetFuelMass(kNaN), Done(); },
     "SetFuelMass: argument 1 is ", false},
    {"AddForce",
     [](VESSEL& v, F) {
       return v.AddForce({1, 0, 0}, {0, 1, 0}), Done();
     },
     "", true},
    {"AddForce",
     [](VESSEL& v, F) {
       return v.AddForce({1, 0, 0}, {0, kNaN, 0}), Done();
     },
     "AddForce: argument 2 is ", false},
};

// Global calls, made for the vessel whose callback runs.
const HostCall kGlobalCalls[] = {
    {"oapiLoadMeshGlobal", [](VESSEL&, F) { return Shown(oapiLoadMeshGlobal("other")); }, "", true},
    {"oapiGetInducedDrag", [](VESSEL&, F) { return Shown(oapiGetInducedDrag(0.5, 6, 0.9)); }, "",
     false},
    {"oapiGetTimeAcceleration", [](VESSEL&, F) { return Shown(oapiGetTimeAcceleration()); }, "",
     false},
    {"oapiSetTimeAcceleration", [](VESSEL&, F) { return oapiSetTimeAcceleration(10), Done(); }, "",
     true},
    {"oapiSetTimeAcceleration", [](VESSEL&, F) { return oapiSetTimeAcceleration(kNaN), Done(); },
     "oapiSetTimeAcceleration: argument 1 is ", false},
    {"oapiSetTimeAcceleration", [](VESSEL&, F) { return oapiSetTimeAcceleration(-1), Done(); },
     "oapiSetTimeAcceleration: argument 1 is -1, not a positive factor", false},
    {"oapiGetFocusAirspeedVector",
     [](VESSEL&, F) {
       VECTOR3 speed{};
       const bool known = oapiGetFocusAirspeedVector(&speed);
       return Shown(known) + Shown(speed);
     },
     "", false},
    {"oapiGetFocusAirspeedVector",
     [](VESSEL&, F) { return Shown(oapiGetFocusAirspeedVector(nullptr)); },
     "oapiGetFocusAirspeedVector: null vector", false},
    {"oapiGetFocusHeading",
     [](VESSEL&, F) {
       double heading = -1;
       const bool known = oapiGetFocusHeading(&heading);
       return Shown(known) + Shown(heading);
     },
     "", false},
    {"oapiGetFocusHeading", [](VESSEL&, F) { return Shown(oapiGetFocusHeading(nullptr)); },
     "oapiGetFocusHeading: null heading", false},
    {"oapiCameraInternal", [](VESSEL&, F) { return Shown(oapiCameraInternal()); }, "", false},
    {"oapiDebugString", [](VESSEL&, F) { return Shown(oapiDebugString() != nullptr); }, "", false},
    {"oapiVCRegisterHUD", [](VESSEL&, F) { return oapiVCRegisterHUD(&hud_spec), Done(); }, "",
     true},
    {"oapiVCRegisterHUD", [](VESSEL&, F) { return oapiVCRegisterHUD(nullptr), Done(); },
     "oapiVCRegisterHUD: null head-up display", false},
    {"oapiVCRegisterMFD", [](VESSEL&, F) { return oapiVCRegisterMFD(0, &mfd_spec), Done(); }, "",
     true},
    {"oapiVCRegisterMFD", [](VESSEL&, F) { return oapiVCRegisterMFD(0, nullptr), Done(); },
     "oapiVCRegisterMFD: null display", false},
    {"oapiVCRegisterArea", [](VESSEL&, F) { return oapiVCRegisterArea(8, 1, 2), Done(); }, "",
     true},
    {"oapiVCSetAreaClickmode_Spherical",
     [](VESSEL&, F) {
       return oapiVCSetAreaClickmode_Spherical(7, {0, 1, 0}, 0.1), Done();
     },
     "", true},
    {"oapiVCSetAreaClickmode_Spherical",
     [](VESSEL&, F) {
       return oapiVCSetAreaClickmode_Spherical(7, {0, 1, 0}, kNaN), Done();
     },
     "oapiVCSetAreaClickmode_Spherical: argument 3 is ", false},
    {"InitLib", [](VESSEL&, F) { return InitLib(reinterpret_cast<HINSTANCE>(Stray())), Done(); },
     "", true},
    {"Date2Int", [](VESSEL&, F) { return Shown(double(Date2Int("Dec 09 2026"))); }, "", false},
};

// "thruster handle" as "Thruster", "head-up display" as "HeadUpDisplay".
std::string CamelCase(const std::string& words) {
  std::string out;
  std::istringstream in(words);
  for (std::string word; in >> word && word != "handle";) {
    bool start = true;
    for (char c : word) {
      if (c == '-') {
        start = true;
        continue;
      }
      out += start ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
      start = false;
    }
  }
  return out;
}

// A row's name: the call's and what the row tries, given or taken from
// the fault it expects ("SetCW_NotFiniteArgument3").
std::string RowName(const ::testing::TestParamInfo<HostCall>& info) {
  const HostCall& row = info.param;
  std::string what = row.label != nullptr ? row.label : "Valid";
  const std::string fault = row.fault;
  struct Kind {
    const char* text;
    const char* name;
  };
  static constexpr Kind kKinds[] = {
      {"argument ", "NotFiniteArgument"},     {"unknown ", "Stray"},
      {"out of range", "IndexOutOfRange"},    {"null ", "Null"},
      {"no thruster list", "NoThrusterList"}, {"where a", "WrongKindOfHandle"}};
  if (row.label == nullptr && !fault.empty()) {
    for (const Kind& kind : kKinds) {
      const std::size_t at = fault.find(kind.text);
      if (at == std::string::npos) continue;
      what = kind.name;
      if (what == "NotFiniteArgument") {
        what += fault.substr(at + 9, 1);
        if (fault.find("positive") != std::string::npos) what = "NotPositive";
      } else if (what == "Stray" || what == "Null") {
        what += CamelCase(fault.substr(at + std::string(kind.text).size()));
      }
      break;
    }
  }
  return std::string(row.name) + "_" + what;
}

INSTANTIATE_TEST_SUITE_P(Vessel, HostCallTest, ::testing::ValuesIn(kVesselCalls), RowName);
INSTANTIATE_TEST_SUITE_P(Global, HostCallTest, ::testing::ValuesIn(kGlobalCalls), RowName);

}  // namespace
