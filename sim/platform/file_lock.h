// A lock held through a file, which the system releases when the process
// ends, however it ends (a crash or a kill included).
#pragma once

#include <string>

namespace vsim::platform {

class FileLock {
public:
  FileLock() = default;
  ~FileLock() { Release(); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  enum class Outcome { kTaken, kHeld, kFailed };
  // Takes the lock on the file at `path`, made if missing, and writes this
  // process's identifier into it. kHeld: another process holds it, and
  // `holder` is the identifier it wrote (0 when unknown); kFailed: the file
  // cannot be made, with the system's reason in `why`.
  Outcome Take(const std::string& path, int& holder, std::string& why);
  // Removes the file and lets the lock go.
  void Release();

private:
  std::string path_;
#if defined(_WIN32)
  void* handle_ = nullptr;
#else
  int descriptor_ = -1;
#endif
};

}  // namespace vsim::platform
