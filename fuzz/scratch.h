// A fuzz target's own folder for the files it writes, made once per process
// and removed when it exits.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace vsim::fuzz {

inline const std::filesystem::path& Scratch(const char* target) {
  static const std::filesystem::path dir = [&] {
    auto path = std::filesystem::temp_directory_path() /
                (std::string("vsim-") + target + "-" + std::to_string(::getpid()));
    std::filesystem::create_directories(path);
    return path;
  }();
  static const bool removed_at_exit = std::atexit([] {
                                        std::error_code ignored;
                                        std::filesystem::remove_all(Scratch(""), ignored);
                                      }) == 0;
  static_cast<void>(removed_at_exit);
  return dir;
}

// The file's text, or nothing when it does not exist.
inline std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

}  // namespace vsim::fuzz
