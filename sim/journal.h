// The call journal: every call a module makes into the host or the sound
// library, in order, as text lines "STEP VESSEL CALL(ARGS)".
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "host/host_api.h"

namespace vsim {

struct CallEntry {
  int step = 0;
  std::string vessel;  // "-" for calls that belong to no vessel
  std::string call;    // "SetCW(0.3, 0.3, 0.67, 0.92)"

  std::string Line() const;
  // The operation's name: the call text up to its argument list.
  std::string_view Name() const;
};

class Journal {
public:
  bool enabled = true;
  // Entries are kept for inspection; a sink also receives each line as it comes.
  bool keep = true;
  std::FILE* sink = nullptr;

  void Add(int step, const std::string& vessel, std::string call);
  const std::vector<CallEntry>& Entries() const { return entries_; }
  void Clear() { entries_.clear(); }
  std::string Text() const;

private:
  std::vector<CallEntry> entries_;
};

// Shortest text that reads back as the same number.
std::string FormatNumber(double value);
std::string FormatNumber(float value);
std::string FormatVector(const VECTOR3& v);
std::string FormatString(const char* text);

}  // namespace vsim
