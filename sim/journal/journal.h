// The call journal: every call a module makes into the host or the sound
// library, in order, as text lines "STEP VESSEL CALL(ARGS)".
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/host_api.h"
#include "sim/handles/handles.h"
#include "sim/journal/format.h"

namespace vsim {

struct CallEntry {
  int step = 0;
  std::string vessel;      // "-" for calls that belong to no vessel
  std::string call;        // "SetCW(0.3, 0.3, 0.67, 0.92)"
  std::string result;      // what the call returned, if anything: "thruster#2", "true"
  bool from_host = false;  // a call of the host into the module: "=> clbkPostStep(...)"

  std::string Line() const;
  // The operation's name: the call text up to its argument list.
  std::string_view Name() const;
};

class Journal {
public:
  // Off, recording costs one test of this flag and builds nothing.
  bool enabled = true;
  // Entries are kept for inspection; a sink also receives each line as it comes.
  bool keep = true;
  std::FILE* sink = nullptr;

  void Add(int step, std::string_view vessel, std::string_view call, std::string_view result = {},
           bool from_host = false);
  // Buffers for building a call's text and its result before Add, reused
  // from call to call.
  std::string& CallBuffer() { return call_buffer_; }
  std::string& ResultBuffer() { return result_buffer_; }
  // Entries kept are only those of these operations (all, when empty): a
  // long window then holds what its checks can look at, nothing more.
  void KeepOnly(std::vector<std::string> names) { kept_names_ = std::move(names); }
  const std::vector<CallEntry>& Entries() const { return entries_; }
  void Clear() { entries_.clear(); }
  std::string Text() const;
  // Calls one vessel made whose operation has this name (all, if empty);
  // the host's calls into the module are left out.
  std::vector<std::string> Calls(const std::string& vessel, const std::string& name = "") const;
  // Set when writing to the sink failed.
  bool SinkFailed() const { return sink_error_ != 0; }
  // The system's error number of the failed write.
  int SinkError() const { return sink_error_; }

private:
  bool Kept(std::string_view call) const;

  std::vector<CallEntry> entries_;
  std::vector<std::string> kept_names_;
  int sink_error_ = 0;
  std::string line_;
  std::string call_buffer_;
  std::string result_buffer_;
};

// Names of handles in the journal. A handle the host issued is named after
// its kind and index ("thruster#2"); values the module made itself (its
// functions, textures, its instance) are numbered per vessel as they appear.
class HandleNames {
public:
  static std::string Issued(HandleKind kind, std::uint32_t index);
  std::string Foreign(std::uint32_t vessel, const char* kind, const void* handle);
  void Forget(std::uint32_t vessel);

private:
  std::map<std::pair<std::uint32_t, const void*>, std::string> names_;
  std::map<std::pair<std::uint32_t, std::string>, int> counts_;
};

}  // namespace vsim
