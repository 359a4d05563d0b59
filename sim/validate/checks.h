// The checks of the catalogue, one function each.
#pragma once

#include "sim/validate/validation.h"

namespace vsim::validate {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

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
Result CheckSpeed(const Target& target);

}  // namespace vsim::validate
