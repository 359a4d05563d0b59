// Flight scripts: a small command language that sets a flight up, drives
// the vessels and checks what the host saw. Parsing validates every line
// before anything runs.
#pragma once

#include <stdexcept>
#include <string>

#include "sim/files/file_system.h"
#include "sim/script/commands.h"

namespace vsim {

// "file:line: message"
class ScriptError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Parses and checks the files the script names; a relative module path is
// taken from base_dir when one is given. Included scripts and named files
// are read and looked at through `files`.
Script ParseScript(const std::string& file, const std::string& text,
                   const std::string& base_dir = "", FileSystem& files = SystemFiles());
// The largest script file a flight reads.
constexpr std::size_t kMaxScriptBytes = std::size_t{16} << 20;

// A script file's text: refused (ScriptError naming the file and the
// reason) when it is missing, not a regular file, cannot be read or is
// larger than kMaxScriptBytes.
std::string ReadScript(const std::string& path, FileSystem& files = SystemFiles());
// Reads a script file; its module paths are relative to its folder.
Script LoadScript(const std::string& path, FileSystem& files = SystemFiles());
// Where "include FILE" looks after the including script's own folder: the
// scripts installed beside the program.
void SetSharedScriptsFolder(const std::string& folder);
// Every file a script names exists (a module a regular file).
void CheckFiles(const Script& script, FileSystem& files = SystemFiles());

}  // namespace vsim
