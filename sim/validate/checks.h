// The checks of the catalogue, one function each.
#pragma once

#include "sim/platform/process_figures.h"
#include "sim/validate/validation.h"

namespace vsim::validate {

constexpr bool kSanitized = platform::kAddressSanitizer;

Result CheckExports(const Target& target);
Result CheckLoadUnload(const Target& target);
Result CheckCreateDestroy(const Target& target);
Result CheckIndependence(const Target& target);
Result CheckLifecycleOrder(const Target& target);
Result CheckHostileReadings(const Target& target);
Result CheckTimeSteps(const Target& target);
Result CheckNullHandles(const Target& target);
Result CheckKeysAndClicks(const Target& target);
Result CheckSound(const Target& target);
Result CheckLongRun(const Target& target);
Result CheckSteadyState(const Target& target);
Result CheckSpeed(const Target& target);
Result CheckStands(const Target& target);
Result CheckHovers(const Target& target);
Result CheckAttitude(const Target& target);
Result CheckEnvelope(const Target& target);
Result CheckGroundHandling(const Target& target);

}  // namespace vsim::validate
