// What the substitute host keeps for each vessel: everything the module has
// declared or set, the answers to its queries, and the flight state.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/host_api.h"

namespace vsim {

struct Propellant {
  double max_mass = 0;
  double mass = 0;
  double efficiency = 1;
};

struct Thruster {
  VECTOR3 pos{};
  VECTOR3 dir{};
  double max0 = 0;
  Propellant* resource = nullptr;
  double isp = 0;
  double isp_ref = 0;
  double p_ref = 0;
  double level = 0;
};

struct ThrusterGroup {
  THGROUP_TYPE type{};
  std::vector<Thruster*> members;
};

struct ExhaustStream {
  Thruster* thruster = nullptr;
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
  const double* level = nullptr;
  double factor = 0;
  VECTOR3 ref{};
};

struct Mesh {
  MESHHANDLE handle = nullptr;
  std::optional<VECTOR3> offset;
  WORD visibility = MESHVIS_EXTERNAL;
};

struct AnimationComponent {
  UINT animation = 0;
  double from = 0, to = 0;
  MGROUP_TRANSFORM* transform = nullptr;
  AnimationComponent* parent = nullptr;
};

struct Animation {
  double initial_state = 0;
  double state = 0;
  std::vector<AnimationComponent*> components;
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

// Last request the vessel made of one sound slot.
struct SoundSlot {
  std::string wave;
  std::string last;  // "load", "play", "stop"
  int loop = 0, volume = 0, frequency = 0;
};

// Answers to the per-step queries. With physics off a test or script sets
// them; with physics on the flight state below produces them.
struct Readings {
  double altitude = 0;
  double airspeed = 0;
  double aoa = 0;
  double bank = 0;
  double heading = 0;
  bool ground_contact = true;
  VECTOR3 airspeed_vector{};  // vessel frame
};

struct FlightState {
  VECTOR3 position{};   // x east, y up, z north (m); y = 0 is the ground
  VECTOR3 velocity{};   // world frame (m/s)
  double yaw_rate = 0;  // rad/s about the vertical axis
};

struct VesselRecord {
  std::string name;
  VESSEL* vessel = nullptr;
  int flight_model = 1;
  std::string class_config;

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

  std::deque<Propellant> propellants;
  std::deque<Thruster> thrusters;
  std::deque<ThrusterGroup> groups;
  std::deque<ExhaustStream> exhausts;
  std::vector<BEACONLIGHTSPEC*> beacons;
  std::deque<Airfoil> airfoils;
  std::deque<DragElement> drag_elements;
  std::vector<Mesh> meshes;
  std::vector<Animation> animations;
  std::deque<AnimationComponent> components;
  std::vector<Force> forces;  // added during the current step
  Cockpit cockpit;
  std::map<int, SoundSlot> sound_slots;
  int sound_id = -1;

  double rudder = 0;
  Readings readings;
  FlightState flight;

  // Journal numbering of host handles, counted per vessel and kind.
  std::unordered_map<const void*, std::string> handle_names;
  std::map<std::string, int> handle_counts;

  double FuelMass() const;
  double Mass() const;
  Thruster* GroupMember(THGROUP_TYPE type) const;
  const ThrusterGroup* Group(THGROUP_TYPE type) const;
};

}  // namespace vsim
