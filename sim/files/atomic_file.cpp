#include "sim/files/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace vsim {

namespace {

constexpr std::size_t kWriteBuffer = std::size_t{1} << 20;

}  // namespace

AtomicFile::AtomicFile(FileSystem& files, std::string path)
    : files_(files), path_(std::move(path)) {
  std::string why;
  file_ = files_.OpenForWrite(Partial(), why);
  if (file_ == nullptr) throw FileError("cannot write " + path_ + ": " + why);
  // Outputs run to megabytes: write them in large blocks, not in pages.
  std::setvbuf(file_, nullptr, _IOFBF, kWriteBuffer);
}

AtomicFile::~AtomicFile() { Discard(); }

void AtomicFile::Write(std::string_view text) {
  if (file_ == nullptr || write_failed_) return;
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) write_failed_ = true;
}

void AtomicFile::Commit() {
  if (file_ == nullptr) throw FileError("cannot write " + path_ + ": already closed");
  bool written = !write_failed_ && std::ferror(file_) == 0;
  int error = written ? 0 : (errno != 0 ? errno : EIO);
  std::FILE* file = std::exchange(file_, nullptr);
  if (std::fclose(file) != 0 && written) {
    written = false;
    error = errno;
  }
  std::string why = written ? "" : std::strerror(error);
  if (written && files_.Replace(Partial(), path_, why)) return;
  files_.Remove(Partial());
  throw FileError("cannot write " + path_ + ": " + why);
}

void AtomicFile::Discard() {
  if (file_ == nullptr) return;
  std::fclose(file_);
  file_ = nullptr;
  files_.Remove(Partial());
}

}  // namespace vsim
