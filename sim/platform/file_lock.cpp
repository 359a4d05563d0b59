#include "sim/platform/file_lock.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "sim/platform/file_identity.h"

#if defined(_WIN32)
#include "sim/platform/windows_api.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vsim::platform {

namespace {

constexpr std::size_t kHolderText = 32;

int ParseHolder(const char* text) {
  int holder = 0;
  for (const char* c = text; *c >= '0' && *c <= '9' && holder < 100'000'000; ++c)
    holder = holder * 10 + (*c - '0');
  return holder;
}

}  // namespace

#if defined(_WIN32)

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
  handle_ = file;
  path_ = path;
  return Outcome::kTaken;
}

void FileLock::Release() {
  if (handle_ == nullptr) return;
  CloseHandle(static_cast<HANDLE>(handle_));
  handle_ = nullptr;
  path_.clear();
}

#else

FileLock::Outcome FileLock::Take(const std::string& path, int& holder, std::string& why) {
  Release();
  // A file removed by its holder between our open and our lock is no longer
  // the lock: try again on the file now at the path.
  constexpr int kAttempts = 8;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
      why = "cannot make the lock file " + path + ": " + std::strerror(errno);
      return Outcome::kFailed;
    }
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (fcntl(fd, F_SETLK, &lock) != 0) {
      const int error = errno;
      if (error != EACCES && error != EAGAIN) {
        close(fd);
        why = "cannot lock " + path + ": " + std::strerror(error);
        return Outcome::kFailed;
      }
      char text[kHolderText] = {};
      const ssize_t read = pread(fd, text, sizeof text - 1, 0);
      holder = read > 0 ? ParseHolder(text) : 0;
      close(fd);
      return Outcome::kHeld;
    }
    struct stat opened {};
    struct stat named {};
    if (fstat(fd, &opened) == 0 && stat(path.c_str(), &named) == 0 &&
        opened.st_ino == named.st_ino && opened.st_dev == named.st_dev) {
      const std::string text = std::to_string(CurrentProcessId()) + "\n";
      if (ftruncate(fd, 0) != 0 || pwrite(fd, text.data(), text.size(), 0) < 0) {
        why = "cannot write the lock file " + path + ": " + std::strerror(errno);
        close(fd);
        return Outcome::kFailed;
      }
      descriptor_ = fd;
      path_ = path;
      return Outcome::kTaken;
    }
    close(fd);
  }
  why = "the lock file " + path + " keeps being replaced";
  return Outcome::kFailed;
}

void FileLock::Release() {
  if (descriptor_ < 0) return;
  // Removed while still held, so that no other process can take the old file.
  unlink(path_.c_str());
  close(descriptor_);
  descriptor_ = -1;
  path_.clear();
}

#endif

}  // namespace vsim::platform
