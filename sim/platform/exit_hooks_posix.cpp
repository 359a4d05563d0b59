#include <cstdlib>

#include "sim/platform/exit_hooks.h"

namespace vsim::platform {

namespace {

ExitHook hook = nullptr;

#if defined(__GLIBC__)
void OnExit(int status, void*) { hook("exit", status, true); }
#else
void OnExit() { hook("exit", 0, false); }
#endif
void OnQuickExit() { hook("quick_exit", 0, false); }

}  // namespace

void OnProcessExit(ExitHook exit_hook) {
  hook = exit_hook;
#if defined(__GLIBC__)
  on_exit(OnExit, nullptr);
#else
  std::atexit(OnExit);
#endif
  std::at_quick_exit(OnQuickExit);
}

}  // namespace vsim::platform
