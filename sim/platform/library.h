// A dynamic library loaded for an object's life.
#pragma once

#include <string>

namespace vsim::platform {

class Library {
public:
  Library() = default;
  ~Library() { Close(); }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  // Loads the file at path, its exports visible to libraries loaded after
  // it when global. A bare name is the file in the working folder, never one
  // on the system's library path; a folder or a pipe is refused before the
  // loader sees it (it would fail late or block). False with the reason.
  bool Open(const std::string& path, bool global, std::string& why);
  void Close();
  bool IsOpen() const { return handle_ != nullptr; }
  // An export, or null.
  void* Symbol(const char* name) const;

private:
  void* handle_ = nullptr;
};

}  // namespace vsim::platform
