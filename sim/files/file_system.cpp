#include "sim/files/file_system.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "sim/platform/platform.h"

namespace vsim {

namespace {

class SystemFileSystem final : public FileSystem {
public:
  std::FILE* OpenForWrite(const std::string& path, std::string& why) override {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) why = std::strerror(errno);
    return file;
  }

  bool Replace(const std::string& from, const std::string& to, std::string& why) override {
    return platform::MoveReplacing(from, to, why);
  }

  void Remove(const std::string& path) override {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }

  bool CanReplace(const std::string& path, std::string& why) override {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status) || std::filesystem::is_regular_file(status)) return true;
    why = std::filesystem::is_directory(status) ? std::strerror(EISDIR) : "not a regular file";
    return false;
  }

  bool MakeDirectories(const std::string& dir, std::string& why) override {
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (!error && std::filesystem::is_directory(dir, error)) return true;
    why = error ? error.message() : "not a folder";
    return false;
  }
};

}  // namespace

FileSystem& SystemFiles() {
  static SystemFileSystem files;
  return files;
}

}  // namespace vsim
