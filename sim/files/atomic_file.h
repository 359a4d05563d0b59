// An output file that appears whole or not at all: written as a partial file
// of its own (see partial_files.h) and moved onto PATH only when complete.
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
  // A file never published is removed.
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  std::FILE* stream() const { return file_; }
  const std::string& path() const { return path_; }
  void Write(std::string_view text);
  // A write to stream() failed, with the system's error number.
  void WriteFailed(int error);
  // Finishes the partial file: throws FileError, naming the file and the
  // system's reason, when a write or the close failed, and removes it.
  void Close();
  // Closes the file if still open, then moves it into place; throws
  // FileError and leaves nothing behind when either fails.
  void Publish();
  // The same as Publish, for a file written and placed in one go.
  void Commit();
  void Discard();

private:
  [[noreturn]] void Fail(const std::string& why);

  FileSystem& files_;
  std::string path_;
  std::string partial_;
  std::FILE* file_ = nullptr;
  bool partial_exists_ = false;
  int write_error_ = 0;
  int remembered_ = -1;
};

}  // namespace vsim
