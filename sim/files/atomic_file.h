// An output file that appears whole or not at all: written as PATH.partial
// and moved onto PATH only when it is complete.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "sim/files/file_system.h"

namespace vsim {

class AtomicFile {
public:
  // Throws FileError when the partial file cannot be made.
  AtomicFile(FileSystem& files, std::string path);
  // A file never committed is removed.
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  std::FILE* stream() const { return file_; }
  const std::string& path() const { return path_; }
  void Write(std::string_view text);
  // Closes and moves the file into place; throws FileError on any failure
  // of a write, the close or the move, and leaves nothing behind.
  void Commit();
  void Discard();

private:
  std::string Partial() const { return path_ + ".partial"; }

  FileSystem& files_;
  std::string path_;
  std::FILE* file_ = nullptr;
  bool write_failed_ = false;
};

}  // namespace vsim
