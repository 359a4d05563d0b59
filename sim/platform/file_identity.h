// What a path names, by the system's identity of files rather than by its
// spelling: two paths that reach one file (through a symbolic link, "..", a
// hard link, or another letter case on Windows) have equal identities, and so
// do two spellings of a file not yet written in one folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace vsim::platform {

struct FileIdentity {
  // The nearest existing file or folder on the path: the system's device
  // (volume) and file number.
  std::uint64_t device = 0;
  std::uint64_t file = 0;
  // The rest of the path below it, normalised (case-folded on Windows);
  // empty when the path itself exists.
  std::string rest;

  bool operator==(const FileIdentity& o) const {
    return device == o.device && file == o.file && rest == o.rest;
  }
  bool operator!=(const FileIdentity& o) const { return !(*this == o); }
};

// False, with the system's reason, when nothing on the path can be
// identified.
bool IdentifyFile(const std::string& path, FileIdentity& identity, std::string& why);

// This process's identifier, and whether a process of that identifier is
// alive (one that cannot be looked at counts as alive).
int CurrentProcessId();
bool ProcessExists(int process);

namespace detail {

// The system's part of IdentifyFile: the device and file number of a file
// or folder that exists, false otherwise; and the rest of a path as the
// system compares names.
bool IdentifyExisting(const std::filesystem::path& path, FileIdentity& identity);
std::string Folded(std::string text);

}  // namespace detail

}  // namespace vsim::platform
