#include <cstdlib>

#include "sim/platform/exit_hooks.h"

namespace vsim::platform {

namespace {

ExitHook hook = nullptr;

void OnExit() { hook("exit", 0, false); }
// MinGW's C runtime has no quick_exit; the universal one has.
#if defined(_UCRT)
void OnQuickExit() { hook("quick_exit", 0, false); }
#endif

}  // namespace

void OnProcessExit(ExitHook exit_hook) {
  hook = exit_hook;
  std::atexit(OnExit);
#if defined(_UCRT)
  std::at_quick_exit(OnQuickExit);
#endif
}

}  // namespace vsim::platform
