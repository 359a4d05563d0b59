// The file system the program reads and writes through: the system's own,
// unless a test names in VESSELSIM_FAIL_READ a file whose reading fails
// (with the system's "Input/output error"), as a failing disk would.
#pragma once

#include "sim/files/file_system.h"

namespace vesselsim {

vsim::FileSystem& ProgramFiles();

}  // namespace vesselsim
