#include "sim/platform/fatal_signals.h"

#include <atomic>

namespace vsim::platform {

namespace {

LastWords last_words = nullptr;
std::atomic_flag dying = ATOMIC_FLAG_INIT;

}  // namespace

// Only the first of several signals speaks, and only once: a second signal,
// or a crash inside the last words, must not run them again.
bool detail::SpeakLastWords(const char* name, bool stop_request) {
  if (dying.test_and_set()) return false;
  if (last_words != nullptr) last_words(name, stop_request);
  return true;
}

void OnFatalSignal(LastWords handler) {
  last_words = handler;
  detail::InstallFatalHandlers();
}

}  // namespace vsim::platform
