#include "sim/files/file_system.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#endif

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
#if defined(_WIN32)
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0) return true;
    why = "cannot replace the file (error " + std::to_string(GetLastError()) + ")";
    return false;
#else
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    why = std::strerror(errno);
    return false;
#endif
  }

  void Remove(const std::string& path) override {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
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
