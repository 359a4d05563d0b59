// What the substitute host keeps for each vessel, in separate parts: what
// the module declared, the answers to its queries, the flight state, the
// controls a script sets and the sound library's requests.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/host_api.h"

namespace vsim {

constexpr std::uint32_t kNoIndex = ~0u;

struct Propellant {
  double max_mass = 0;
  double mass = 0;
  double efficiency = 1;
};

struct Thruster {
  VECTOR3 pos{};
  VECTOR3 dir{};
  double max0 = 0;
  std::uint32_t resource = kNoIndex;  // index into the propellants
  double isp = 0;
  double isp_ref = 0;
  double p_ref = 0;
  double level = 0;
};

struct ThrusterGroup {
  THGROUP_TYPE type{};
  std::vector<std::uint32_t> members;  // thruster indices
};

struct ExhaustStream {
  std::uint32_t thruster = kNoIndex;
  VECTOR3 pos{};
  PARTICLESTREAMSPEC stream{};
};

struct Airfoil {
  AIRFOIL_ORIENTATION orientation{};
  VECTOR3 ref{};
  AirfoilCoeffFunc coefficients = nullptr;
  double chord = 0, area = 0, aspect = 0;
};

struct DragElement {
  const double* level = nullptr;  // the module's own variable
  double factor = 0;
  VECTOR3 ref{};
};

struct Mesh {
  std::uint32_t mesh = kNoIndex;  // index into the host's loaded meshes
  std::optional<VECTOR3> offset;
  WORD visibility = MESHVIS_EXTERNAL;
};

struct AnimationComponent {
  UINT animation = 0;
  double from = 0, to = 0;
  MGROUP_TRANSFORM* transform = nullptr;  // the module's record
  std::uint32_t parent = kNoIndex;
};

// An animation's components are those whose `animation` is its index.
struct Animation {
  double initial_state = 0;
  double state = 0;
};

struct Force {
  VECTOR3 force{};
  VECTOR3 point{};
};

struct ClickArea {
  int id = 0;
  int redraw = 0;
  int mouse_events = 0;
  std::optional<VECTOR3> centre;
  double radius = 0;
};

struct Cockpit {
  VECTOR3 camera_offset{};
  VECTOR3 camera_direction{0, 0, 1};
  double rotation_range[4] = {};  // left, right, up, down (rad)
  std::optional<VCHUDSPEC> hud;
  std::map<int, VCMFDSPEC> mfds;
  std::vector<ClickArea> areas;
};

// Everything the module declared or set through the vessel interface.
struct Declared {
  double size = 0;
  double empty_mass = 0;
  VECTOR3 pmi{};
  VECTOR3 cross_sections{};
  VECTOR3 rot_drag{};
  double cw[4] = {};  // forward, backward, lateral, vertical
  double wing_aspect = 0;
  double wing_effectiveness = 0;
  double pitch_moment_scale = 0;
  double bank_moment_scale = 0;
  double trim_scale = 0;
  VECTOR3 touchdown[3] = {};
  std::optional<double> friction_lng, friction_lat;

  std::vector<Propellant> propellants;
  std::vector<Thruster> thrusters;
  std::vector<ThrusterGroup> groups;  // appended through AddGroup only
  std::vector<ExhaustStream> exhausts;
  std::vector<BEACONLIGHTSPEC*> beacons;
  std::vector<Airfoil> airfoils;
  std::vector<DragElement> drag_elements;
  std::vector<Mesh> meshes;
  std::vector<Animation> animations;
  std::vector<AnimationComponent> components;
  std::vector<Force> forces;  // added during the current step
  Cockpit cockpit;

  // Gives back what the tables grew by while the module declared them.
  void Compact();
  // Appends a group; its index.
  std::uint32_t AddGroup(ThrusterGroup group);
  // The first group of a type, or null: looked up, not searched, since the
  // outputs and the holds ask for their groups every step.
  const ThrusterGroup* FirstGroup(THGROUP_TYPE type) const {
    const auto indexed = static_cast<std::size_t>(type);
    if (indexed >= kIndexedGroupTypes || first_group_[indexed] == kBeyondIndex)
      return SearchGroup(type);
    return first_group_[indexed] == kNoGroup ? nullptr : &groups[first_group_[indexed]];
  }

private:
  const ThrusterGroup* SearchGroup(THGROUP_TYPE type) const;
  // A byte a type keeps a vessel's record small; a group added beyond
  // those indices is searched for.
  static constexpr std::size_t kIndexedGroupTypes = THGROUP_ATT_BACK + 1;
  static constexpr std::uint8_t kNoGroup = 0xff, kBeyondIndex = 0xfe;
  std::array<std::uint8_t, kIndexedGroupTypes> first_group_ = NoGroups();
  static constexpr std::array<std::uint8_t, kIndexedGroupTypes> NoGroups() {
    std::array<std::uint8_t, kIndexedGroupTypes> none{};
    for (std::uint8_t& i : none) i = kNoGroup;
    return none;
  }
};

// Answers to the per-step queries. With physics off a test or script sets
// them; with physics on the flight state produces them.
struct Readings {
  double altitude = 0;
  double airspeed = 0;
  double aoa = 0;
  double bank = 0;
  double heading = 0;
  bool ground_contact = true;
  VECTOR3 airspeed_vector{};  // vessel frame
  double pitch = 0;
  double slip = 0;  // sideslip angle (rad)
  double mach = 0;
  double dynamic_pressure = 0;  // Pa
};

// The rotation that takes vessel coordinates to world coordinates.
struct Quaternion {
  double w = 1, x = 0, y = 0, z = 0;
};

// The latest touchdown, as the physics judged it.
struct Landing {
  bool happened = false;
  double vspeed = 0;  // m/s, up positive: negative when sinking
  double speed = 0;   // ground speed (m/s)
  double bank = 0, pitch = 0;
  bool crash = false;
};

struct FlightState {
  VECTOR3 position{};  // x east, y up, z north (m); y = 0 is the ground
  VECTOR3 velocity{};  // world frame (m/s)
  Quaternion attitude;
  VECTOR3 rates{};        // angular velocity in the vessel frame (rad/s)
  bool on_plane = false;  // a touchdown point touches: the landing plane holds it
  Landing landing;

  // The rates as a pilot reads them: nose up, nose right, right wing up
  // (in the left-handed vessel frame nose up is a negative rate about x).
  double PitchRate() const { return -rates.x; }
  double YawRate() const { return rates.y; }
  double BankRate() const { return rates.z; }
  double VerticalSpeed() const { return velocity.y; }
  double GroundSpeed() const;
};

// What the pilot holds that the host reports back (the rudder pedals).
struct Controls {
  double rudder = 0;
};

// Last request the vessel made of one sound slot.
struct SoundSlot {
  std::string wave;
  std::string last;  // "load", "play", "stop"
  int loop = 0, volume = 0, frequency = 0;
};

// The physics' last state of a vessel that was finite throughout, put back
// when a step (or anything else) makes it otherwise.
struct GoodState {
  bool known = false;
  bool reported = false;  // the vessel's first rejected step has been told
  FlightState flight;
  Readings readings;
  std::vector<double> fuel;  // one per propellant resource
};

struct SoundState {
  int id = -1;
  std::map<int, SoundSlot> slots;
};

struct VesselRecord {
  std::string name;
  std::uint32_t serial = 0;  // unique in the process; owns the vessel's handles
  OBJHANDLE handle = nullptr;
  VESSEL* vessel = nullptr;
  int flight_model = 1;
  std::string class_config;

  Declared declared;
  Readings readings;
  FlightState flight;
  GoodState last_good;
  Controls controls;
  SoundState sound;

  double FuelMass() const {
    return declared.propellants.empty() ? 0.0 : declared.propellants.front().mass;
  }
  double Mass() const {
    double mass = declared.empty_mass;
    for (const Propellant& p : declared.propellants) mass += p.mass;
    return mass;
  }
  Thruster* GroupMember(THGROUP_TYPE type) {
    return const_cast<Thruster*>(static_cast<const VesselRecord&>(*this).GroupMember(type));
  }
  // The first thruster of the first group of a type, or null.
  const Thruster* GroupMember(THGROUP_TYPE type) const {
    const ThrusterGroup* g = Group(type);
    if (g == nullptr || g->members.empty() || g->members.front() >= declared.thrusters.size())
      return nullptr;
    return &declared.thrusters[g->members.front()];
  }
  const ThrusterGroup* Group(THGROUP_TYPE type) const { return declared.FirstGroup(type); }
};

}  // namespace vsim
