// The names a library file exports, read from the file itself: the dynamic
// symbol table of an ELF shared object, the export table of a PE DLL.
#pragma once

#include <string>
#include <vector>

namespace vsim::validate {

struct ExportTable {
  std::vector<std::string> names;
  std::vector<std::string> unique;  // GNU unique symbols: they pin the library in memory
  std::string error;                // the file could not be read as a library
};

ExportTable ReadExports(const std::string& path);

}  // namespace vsim::validate
