// How the host's own libraries keep a symbol and a per-thread variable,
// where the systems differ.
#pragma once

// Seen only inside the library that defines it, so that calls to it bind at
// link time and need no lookup through the library's tables. A DLL exports
// nothing it does not name.
#if defined(_WIN32)
#define VSIM_LIBRARY_LOCAL
#else
#define VSIM_LIBRARY_LOCAL __attribute__((visibility("hidden")))
#endif

#if defined(_WIN32)
#define VSIM_FAST_TLS thread_local
#else
// A plain per-thread variable (never initialised at run time, so read
// without C++'s wrapper call), its copy found at an offset fixed when the
// program starts: one load, as for any other variable.
#define VSIM_FAST_TLS __thread __attribute__((tls_model("initial-exec")))
#endif
