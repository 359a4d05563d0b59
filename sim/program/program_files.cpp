#include "sim/program/program_files.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "sim/faults/refusing_files.h"

namespace vesselsim {

vsim::FileSystem& ProgramFiles() {
  static const char* const unreadable = std::getenv("VESSELSIM_FAIL_READ");
  if (unreadable == nullptr || *unreadable == '\0') return vsim::SystemFiles();
  static vsim::UnreadableFile files(vsim::SystemFiles(), unreadable, std::strerror(EIO));
  return files;
}

}  // namespace vesselsim
