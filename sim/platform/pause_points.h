// Test-only pause points: places where a test can hold the program still and
// signal it (before an output is opened, mid-write, mid-rename, mid-clean-up).
// The environment variable VESSELSIM_PAUSE_AT names one point; reaching it
// the program says "paused at POINT" on its standard error and waits, up to
// a few seconds, for a signal. Unset, a pause point costs one test of a flag.
#pragma once

namespace vsim::platform {

void PausePoint(const char* point);

// The same inside a signal handler: waits until another signal is pending.
void PausePointInHandler(const char* point);

namespace detail {

// Sleeps, safely in a signal handler.
void Nap(int ms);
// Whether a signal waits, blocked, for this thread.
bool SignalPending();

}  // namespace detail

}  // namespace vsim::platform
