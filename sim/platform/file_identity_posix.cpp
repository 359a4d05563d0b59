#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "sim/platform/file_identity.h"

namespace vsim::platform {

namespace detail {

bool IdentifyExisting(const std::filesystem::path& path, FileIdentity& identity) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return false;
  identity.device = static_cast<std::uint64_t>(info.st_dev);
  identity.file = static_cast<std::uint64_t>(info.st_ino);
  return true;
}

std::string Folded(std::string text) { return text; }

}  // namespace detail

int CurrentProcessId() { return static_cast<int>(getpid()); }

bool ProcessExists(int process) {
  if (process <= 0) return false;
  return kill(static_cast<pid_t>(process), 0) == 0 || errno == EPERM;
}

}  // namespace vsim::platform
