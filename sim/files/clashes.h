// Outputs that would overwrite what a run reads or what it writes already:
// found before anything runs, by the files' identities, not their spelling.
#pragma once

#include <string>
#include <vector>

namespace vsim {

struct NamedPath {
  std::string role;  // "the script", "--trace", "--junit"
  std::string path;
};

// A message naming the first output that is an input or another output
// ("--trace a.vsim is the script a.vsim"), or an empty string when none is.
std::string FindClash(const std::vector<NamedPath>& inputs, const std::vector<NamedPath>& outputs);

}  // namespace vsim
