#include "sim/platform/child_process.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace vsim::platform::detail {

std::string ChildOutputFile(const std::string& scratch_dir) {
  static int serial = 0;
  return (std::filesystem::path(scratch_dir) / ("child-" + std::to_string(++serial) + ".out"))
      .string();
}

std::string TakeChildOutput(const std::string& path) {
  std::string output;
  {
    std::ifstream in(path, std::ios::binary);
    output.assign(std::istreambuf_iterator<char>(in), {});
  }
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  return output;
}

}  // namespace vsim::platform::detail
