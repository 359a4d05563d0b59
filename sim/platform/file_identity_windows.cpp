#include <algorithm>
#include <cctype>

#include "sim/platform/file_identity.h"
#include "sim/platform/windows_api.h"

namespace vsim::platform {

namespace detail {

bool IdentifyExisting(const std::filesystem::path& path, FileIdentity& identity) {
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

}  // namespace detail

int CurrentProcessId() { return static_cast<int>(GetCurrentProcessId()); }

bool ProcessExists(int process) {
  HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(process));
  if (handle == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  const bool running = WaitForSingleObject(handle, 0) == WAIT_TIMEOUT;
  CloseHandle(handle);
  return running;
}

}  // namespace vsim::platform
