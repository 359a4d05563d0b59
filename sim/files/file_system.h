// The few file-system operations the outputs need, behind an interface so
// that a test can put a failing file system in front of the real one.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>

namespace vsim {

// An output that cannot be written: names the file and the system's reason.
class FileError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

class FileSystem {
public:
  virtual ~FileSystem() = default;
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

// The operating system's own.
FileSystem& SystemFiles();

}  // namespace vsim
