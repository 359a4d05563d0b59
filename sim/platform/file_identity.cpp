#include "sim/platform/file_identity.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#include "sim/platform/windows_api.h"
#else
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#endif

namespace vsim::platform {

namespace {

namespace fs = std::filesystem;

#if defined(_WIN32)

bool IdentifyExisting(const fs::path& path, FileIdentity& identity) {
  HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  if (!known) return false;
  identity.device = info.dwVolumeSerialNumber;
  identity.file = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  return true;
}

std::string Folded(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  std::replace(text.begin(), text.end(), '\\', '/');
  return text;
}

#else

bool IdentifyExisting(const fs::path& path, FileIdentity& identity) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return false;
  identity.device = static_cast<std::uint64_t>(info.st_dev);
  identity.file = static_cast<std::uint64_t>(info.st_ino);
  return true;
}

std::string Folded(std::string text) { return text; }

#endif

}  // namespace

bool IdentifyFile(const std::string& path, FileIdentity& identity, std::string& why) {
  std::error_code error;
  fs::path absolute = fs::absolute(path.empty() ? fs::path(".") : fs::path(path), error);
  if (error) {
    why = error.message();
    return false;
  }
  absolute = absolute.lexically_normal();
  fs::path rest;
  for (fs::path at = absolute;; at = at.parent_path()) {
    if (IdentifyExisting(at, identity)) {
      identity.rest = Folded(rest.lexically_normal().generic_string());
      if (identity.rest == ".") identity.rest.clear();
      return true;
    }
    if (at == at.parent_path() || at.empty()) break;
    rest = rest.empty() ? at.filename() : at.filename() / rest;
  }
  why = "no part of the path can be found";
  return false;
}

#if defined(_WIN32)

int CurrentProcessId() { return static_cast<int>(GetCurrentProcessId()); }

bool ProcessExists(int process) {
  HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(process));
  if (handle == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  const bool running = WaitForSingleObject(handle, 0) == WAIT_TIMEOUT;
  CloseHandle(handle);
  return running;
}

#else

int CurrentProcessId() { return static_cast<int>(getpid()); }

bool ProcessExists(int process) {
  if (process <= 0) return false;
  return kill(static_cast<pid_t>(process), 0) == 0 || errno == EPERM;
}

#endif

}  // namespace vsim::platform
