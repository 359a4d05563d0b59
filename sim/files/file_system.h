// The file-system operations the host reads and writes through, behind an
// interface so that a test can put a failing file system in front of the
// real one.
#pragma once

#include <cstddef>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace vsim {

// An output that cannot be written: names the file and the system's reason.
class FileError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

enum class FileType { kMissing, kRegular, kFolder, kOther };

enum class ReadOutcome { kRead, kFailed, kTooLarge };

class FileSystem {
public:
  virtual ~FileSystem() = default;

  // What stands at path; kMissing with the reason in why when nothing can
  // be seen there (the reason is the system's "not found" when nothing is).
  virtual FileType TypeOf(const std::string& path, std::string& why) = 0;
  // The whole file into text. kTooLarge as soon as it holds more than
  // max_bytes (a file that grows while read included); kFailed with the
  // system's reason in why.
  virtual ReadOutcome ReadFile(const std::string& path, std::size_t max_bytes, std::string& text,
                               std::string& why) = 0;

  // Null on failure, with the reason in why.
  virtual std::FILE* OpenForWrite(const std::string& path, std::string& why) = 0;
  // Moves from onto to, replacing a file already there.
  virtual bool Replace(const std::string& from, const std::string& to, std::string& why) = 0;
  virtual void Remove(const std::string& path) = 0;
  virtual bool MakeDirectories(const std::string& dir, std::string& why) = 0;
  // Whether a file could be moved onto path: false, with the reason, when
  // something that is not a file (a folder) stands there.
  virtual bool CanReplace(const std::string& path, std::string& why) = 0;
};

// Forwards every operation to a target: a file system that changes a few
// derives from it and overrides only those, and gains any added later.
class FileSystemWrapper : public FileSystem {
public:
  explicit FileSystemWrapper(FileSystem& target) : target_(target) {}

  FileSystem& target() const { return target_; }

  FileType TypeOf(const std::string& path, std::string& why) override {
    return target_.TypeOf(path, why);
  }
  ReadOutcome ReadFile(const std::string& path, std::size_t max_bytes, std::string& text,
                       std::string& why) override {
    return target_.ReadFile(path, max_bytes, text, why);
  }
  std::FILE* OpenForWrite(const std::string& path, std::string& why) override {
    return target_.OpenForWrite(path, why);
  }
  bool Replace(const std::string& from, const std::string& to, std::string& why) override {
    return target_.Replace(from, to, why);
  }
  void Remove(const std::string& path) override { target_.Remove(path); }
  bool MakeDirectories(const std::string& dir, std::string& why) override {
    return target_.MakeDirectories(dir, why);
  }
  bool CanReplace(const std::string& path, std::string& why) override {
    return target_.CanReplace(path, why);
  }

private:
  FileSystem& target_;
};

// The operating system's own.
FileSystem& SystemFiles();

}  // namespace vsim
