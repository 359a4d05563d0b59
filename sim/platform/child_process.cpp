#include "sim/platform/child_process.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <thread>

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
  // The system may close a child's handles a little after it has ended
  // (Wine does), and an open file cannot be removed on Windows.
  constexpr int kRemoveAttempts = 50;
  constexpr auto kRemovePause = std::chrono::milliseconds(10);
  std::error_code error;
  for (int attempt = 0; attempt < kRemoveAttempts; ++attempt) {
    if (std::filesystem::remove(path, error) || !std::filesystem::exists(path, error)) break;
    std::this_thread::sleep_for(kRemovePause);
  }
  return output;
}

}  // namespace vsim::platform::detail
