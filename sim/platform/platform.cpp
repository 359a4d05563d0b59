#include "sim/platform/platform.h"

#include <filesystem>
#include <random>

namespace vsim::platform {

EnteredFolder::EnteredFolder(const std::string& path)
    : previous_(std::filesystem::current_path().string()) {
  std::filesystem::current_path(path);
}

EnteredFolder::~EnteredFolder() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
}

WorkingFolder::WorkingFolder(const std::string& prefix)
    : previous_(std::filesystem::current_path().string()) {
  std::random_device random;
  for (;;) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / (prefix + std::to_string(random()));
    if (std::filesystem::create_directory(dir)) {
      path_ = dir.string();
      break;
    }
  }
  std::filesystem::current_path(path_);
}

WorkingFolder::~WorkingFolder() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace vsim::platform
