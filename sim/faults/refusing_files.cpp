#include "sim/faults/refusing_files.h"

namespace vsim {

std::FILE* RefusingFiles::OpenForWrite(const std::string& path, std::string& why) {
  if (opens_left_ <= 0) {
    why = "No space left on device";
    return nullptr;
  }
  --opens_left_;
  return target_.OpenForWrite(path, why);
}

}  // namespace vsim
