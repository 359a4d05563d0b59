#include "sim/flight/autopilot.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>
#include <vector>

#include "sim/core/group_names.h"

namespace vsim {

namespace {

// The attitude holds turn at most this fast, and come to a commanded rate
// within about the rate time.
constexpr double kAttitudeGain_per_s = 1.0;
constexpr double kMaxAttitudeRate_radps = 0.5;
constexpr double kRateTime_s = 0.25;
// Critically damped: s^2 + s / T + K has a double root for K = 1 / (4 T^2).
constexpr double kRateIntegralGain_per_s2 = 1 / (4 * kRateTime_s * kRateTime_s);
constexpr double kMaxRateIntegral_per_s2 = 1.0;
// The altitude hold climbs or sinks at most this fast.
constexpr double kAltitudeGain_per_s = 0.5;
constexpr double kMaxClimb_mps = 5.0;
constexpr double kVspeedGain_per_s = 2.0;
constexpr double kVspeedIntegralGain_per_s2 = 0.5;
constexpr double kMaxIntegral_mps2 = 5.0;

enum Axis { kPitch, kYaw, kBank };
struct AxisGroups {
  THGROUP_TYPE positive, negative;  // raise and lower the pilot's rate
  const char* name;
};
// Pilot's senses: nose up, nose right, right wing up.
constexpr AxisGroups kAxes[] = {
    {THGROUP_ATT_PITCHUP, THGROUP_ATT_PITCHDOWN, "pitch"},
    {THGROUP_ATT_YAWRIGHT, THGROUP_ATT_YAWLEFT, "yaw"},
    {THGROUP_ATT_BANKLEFT, THGROUP_ATT_BANKRIGHT, "bank"},
};

// The axes an attitude hold flies.
bool AxisHeld(Autopilot hold, Axis axis) {
  switch (hold) {
    case Autopilot::kKillRotation: return true;
    case Autopilot::kLevel: return axis != kYaw;
    case Autopilot::kHeading: return axis == kYaw;
    default: return false;
  }
}

}  // namespace

std::vector<THGROUP_TYPE> GroupsHeldBy(Autopilot hold) {
  if (hold == Autopilot::kAltitude || hold == Autopilot::kVerticalSpeed) return {THGROUP_HOVER};
  std::vector<THGROUP_TYPE> groups;
  for (int axis = kPitch; axis <= kBank; ++axis)
    if (AxisHeld(hold, static_cast<Axis>(axis))) {
      groups.push_back(kAxes[axis].positive);
      groups.push_back(kAxes[axis].negative);
    }
  return groups;
}

namespace {

double PilotComponent(Axis axis, const VECTOR3& body) {
  return axis == kPitch ? -body.x : axis == kYaw ? body.y : body.z;
}

// A group's moment at full level about one of the pilot's axes.
double GroupMoment(const VesselRecord& v, const ThrusterGroup* g, Axis axis) {
  if (g == nullptr) return 0;
  VECTOR3 total{0, 0, 0};
  for (std::uint32_t i : g->members) {
    const Thruster& t = v.declared.thrusters[i];
    const VECTOR3 f{t.dir.x * t.max0, t.dir.y * t.max0, t.dir.z * t.max0};
    total.x += t.pos.y * f.z - t.pos.z * f.y;
    total.y += t.pos.z * f.x - t.pos.x * f.z;
    total.z += t.pos.x * f.y - t.pos.y * f.x;
  }
  return PilotComponent(axis, total);
}

void SetGroup(VesselRecord& v, const ThrusterGroup* g, double level) {
  if (g != nullptr)
    for (std::uint32_t i : g->members) v.declared.thrusters[i].level = level;
}

void SetGroup(VesselRecord& v, THGROUP_TYPE type, double level) {
  SetGroup(v, v.Group(type), level);
}

double Around(double angle) { return std::remainder(angle, 2 * PI); }

}  // namespace

void Autopilots::Engage(VesselRecord& v, const AutopilotCommand& c) {
  if (c.hold == Autopilot::kOff) {
    auto found = holds_.find(v.serial);
    if (found == holds_.end()) return;
    for (const AxisGroups& a : kAxes) {
      SetGroup(v, a.positive, 0);
      SetGroup(v, a.negative, 0);
    }
    holds_.erase(found);
    return;
  }
  const bool vertical = c.hold == Autopilot::kAltitude || c.hold == Autopilot::kVerticalSpeed;
  if (vertical && v.Group(THGROUP_HOVER) == nullptr)
    throw HoldError("hold " + c.name + ": " + v.name + " has no hover thrusters");
  if (!vertical)
    for (int axis = kPitch; axis <= kBank; ++axis) {
      const AxisGroups& a = kAxes[axis];
      if (AxisHeld(c.hold, static_cast<Axis>(axis)) &&
          (v.Group(a.positive) == nullptr || v.Group(a.negative) == nullptr))
        throw HoldError("hold " + c.name + ": " + v.name + " has no " + NameOf(a.positive) +
                        " and " + NameOf(a.negative) + " thrusters");
    }
  Holds& h = holds_[v.serial];
  switch (c.hold) {
    case Autopilot::kKillRotation: h.kill_rotation = true; break;
    case Autopilot::kLevel: h.level = true; break;
    case Autopilot::kHeading: h.heading = c.target; break;
    case Autopilot::kAltitude:
      h.altitude = c.target;
      h.vspeed.reset();
      break;
    case Autopilot::kVerticalSpeed:
      h.vspeed = c.target;
      h.altitude.reset();
      break;
    case Autopilot::kOff: break;
  }
  if (vertical) {
    h.overridden.erase(THGROUP_HOVER);
    h.vspeed_integral = 0;
  } else {
    for (const AxisGroups& a : kAxes) {
      h.overridden.erase(a.positive);
      h.overridden.erase(a.negative);
    }
    for (double& i : h.rate_integral) i = 0;
  }
}

void Autopilots::Commanded(const VesselRecord& v, THGROUP_TYPE group) {
  const auto found = holds_.find(v.serial);
  if (found == holds_.end()) return;
  Holds& h = found->second;
  h.overridden.insert(group);
  // The hover throttle ends the vertical holds outright.
  if (group == THGROUP_HOVER) {
    h.altitude.reset();
    h.vspeed.reset();
  }
}

void Autopilots::Apply(const Host& host, double dt) {
  if (holds_.empty() || !(dt > 0)) return;
  for (const auto& vessel : host.Vessels()) {
    const auto found = holds_.find(vessel->serial);
    if (found != holds_.end()) Fly(*vessel, found->second, dt);
  }
}

void Autopilots::Fly(VesselRecord& v, Holds& h, double dt) const {
  Rotate(v, h, dt);
  Climb(v, h, dt);
}

// Each axis a hold covers is driven to a commanded rate: from the angle
// for level and heading, zero for killrot.
void Autopilots::Rotate(VesselRecord& v, Holds& h, double dt) const {
  const Readings& r = v.readings;
  const VECTOR3 pmi = v.declared.pmi;
  const double mass = v.Mass();
  const double inertia[3] = {pmi.x * mass, pmi.y * mass, pmi.z * mass};
  const double rates[3] = {v.flight.PitchRate(), v.flight.YawRate(), v.flight.BankRate()};
  auto toward = [](double error) {
    return std::clamp(kAttitudeGain_per_s * error, -kMaxAttitudeRate_radps, kMaxAttitudeRate_radps);
  };
  std::optional<double> wanted[3];
  if (h.kill_rotation) wanted[kPitch] = wanted[kYaw] = wanted[kBank] = 0.0;
  if (h.level) {
    wanted[kPitch] = toward(-r.pitch);
    wanted[kBank] = toward(-r.bank);
  }
  if (h.heading) wanted[kYaw] = toward(Around(*h.heading - r.heading));
  // Each group looked up once a step, and no list on the heap: the holds
  // run every step of every held vessel.
  struct Firing {
    const ThrusterGroup* group;
    double level;
  };
  Firing firing[2 * std::size(kAxes)];
  std::size_t count = 0;
  for (int axis = kPitch; axis <= kBank; ++axis) {
    if (!wanted[axis]) continue;
    const AxisGroups& a = kAxes[axis];
    const ThrusterGroup* positive = v.Group(a.positive);
    const ThrusterGroup* negative = v.Group(a.negative);
    // Proportional and integral on the rate: a steady moment (the gear's
    // drag at speed) leaves no lasting error.
    const double error = *wanted[axis] - rates[axis];
    double& integral = h.rate_integral[axis];
    const double moment = inertia[axis] * (error / kRateTime_s + integral);
    const double up = GroupMoment(v, positive, static_cast<Axis>(axis));
    const double down = -GroupMoment(v, negative, static_cast<Axis>(axis));
    const double up_level = up > 0 && moment > 0 ? std::min(moment / up, 1.0) : 0.0;
    const double down_level = down > 0 && moment < 0 ? std::min(-moment / down, 1.0) : 0.0;
    if (up_level < 1 && down_level < 1)
      integral = std::clamp(integral + kRateIntegralGain_per_s2 * error * dt,
                            -kMaxRateIntegral_per_s2, kMaxRateIntegral_per_s2);
    if (h.overridden.count(a.positive) == 0) firing[count++] = {positive, up_level};
    if (h.overridden.count(a.negative) == 0) firing[count++] = {negative, down_level};
  }
  // A thruster in several groups (pitch and bank) fires for all of them.
  for (std::size_t i = 0; i < count; ++i) SetGroup(v, firing[i].group, 0);
  for (std::size_t i = 0; i < count; ++i)
    if (const ThrusterGroup* g = firing[i].group)
      for (std::uint32_t member : g->members) {
        double& l = v.declared.thrusters[member].level;
        l = std::min(l + firing[i].level, 1.0);
      }
}

// Hover thrust for a commanded vertical speed: the weight fed forward
// through the thrust's tilt, a proportional and an integral part.
void Autopilots::Climb(VesselRecord& v, Holds& h, double dt) const {
  if (!h.altitude && !h.vspeed) return;
  if (h.overridden.count(THGROUP_HOVER) != 0) return;
  const ThrusterGroup* group = v.Group(THGROUP_HOVER);
  if (group == nullptr) return;
  const double wanted = h.altitude
                            ? std::clamp(kAltitudeGain_per_s * (*h.altitude - v.readings.altitude),
                                         -kMaxClimb_mps, kMaxClimb_mps)
                            : *h.vspeed;
  const double error = wanted - v.flight.VerticalSpeed();
  // Upward thrust at full level: the hover thrusters' maximum through the
  // vessel's tilt.
  const Quaternion& q = v.flight.attitude;
  // The world's up in the vessel frame: the second row of the rotation.
  const VECTOR3 up{2 * (q.x * q.y + q.w * q.z), 1 - 2 * (q.x * q.x + q.z * q.z),
                   2 * (q.y * q.z - q.w * q.x)};
  double full = 0;
  for (std::uint32_t i : group->members) {
    const Thruster& t = v.declared.thrusters[i];
    full += t.max0 * (t.dir.x * up.x + t.dir.y * up.y + t.dir.z * up.z);
  }
  const double needed = v.Mass() * (gravity_ + kVspeedGain_per_s * error + h.vspeed_integral);
  const double level = full > 0 ? needed / full : 1.0;
  if (level > 0 && level < 1)
    h.vspeed_integral = std::clamp(h.vspeed_integral + kVspeedIntegralGain_per_s2 * error * dt,
                                   -kMaxIntegral_mps2, kMaxIntegral_mps2);
  SetGroup(v, group, std::clamp(level, 0.0, 1.0));
}

}  // namespace vsim
