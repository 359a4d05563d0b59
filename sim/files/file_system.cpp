#include "sim/files/file_system.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "sim/platform/platform.h"

namespace vsim {

namespace {

// Reads go in blocks of this size, so that a file far too large is refused
// having read little more than the limit.
constexpr std::size_t kReadBlock = 64 * 1024;

class SystemFileSystem final : public FileSystem {
public:
  FileType TypeOf(const std::string& path, std::string& why) override {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) {
      why = status.type() == std::filesystem::file_type::not_found || !error
                ? std::string(std::strerror(ENOENT))
                : error.message();
      return FileType::kMissing;
    }
    if (std::filesystem::is_regular_file(status)) return FileType::kRegular;
    if (std::filesystem::is_directory(status)) return FileType::kFolder;
    return FileType::kOther;
  }

  ReadOutcome ReadFile(const std::string& path, std::size_t max_bytes, std::string& text,
                       std::string& why) override {
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
      why = std::strerror(errno != 0 ? errno : EACCES);
      return ReadOutcome::kFailed;
    }
    text.clear();
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (!error && size <= max_bytes) text.reserve(static_cast<std::size_t>(size));
    char block[kReadBlock];
    ReadOutcome outcome = ReadOutcome::kRead;
    for (;;) {
      const std::size_t got = std::fread(block, 1, sizeof block, file);
      text.append(block, got);
      if (text.size() > max_bytes) {
        outcome = ReadOutcome::kTooLarge;
        break;
      }
      if (got == sizeof block) continue;
      if (std::ferror(file) != 0) {
        why = std::strerror(errno != 0 ? errno : EIO);
        outcome = ReadOutcome::kFailed;
      }
      break;
    }
    std::fclose(file);
    if (outcome != ReadOutcome::kRead) text.clear();
    return outcome;
  }

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
