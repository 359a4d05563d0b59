#include "sim/platform/pause_points.h"

#include <cstdlib>
#include <cstring>

#include "sim/platform/fatal_signals.h"

#if defined(_WIN32)
#include "sim/platform/windows_api.h"
#else
#include <csignal>
#include <ctime>
#endif

namespace vsim::platform {

namespace {

constexpr char kVariable[] = "VESSELSIM_PAUSE_AT";
// A test that forgets to signal does not hang the program.
constexpr int kPauseLimit_ms = 10'000;
constexpr int kPoll_ms = 1;

// Read before any signal can arrive, so that the handler only compares.
const char* const wanted = std::getenv(kVariable);

bool Wanted(const char* point) { return wanted != nullptr && std::strcmp(wanted, point) == 0; }

void Say(const char* point) {
  WriteError("paused at ");
  WriteError(point);
  WriteError("\n");
}

void Nap() {
#if defined(_WIN32)
  Sleep(kPoll_ms);
#else
  const timespec nap{0, kPoll_ms * 1'000'000L};
  nanosleep(&nap, nullptr);
#endif
}

bool SignalPending() {
#if defined(_WIN32)
  return false;
#else
  sigset_t pending;
  sigemptyset(&pending);
  if (sigpending(&pending) != 0) return false;
  for (int s = 1; s < NSIG; ++s)
    if (sigismember(&pending, s) == 1) return true;
  return false;
#endif
}

}  // namespace

void PausePoint(const char* point) {
  if (!Wanted(point)) return;
  Say(point);
  for (int waited = 0; waited < kPauseLimit_ms; waited += kPoll_ms) Nap();
}

void PausePointInHandler(const char* point) {
  if (!Wanted(point)) return;
  Say(point);
  for (int waited = 0; waited < kPauseLimit_ms && !SignalPending(); waited += kPoll_ms) Nap();
}

}  // namespace vsim::platform
