#include "sim/faults/refusing_files.h"

namespace vsim {

std::FILE* RefusingFiles::OpenForWrite(const std::string& path, std::string& why) {
  if (opens_left_ <= 0) {
    why = "No space left on device";
    return nullptr;
  }
  --opens_left_;
  std::FILE* file = target_.OpenForWrite(path, why);
  if (file == nullptr || !fail_writes_) return file;
  std::fclose(file);
  return std::fopen(path.c_str(), "rb");
}

}  // namespace vsim
