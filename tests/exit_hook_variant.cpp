// Exit hooks for test builds of the module. Each reports its call through a
// host function the journal records, naming the instance it was given.
#include <cstdio>

#include "module/export.h"

namespace {
void Report(const char* hook, HINSTANCE instance) {
  char text[64];
  std::snprintf(text, sizeof text, "%s %p", hook, static_cast<void*>(instance));
  Date2Int(text);
}
}  // namespace

#if defined(EXPORT_EXIT_MODULE)
MODULE_EXPORT void ExitModule(HINSTANCE instance) { Report("ExitModule", instance); }
#endif

#if defined(EXPORT_OPC_DLL_EXIT)
MODULE_EXPORT void opcDLLExit(HINSTANCE instance) { Report("opcDLLExit", instance); }
#endif
