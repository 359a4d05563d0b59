// The call journal: every call a module makes into the host or the sound
// library, in order, as text lines "STEP VESSEL CALL(ARGS)".
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/host_api.h"
#include "sim/handles/handles.h"
#include "sim/journal/format.h"
#include "sim/journal/line_text.h"

namespace vsim {

class CallPattern;

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
  // Lines reach the sink in blocks: FlushSink (or another SetSink) writes
  // what is pending.
  void SetSink(std::FILE* sink);
  std::FILE* Sink() const { return sink_; }
  void FlushSink();

  void Add(int step, std::string_view vessel, std::string_view call, std::string_view result = {},
           bool from_host = false);
  // The same line written in place, with no text of its own made first:
  // Begin gives the line after "STEP VESSEL ", to which the caller appends
  // the call's text; a call that returned something then has BeginResult
  // and its result appended; End finishes the line. No other journal call
  // may come between Begin and End.
  LineText& Begin(int step, std::string_view vessel);
  void BeginResult();
  void End(bool from_host = false);
  // Entries kept are only those of these operations (all, when empty): a
  // long window then holds what its checks can look at, nothing more.
  void KeepOnly(std::vector<std::string> names);
  // At most this many entries are kept between two clears; the first call
  // of each kept operation and the first that matches each watched text
  // are kept beyond it, so that a long window's checks stay exact in
  // bounded memory.
  std::size_t kept_limit = static_cast<std::size_t>(-1);
  // Watched patterns (see call_pattern.h) are matched as calls come: their
  // first match is kept and their matches counted.
  void Watch(const CallPattern& pattern);
  const CallEntry* FirstMatch(const CallPattern& pattern) const;
  // Matches of a watched pattern in this window; of any other, among the
  // entries kept.
  long long Count(const CallPattern& pattern) const;
  const CallEntry* FirstOf(std::string_view operation) const;
  // Kept entries, and how many more the limit left out.
  const std::vector<CallEntry>& Entries() const { return entries_; }
  std::size_t Dropped() const { return dropped_; }
  void Clear();
  // The host itself ran out of memory keeping entries: what it held then.
  bool OutOfMemory() const { return out_of_memory_; }
  std::string Text() const;
  // Calls one vessel made whose operation has this name (all, if empty);
  // the host's calls into the module are left out.
  std::vector<std::string> Calls(const std::string& vessel, const std::string& name = "") const;
  // Set when writing to the sink failed.
  bool SinkFailed() const { return sink_error_ != 0; }
  // The system's error number of the failed write.
  int SinkError() const { return sink_error_; }

private:
  struct First {
    std::string operation;
    bool seen = false;
    CallEntry entry;
  };
  struct Watched {
    std::shared_ptr<const CallPattern> pattern;
    long long count = 0;
    CallEntry first;
  };
  const Watched* Find(const CallPattern& pattern) const;
  bool Kept(std::string_view call) const;
  void Note(const CallEntry& entry);
  bool Writing() const { return sink_ != nullptr && sink_error_ == 0; }
  void Keep(int step, std::string_view vessel, std::string_view call, std::string_view result,
            bool from_host);

  std::vector<CallEntry> entries_;
  std::vector<std::string> kept_names_;
  std::vector<First> first_of_;
  std::vector<Watched> watched_;
  std::size_t dropped_ = 0;
  bool out_of_memory_ = false;
  int sink_error_ = 0;
  std::FILE* sink_ = nullptr;
  // Lines waiting for the sink, each formatted once, straight into it;
  // without a sink, only the line being written.
  LineText block_;
  // The line being written: where its vessel, call and result begin.
  int line_step_ = 0;
  std::size_t vessel_at_ = 0, call_at_ = 0, result_at_ = 0;
  static constexpr std::size_t kNoResult = static_cast<std::size_t>(-1);
  // What the last line began with, "STEP VESSEL ": a step has many lines,
  // most of one vessel.
  std::string prefix_ = " ";
  int prefix_step_ = -1;
  std::size_t prefix_vessel_at_ = 0;
  // The same prefix, when it is this short, in room it can be copied from
  // whole; its size, or 0 for a longer one.
  static constexpr std::size_t kShortPrefix = 32;
  char short_prefix_[kShortPrefix] = {};
  std::uint8_t short_prefix_size_ = 0;
  LineText& BeginNewPrefix(int step, std::string_view vessel);
};

// Names of handles in the journal. A handle the host issued is named after
// its kind and index ("thruster#2"); values the module made itself (its
// functions, textures, its instance) are numbered per vessel as they appear.
class HandleNames {
public:
  static std::string Issued(HandleKind kind, std::uint32_t index);
  static void AppendIssued(LineText& out, HandleKind kind, std::uint32_t index);
  std::string Foreign(std::uint32_t vessel, const char* kind, const void* handle);
  // The same name, kept here until the vessel is forgotten.
  std::string_view ForeignName(std::uint32_t vessel, const char* kind, const void* handle);
  void Forget(std::uint32_t vessel);

private:
  std::map<std::pair<std::uint32_t, const void*>, std::string> names_;
  std::map<std::pair<std::uint32_t, std::string>, int> counts_;
};

}  // namespace vsim
