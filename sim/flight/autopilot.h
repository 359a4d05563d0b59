// The host's holds: each step, before the physics, they set the levels of
// the vessel's attitude groups (killrot, level, heading) and of its hover
// group (altitude, vertical speed), as a host's autopilots do. A group a
// script commands itself is left alone until the hold is given again.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/core/host.h"
#include "sim/script/commands.h"

namespace vsim {

// A hold the vessel cannot carry out: it lacks the groups.
class HoldError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The groups a hold sets the levels of (none for `hold off`).
std::vector<THGROUP_TYPE> GroupsHeldBy(Autopilot hold);

class Autopilots {
public:
  explicit Autopilots(double gravity) : gravity_(gravity) {}

  void Engage(VesselRecord& vessel, const AutopilotCommand& command);
  // The script set this group's level: the last command on a group wins.
  void Commanded(const VesselRecord& vessel, THGROUP_TYPE group);
  void Forget(const VesselRecord& vessel) { holds_.erase(vessel.serial); }
  // Sets the levels of every held vessel for a step of dt seconds.
  void Apply(const Host& host, double dt);

private:
  struct Holds {
    bool kill_rotation = false;
    bool level = false;
    std::optional<double> heading;
    std::optional<double> altitude;
    std::optional<double> vspeed;
    double vspeed_integral = 0;    // m/s^2 of thrust beyond the feed-forward
    double rate_integral[3] = {};  // rad/s^2 per axis, against steady moments
    std::set<THGROUP_TYPE> overridden;
  };
  void Fly(VesselRecord& vessel, Holds& holds, double dt) const;
  void Rotate(VesselRecord& vessel, Holds& holds, double dt) const;
  void Climb(VesselRecord& vessel, Holds& holds, double dt) const;

  double gravity_;
  std::map<std::uint32_t, Holds> holds_;  // by vessel serial
};

}  // namespace vsim
