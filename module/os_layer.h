// The few operating-system services the module needs: its own instance
// handle, look-up of its own exports, and finding an already-loaded library.
#pragma once

#include "host/host_api.h"

#if defined(_WIN32)
#include <windows.h>
#else
// Finds a library the process has already loaded, without loading it. A
// Windows module name ("X.dll") stands for the library file "X.so".
HMODULE GetModuleHandleA(const char* module_name);
void* GetProcAddress(HMODULE module, const char* name);
#endif

namespace os {

using ProcAddress = void (*)();

// Looks up an export of this module itself; a symbol that the look-up finds
// in another library (a dependency) does not count.
ProcAddress FindOwnExport(HINSTANCE self, const char* name);

ProcAddress ToProc(void* address);

// An export of a library found with GetModuleHandleA, or null.
ProcAddress FindExport(HMODULE module, const char* name);

}  // namespace os

// Called by the library entry; defined by the module.
void OnProcessAttach(HINSTANCE self);
void OnProcessDetach(HINSTANCE self);
