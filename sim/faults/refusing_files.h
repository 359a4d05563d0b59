// Fault injection for outputs: a file system that refuses to open files
// for writing after a number of successful opens, as a full disk would, or
// opens them with every write failing, as a disk that fills up midway.
#pragma once

#include "sim/files/file_system.h"

namespace vsim {

class RefusingFiles final : public FileSystem {
public:
  explicit RefusingFiles(FileSystem& target, int opens_allowed = 0)
      : target_(target), opens_left_(opens_allowed) {}

  std::FILE* OpenForWrite(const std::string& path, std::string& why) override;
  // Files opened from now on accept no write: they are read-only streams.
  void FailWrites(bool on) { fail_writes_ = on; }
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
  int opens_left_;
  bool fail_writes_ = false;
};

}  // namespace vsim
