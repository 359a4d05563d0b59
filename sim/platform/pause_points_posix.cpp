#include <csignal>
#include <ctime>

#include "sim/platform/pause_points.h"

namespace vsim::platform::detail {

void Nap(int ms) {
  const timespec nap{ms / 1000, (ms % 1000) * 1'000'000L};
  nanosleep(&nap, nullptr);
}

bool SignalPending() {
  sigset_t pending;
  sigemptyset(&pending);
  if (sigpending(&pending) != 0) return false;
  for (int s = 1; s < NSIG; ++s)
    if (sigismember(&pending, s) == 1) return true;
  return false;
}

}  // namespace vsim::platform::detail
