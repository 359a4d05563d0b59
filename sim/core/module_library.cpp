#include "sim/core/module_library.h"

#include <cstring>

namespace vsim {

namespace {

void Load(platform::Library& library, const std::string& path, bool global) {
  std::string why;
  if (!library.Open(path, global, why)) throw HostError(path + ": cannot load library: " + why);
}

template <typename Fn>
Fn Resolve(const platform::Library& library, const std::string& path, const char* name) {
  void* symbol = library.Symbol(name);
  if (symbol == nullptr) throw HostError(path + ": entry point \"" + name + "\" not found");
  Fn fn = nullptr;
  std::memcpy(&fn, &symbol, sizeof fn);
  return fn;
}

}  // namespace

ModuleLibrary::ModuleLibrary(const std::string& path) {
  Load(library_, path, false);
  ovcInit = Resolve<InitFn>(library_, path, "ovcInit");
  ovcExit = Resolve<ExitFn>(library_, path, "ovcExit");
  ModuleDate = Resolve<DateFn>(library_, path, "ModuleDate");
  GetModuleVersion = Resolve<VersionFn>(library_, path, "GetModuleVersion");
}

SoundLibrary::SoundLibrary(const std::string& path) { Load(library_, path, true); }

}  // namespace vsim
