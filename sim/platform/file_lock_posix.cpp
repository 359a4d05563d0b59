#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "sim/platform/file_identity.h"
#include "sim/platform/file_lock.h"

namespace vsim::platform {

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
      handle_ = fd;
      path_ = path;
      return Outcome::kTaken;
    }
    close(fd);
  }
  why = "the lock file " + path + " keeps being replaced";
  return Outcome::kFailed;
}

void FileLock::Release() {
  if (handle_ == kNoHandle) return;
  // Removed while still held, so that no other process can take the old file.
  unlink(path_.c_str());
  close(static_cast<int>(handle_));
  handle_ = kNoHandle;
  path_.clear();
}

}  // namespace vsim::platform
