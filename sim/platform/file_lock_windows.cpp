#include <string>

#include "sim/platform/file_identity.h"
#include "sim/platform/file_lock.h"
#include "sim/platform/windows_api.h"

namespace vsim::platform {

FileLock::Outcome FileLock::Take(const std::string& path, int& holder, std::string& why) {
  Release();
  // Opened for this process alone, and gone when it closes: the system
  // closes it when the process ends in any way.
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) {
      why = "cannot make the lock file " + path + " (error " + std::to_string(error) + ")";
      return Outcome::kFailed;
    }
    holder = 0;
    HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (reader != INVALID_HANDLE_VALUE) {
      char text[kHolderText] = {};
      DWORD read = 0;
      if (ReadFile(reader, text, sizeof text - 1, &read, nullptr) != 0) holder = ParseHolder(text);
      CloseHandle(reader);
    }
    return Outcome::kHeld;
  }
  const std::string text = std::to_string(CurrentProcessId()) + "\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  FlushFileBuffers(file);
  handle_ = reinterpret_cast<std::intptr_t>(file);
  path_ = path;
  return Outcome::kTaken;
}

void FileLock::Release() {
  if (handle_ == kNoHandle) return;
  CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = kNoHandle;
  path_.clear();
}

}  // namespace vsim::platform
