#include "sim/core/module_library.h"

#include <cstring>
#include <filesystem>

#include "sim/platform/platform.h"

namespace vsim {

namespace {

// A folder or a pipe passed as a library would fail late or block the
// loader for ever: refused before it is opened.
void RefuseSpecialFile(const std::string& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
    throw HostError(path + ": cannot load library: not a regular file");
}

// A file given by a bare name is the one in the working folder: the loader
// would otherwise search the system's library path for it instead.
std::string LoadablePath(const std::string& path) {
  std::error_code error;
  const auto absolute = std::filesystem::absolute(path, error);
  return error || !std::filesystem::exists(absolute, error) ? path : absolute.string();
}

template <typename Fn>
Fn Resolve(const DynamicLibrary& library, const char* name) {
  void* symbol = library.Symbol(name);
  if (symbol == nullptr)
    throw HostError(library.Path() + ": entry point \"" + name + "\" not found");
  Fn fn = nullptr;
  std::memcpy(&fn, &symbol, sizeof fn);
  return fn;
}

}  // namespace

DynamicLibrary::DynamicLibrary(const std::string& path, bool global) : path_(path) {
  RefuseSpecialFile(path);
  std::string why;
  handle_ = platform::OpenLibrary(LoadablePath(path), global, why);
  if (handle_ == nullptr) throw HostError(path + ": cannot load library: " + why);
}

DynamicLibrary::~DynamicLibrary() { platform::CloseLibrary(handle_); }

void* DynamicLibrary::Symbol(const char* name) const {
  return platform::LibrarySymbol(handle_, name);
}

ModuleLibrary::ModuleLibrary(const std::string& path) : library_(path) {
  ovcInit = Resolve<InitFn>(library_, "ovcInit");
  ovcExit = Resolve<ExitFn>(library_, "ovcExit");
  ModuleDate = Resolve<DateFn>(library_, "ModuleDate");
  GetModuleVersion = Resolve<VersionFn>(library_, "GetModuleVersion");
}

}  // namespace vsim
