// The substitute host's flight physics as the host core and the scripts
// see it: a model of the world that can also place a vessel in it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/core/integrator.h"

namespace vsim {

// A touchdown the physics judged, for the narration.
struct TouchdownReport {
  std::string vessel;
  Landing landing;
  bool hard = false;
};

class Physics : public Integrator {
public:
  // Puts a vessel at a height above its contact points, or on them, with no
  // vertical speed.
  virtual void PlaceAt(VesselRecord& vessel, double altitude) = 0;
  virtual void SetForwardSpeed(VesselRecord& vessel, double speed) = 0;
  virtual void SetHeading(VesselRecord& vessel, double heading) = 0;
  virtual void SetPitch(VesselRecord& vessel, double pitch) = 0;
  virtual void SetBank(VesselRecord& vessel, double bank) = 0;
  // Pitch (nose up), yaw (nose right) and bank rates, as the quantities read.
  virtual void SetRates(VesselRecord& vessel, VECTOR3 pitch_yaw_bank) = 0;
  virtual void SetPosition(VesselRecord& vessel, VECTOR3 position) = 0;
  // A constant wind over the whole world, blowing from a heading.
  virtual void SetWind(double speed, double from_heading) = 0;
  // Seeded gusts over it, of a root mean square per horizontal direction;
  // none when zero.
  virtual void SetGusts(double rms, std::uint64_t seed) = 0;

  // What happened since the last call, each taken once.
  virtual std::vector<std::string> TakeRejected() = 0;
  virtual std::vector<TouchdownReport> TakeTouchdowns() = 0;
  virtual std::vector<std::string> TakeNotices() = 0;
};

}  // namespace vsim
