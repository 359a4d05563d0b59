#include "sim/files/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "sim/files/partial_files.h"
#include "sim/platform/pause_points.h"

namespace vsim {

namespace {

constexpr std::size_t kWriteBuffer = std::size_t{1} << 20;

}  // namespace

AtomicFile::AtomicFile(FileSystem& files, std::string path)
    : files_(files), path_(std::move(path)), partial_(PartialPath(path_)) {
  std::string why;
  if (!files_.CanReplace(path_, why)) throw FileError("cannot write " + path_ + ": " + why);
  SweepStalePartials(path_);
  platform::PausePoint("before-open");
  remembered_ = RememberPartial(partial_);
  file_ = files_.OpenForWrite(partial_, why);
  if (file_ == nullptr) {
    ForgetPartial(std::exchange(remembered_, -1));
    throw FileError("cannot write " + path_ + ": " + why);
  }
  partial_exists_ = true;
  RememberDescriptor(remembered_, fileno(file_));
  // Outputs run to megabytes: write them in large blocks, not in pages.
  std::setvbuf(file_, nullptr, _IOFBF, kWriteBuffer);
}

AtomicFile::~AtomicFile() { Discard(); }

void AtomicFile::Write(std::string_view text) {
  if (file_ == nullptr || write_error_ != 0) return;
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size())
    WriteFailed(errno != 0 ? errno : EIO);
  platform::PausePoint("mid-write");
}

void AtomicFile::WriteFailed(int error) {
  if (write_error_ == 0) write_error_ = error != 0 ? error : EIO;
}

void AtomicFile::Fail(const std::string& why) {
  Discard();
  throw FileError("cannot write " + path_ + ": " + why);
}

void AtomicFile::Close() {
  if (file_ == nullptr) {
    if (partial_exists_) return;
    throw FileError("cannot write " + path_ + ": already discarded");
  }
  errno = 0;
  int error = write_error_;
  if (error == 0 && std::fflush(file_) != 0) error = errno != 0 ? errno : EIO;
  if (error == 0 && std::ferror(file_) != 0) error = EIO;
  std::FILE* file = std::exchange(file_, nullptr);
  errno = 0;
  if (std::fclose(file) != 0 && error == 0) error = errno != 0 ? errno : EIO;
  if (error != 0) Fail(std::strerror(error));
}

void AtomicFile::Publish() {
  Close();
  platform::PausePoint("mid-rename");
  std::string why;
  if (!files_.Replace(partial_, path_, why)) Fail(why);
  partial_exists_ = false;
  ForgetPartial(std::exchange(remembered_, -1));
}

void AtomicFile::Commit() { Publish(); }

void AtomicFile::Discard() {
  if (file_ != nullptr) std::fclose(std::exchange(file_, nullptr));
  if (!partial_exists_) return;
  files_.Remove(partial_);
  partial_exists_ = false;
  ForgetPartial(std::exchange(remembered_, -1));
}

}  // namespace vsim
