#include "sim/platform/pause_points.h"
#include "sim/platform/windows_api.h"

namespace vsim::platform::detail {

void Nap(int ms) { Sleep(static_cast<DWORD>(ms)); }

// No signal can be told pending here: a pause in a handler waits its limit.
bool SignalPending() { return false; }

}  // namespace vsim::platform::detail
