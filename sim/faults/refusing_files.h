// Fault injection for files: a file system that refuses to open files for
// writing after a number of successful opens, as a full disk would, or
// opens them with every write failing, as a disk that fills up midway; and
// one that cannot read a file, as a failing disk or a file locked by
// another program.
#pragma once

#include <string>

#include "sim/files/file_system.h"

namespace vsim {

class RefusingFiles final : public FileSystemWrapper {
public:
  explicit RefusingFiles(FileSystem& target, int opens_allowed = 0)
      : FileSystemWrapper(target), opens_left_(opens_allowed) {}

  std::FILE* OpenForWrite(const std::string& path, std::string& why) override;
  // Files opened from now on accept no write: they are read-only streams.
  void FailWrites(bool on) { fail_writes_ = on; }

private:
  int opens_left_;
  bool fail_writes_ = false;
};

// Reading the one file fails with `reason`; when `unseen`, so does looking
// at what stands there. Paths are compared once normalised.
class UnreadableFile final : public FileSystemWrapper {
public:
  UnreadableFile(FileSystem& target, const std::string& path, std::string reason,
                 bool unseen = false);

  FileType TypeOf(const std::string& path, std::string& why) override;
  ReadOutcome ReadFile(const std::string& path, std::size_t max_bytes, std::string& text,
                       std::string& why) override;

private:
  bool Refused(const std::string& path) const;

  std::string path_;
  std::string reason_;
  bool unseen_;
};

}  // namespace vsim
