#include "sim/platform/library.h"

#include <filesystem>
#include <system_error>

#include "sim/platform/platform.h"

namespace vsim::platform {

namespace {

bool SpecialFile(const std::string& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  return std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
}

std::string LoadablePath(const std::string& path) {
  std::error_code error;
  const auto absolute = std::filesystem::absolute(path, error);
  return error || !std::filesystem::exists(absolute, error) ? path : absolute.string();
}

}  // namespace

bool Library::Open(const std::string& path, bool global, std::string& why) {
  Close();
  if (SpecialFile(path)) {
    why = "not a regular file";
    return false;
  }
  handle_ = OpenLibrary(LoadablePath(path), global, why);
  return handle_ != nullptr;
}

void Library::Close() {
  if (handle_ == nullptr) return;
  CloseLibrary(handle_);
  handle_ = nullptr;
}

void* Library::Symbol(const char* name) const {
  return handle_ == nullptr ? nullptr : LibrarySymbol(handle_, name);
}

}  // namespace vsim::platform
