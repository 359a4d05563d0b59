// A hook on the process's normal end: through exit (with the status where
// the C library tells it) or through quick_exit (where the C library has
// one). _exit ends the process unseen.
#pragma once

namespace vsim::platform {

using ExitHook = void (*)(const char* how, int status, bool status_known);

// Installs the hook once for the process's life.
void OnProcessExit(ExitHook hook);

}  // namespace vsim::platform
