// The host's model of a vessel: a rigid body in six degrees of freedom
// over flat ground, in the standard atmosphere, with a constant wind.
#pragma once

#include <limits>
#include <set>
#include <string>
#include <vector>

#include "sim/physics/atmosphere.h"
#include "sim/physics/attitude.h"
#include "sim/physics/gusts.h"
#include "sim/physics/physics.h"

namespace vsim {

struct PhysicsConstants {
  double gravity = 9.81;              // m/s^2
  double default_friction_lng = 0.1;  // until the vessel sets its own
  double default_friction_lat = 0.5;
};

class RigidBodyPhysics final : public Physics {
public:
  explicit RigidBodyPhysics(PhysicsConstants constants = {}) : c_(constants) {}
  void Integrate(const std::vector<std::unique_ptr<VesselRecord>>& vessels, double dt) override;
  void Placed(VesselRecord& vessel) override;
  void PlaceAt(VesselRecord& vessel, double altitude) override;
  void SetForwardSpeed(VesselRecord& vessel, double speed) override;
  void SetHeading(VesselRecord& vessel, double heading) override;
  void SetPitch(VesselRecord& vessel, double pitch) override;
  void SetBank(VesselRecord& vessel, double bank) override;
  void SetRates(VesselRecord& vessel, VECTOR3 pitch_yaw_bank) override;
  void SetPosition(VesselRecord& vessel, VECTOR3 position) override;
  void SetWind(double speed, double from_heading) override;
  void SetGusts(double rms, std::uint64_t seed) override;

  std::vector<std::string> TakeRejected() override { return std::move(rejected_); }
  std::vector<TouchdownReport> TakeTouchdowns() override { return std::move(touchdowns_); }
  std::vector<std::string> TakeNotices() override { return std::move(notices_); }

  // The altitude at which the vessel rests level on its touchdown points.
  static double RestHeight(const VesselRecord& vessel);
  // Derives the readings the module queries from the flight state.
  void UpdateReadings(VesselRecord& vessel) const;

private:
  struct Step;
  // The air at the altitude a vessel's last step ended at, which is where
  // its next one starts unless it was moved in between.
  struct AirMemo {
    double altitude = std::numeric_limits<double>::quiet_NaN();
    Air air;
    const Air& At(double at);
  };
  void UpdateReadings(VesselRecord& vessel, const Air& air) const;
  void GuardedAdvance(VesselRecord& vessel, double dt, AirMemo& memo);
  bool Advance(VesselRecord& vessel, double dt, AirMemo& memo);
  void Ground(VesselRecord& vessel, Step& step);
  void SetAttitude(VesselRecord& vessel, const Euler& angles);
  void Notice(const VesselRecord& vessel, int which, const std::string& text);

  PhysicsConstants c_;
  Vec mean_wind_ = Vec::Zero();
  Gusts gusts_;
  Vec wind_ = Vec::Zero();  // the mean and the gust of this step
  std::vector<std::string> rejected_;
  std::vector<TouchdownReport> touchdowns_;
  std::vector<std::string> notices_;
  std::set<std::pair<std::uint32_t, int>> noticed_;  // vessel serial, notice
  std::vector<AirMemo> air_;                         // one per place in the vessel list
};

}  // namespace vsim
