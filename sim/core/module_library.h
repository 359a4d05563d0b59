// Dynamic libraries the substitute host loads: vessel modules by path, with
// their four entry points resolved by name, and the optional sound library.
#pragma once

#include <stdexcept>
#include <string>

#include "host/host_api.h"
#include "sim/platform/library.h"

namespace vsim {

// A host operation that the caller asked for and that cannot be done (a
// missing file, an unknown vessel). Never raised inside a module callback.
class HostError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

class ModuleLibrary {
public:
  using InitFn = VESSEL* (*)(OBJHANDLE, int);
  using ExitFn = void (*)(VESSEL*);
  using DateFn = const char* (*)();
  using VersionFn = int (*)();

  // Throws HostError when the file or an entry point is missing.
  explicit ModuleLibrary(const std::string& path);

  InitFn ovcInit = nullptr;
  ExitFn ovcExit = nullptr;
  DateFn ModuleDate = nullptr;
  VersionFn GetModuleVersion = nullptr;

private:
  platform::Library library_;
};

// Loaded with its exports visible to the modules loaded after it, which
// find it by name. Throws HostError when it cannot be loaded.
class SoundLibrary {
public:
  explicit SoundLibrary(const std::string& path);

private:
  platform::Library library_;
};

}  // namespace vsim
