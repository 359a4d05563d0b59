#include "sim/files/output_folder.h"

#include "sim/files/partial_files.h"

namespace vsim {

OutputFolder::OutputFolder(FileSystem& files, const std::string& dir) {
  std::string why;
  if (!files.MakeDirectories(dir, why))
    throw FileError("cannot create the output folder " + dir + ": " + why);
  const std::string path = dir + "/" + kLockName;
  int holder = 0;
  switch (lock_.Take(path, holder, why)) {
    case platform::FileLock::Outcome::kTaken: break;
    case platform::FileLock::Outcome::kHeld:
      throw FileError(dir + ": the output folder is in use" +
                      (holder != 0 ? " (process " + std::to_string(holder) + ")" : ""));
    case platform::FileLock::Outcome::kFailed: throw FileError(why);
  }
  // A process that dies of a signal leaves no lock file behind either.
  remembered_ = RememberPartial(path);
}

OutputFolder::~OutputFolder() {
  ForgetPartial(remembered_);
  lock_.Release();
}

}  // namespace vsim
