#include "sim/core/threads.h"

#include "sim/platform/platform.h"

namespace vsim {

std::string ThisThreadText() { return platform::CurrentThreadName(); }

}  // namespace vsim
