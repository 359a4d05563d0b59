#include "sim/platform/pause_points.h"

#include <cstdlib>
#include <cstring>

#include "sim/platform/fatal_signals.h"

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

}  // namespace

void PausePoint(const char* point) {
  if (!Wanted(point)) return;
  Say(point);
  for (int waited = 0; waited < kPauseLimit_ms; waited += kPoll_ms) detail::Nap(kPoll_ms);
}

void PausePointInHandler(const char* point) {
  if (!Wanted(point)) return;
  Say(point);
  for (int waited = 0; waited < kPauseLimit_ms && !detail::SignalPending(); waited += kPoll_ms)
    detail::Nap(kPoll_ms);
}

}  // namespace vsim::platform
