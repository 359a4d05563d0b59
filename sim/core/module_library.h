// Dynamic libraries the substitute host loads: vessel modules by path, with
// their four entry points resolved by name, and the optional sound library.
#pragma once

#include <stdexcept>
#include <string>

#include "host/host_api.h"

namespace vsim {

// A host operation that the caller asked for and that cannot be done (a
// missing file, an unknown vessel). Never raised inside a module callback.
class HostError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

class DynamicLibrary {
public:
  // Throws HostError naming the file when it cannot be loaded.
  explicit DynamicLibrary(const std::string& path, bool global = false);
  ~DynamicLibrary();
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  void* Symbol(const char* name) const;
  const std::string& Path() const { return path_; }

private:
  std::string path_;
  void* handle_ = nullptr;
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
  DynamicLibrary library_;
};

class SoundLibrary {
public:
  explicit SoundLibrary(const std::string& path) : library_(path, true) {}

private:
  DynamicLibrary library_;
};

}  // namespace vsim
