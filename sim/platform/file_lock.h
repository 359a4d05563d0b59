// A lock held through a file, which the system releases when the process
// ends, however it ends (a crash or a kill included).
#pragma once

#include <cstddef>
#include <cstdint>
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
  // The holder's identifier as it wrote it, 0 when there is none.
  static int ParseHolder(const char* text);
  static constexpr std::size_t kHolderText = 32;
  // The system's descriptor (POSIX) or handle (Windows) of the open file.
  static constexpr std::intptr_t kNoHandle = -1;

  std::string path_;
  std::intptr_t handle_ = kNoHandle;
};

}  // namespace vsim::platform
