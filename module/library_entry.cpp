// The library entry: the loader's attach and detach notifications.
#include "module/os_layer.h"

#if !defined(_WIN32)
#include <dlfcn.h>
#endif

#if defined(_WIN32)

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  switch (reason) {
    case DLL_PROCESS_ATTACH: OnProcessAttach(instance); break;
    case DLL_PROCESS_DETACH: OnProcessDetach(instance); break;
    default: break;
  }
  return TRUE;
}

#else

namespace {

HINSTANCE self_instance = nullptr;

HINSTANCE FindSelf() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&FindSelf), &info) == 0 || info.dli_fname == nullptr)
    return nullptr;
  void* handle = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
  // The handle stays valid while the library is loaded; keeping the extra
  // reference would pin the library in memory.
  if (handle != nullptr) dlclose(handle);
  return handle;
}

__attribute__((constructor)) void LibraryAttach() {
  self_instance = FindSelf();
  OnProcessAttach(self_instance);
}

__attribute__((destructor)) void LibraryDetach() { OnProcessDetach(self_instance); }

}  // namespace

#endif
