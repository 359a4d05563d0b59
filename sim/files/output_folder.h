// An output folder held by one run at a time: two runs writing one folder
// would mix their outputs. The hold is a lock file in the folder, which the
// system lets go however the process ends.
#pragma once

#include <string>

#include "sim/files/file_system.h"
#include "sim/platform/file_lock.h"

namespace vsim {

class OutputFolder {
public:
  static constexpr char kLockName[] = ".vesselsim.lock";

  // Makes the folder if missing and holds it. Throws FileError: "out: the
  // output folder is in use (process 1234)", or why it cannot be made or held.
  OutputFolder(FileSystem& files, const std::string& dir);
  ~OutputFolder();
  OutputFolder(const OutputFolder&) = delete;
  OutputFolder& operator=(const OutputFolder&) = delete;

private:
  platform::FileLock lock_;
  int remembered_ = -1;
};

}  // namespace vsim
