// What moves the world between steps. The host core calls it and knows
// nothing of how it works; the host runs without one when the readings are
// set by hand.
#pragma once

#include <memory>
#include <vector>

#include "sim/core/vessel_record.h"

namespace vsim {

class Integrator {
public:
  virtual ~Integrator() = default;
  virtual void Integrate(const std::vector<std::unique_ptr<VesselRecord>>& vessels, double dt) = 0;
  // After the module declared a new vessel, before its first step.
  virtual void Placed(VesselRecord& vessel) = 0;
};

}  // namespace vsim
