#include "module/os_layer.h"

#include <cstring>
#include <string>

#if !defined(_WIN32)
#include <dlfcn.h>
#include <link.h>
#include <strings.h>
#endif

namespace os {

ProcAddress ToProc(void* address) {
  ProcAddress proc = nullptr;
  static_assert(sizeof proc == sizeof address, "code and data pointers differ in size");
  std::memcpy(&proc, &address, sizeof proc);
  return proc;
}

#if defined(_WIN32)

ProcAddress FindExport(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  return reinterpret_cast<ProcAddress>(::GetProcAddress(module, name));
}

ProcAddress FindOwnExport(HINSTANCE self, const char* name) { return FindExport(self, name); }

#else

ProcAddress FindExport(HMODULE module, const char* name) {
  return ToProc(::GetProcAddress(module, name));
}

ProcAddress FindOwnExport(HINSTANCE self, const char* name) {
  void* symbol = dlsym(self, name);
  if (symbol == nullptr) return nullptr;
  Dl_info symbol_info{};
  Dl_info self_info{};
  // dlsym on a library handle also searches its dependencies.
  if (dladdr(symbol, &symbol_info) == 0) return nullptr;
  if (dladdr(reinterpret_cast<void*>(&FindOwnExport), &self_info) == 0) return nullptr;
  if (symbol_info.dli_fbase != self_info.dli_fbase) return nullptr;
  return ToProc(symbol);
}

#endif

}  // namespace os

#if !defined(_WIN32)

namespace {

std::string LibraryFileName(const char* module_name) {
  std::string name = module_name;
  const std::string dll = ".dll";
  if (name.size() >= dll.size() && strcasecmp(name.c_str() + name.size() - dll.size(), ".dll") == 0)
    name.replace(name.size() - dll.size(), dll.size(), ".so");
  return name;
}

struct LoadedSearch {
  const std::string* file;
  std::string path;
};

// Compares the file name of each object the process has loaded: no search
// of the file system, so asking for a library that is not loaded is cheap.
int MatchLoaded(dl_phdr_info* info, size_t /*size*/, void* data) {
  auto* search = static_cast<LoadedSearch*>(data);
  const char* path = info->dlpi_name;
  if (path == nullptr || path[0] == '\0') return 0;
  const char* slash = std::strrchr(path, '/');
  const char* name = slash == nullptr ? path : slash + 1;
  if (*search->file != name) return 0;
  search->path = path;
  return 1;
}

}  // namespace

HMODULE GetModuleHandleA(const char* module_name) {
  if (module_name == nullptr) return nullptr;
  const std::string file = LibraryFileName(module_name);
  LoadedSearch search{&file, {}};
  if (dl_iterate_phdr(MatchLoaded, &search) == 0) return nullptr;
  void* handle = dlopen(search.path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
  // Like its Windows namesake, this takes no reference on the library.
  if (handle != nullptr) dlclose(handle);
  return handle;
}

void* GetProcAddress(HMODULE module, const char* name) {
  if (module == nullptr || name == nullptr) return nullptr;
  return dlsym(module, name);
}

#endif
