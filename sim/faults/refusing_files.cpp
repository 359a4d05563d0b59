#include "sim/faults/refusing_files.h"

#include <filesystem>
#include <utility>

namespace vsim {

namespace {

std::string Normal(const std::string& path) {
  return std::filesystem::path(path).lexically_normal().generic_string();
}

}  // namespace

std::FILE* RefusingFiles::OpenForWrite(const std::string& path, std::string& why) {
  if (opens_left_ <= 0) {
    why = "No space left on device";
    return nullptr;
  }
  --opens_left_;
  std::FILE* file = FileSystemWrapper::OpenForWrite(path, why);
  if (file == nullptr || !fail_writes_) return file;
  std::fclose(file);
  return std::fopen(path.c_str(), "rb");
}

UnreadableFile::UnreadableFile(FileSystem& target, const std::string& path, std::string reason,
                               bool unseen)
    : FileSystemWrapper(target), path_(Normal(path)), reason_(std::move(reason)), unseen_(unseen) {}

bool UnreadableFile::Refused(const std::string& path) const { return Normal(path) == path_; }

FileType UnreadableFile::TypeOf(const std::string& path, std::string& why) {
  if (!unseen_ || !Refused(path)) return FileSystemWrapper::TypeOf(path, why);
  why = reason_;
  return FileType::kMissing;
}

ReadOutcome UnreadableFile::ReadFile(const std::string& path, std::size_t max_bytes,
                                     std::string& text, std::string& why) {
  if (!Refused(path)) return FileSystemWrapper::ReadFile(path, max_bytes, text, why);
  text.clear();
  why = reason_;
  return ReadOutcome::kFailed;
}

}  // namespace vsim
