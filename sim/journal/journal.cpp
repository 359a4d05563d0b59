#include "sim/journal/journal.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <new>

#include "sim/journal/call_pattern.h"

namespace vsim {

std::string CallEntry::Line() const {
  std::string line = std::to_string(step) + " " + vessel + " " + call;
  if (!result.empty()) line += " -> " + result;
  return line;
}

namespace {

std::string_view OperationOf(std::string_view call) {
  return call.substr(0, call.find_first_of("( "));
}

}  // namespace

std::string_view CallEntry::Name() const { return OperationOf(call); }

void Journal::KeepOnly(std::vector<std::string> names) {
  kept_names_ = std::move(names);
  first_of_.clear();
  for (const std::string& name : kept_names_) first_of_.push_back({name, false, {}});
}

void Journal::Watch(const CallPattern& pattern) {
  if (Find(pattern) == nullptr)
    watched_.push_back({std::make_shared<const CallPattern>(pattern), 0, {}});
}

const Journal::Watched* Journal::Find(const CallPattern& pattern) const {
  for (const Watched& w : watched_)
    if (w.pattern->Text() == pattern.Text()) return &w;
  return nullptr;
}

const CallEntry* Journal::FirstMatch(const CallPattern& pattern) const {
  if (const Watched* w = Find(pattern)) return w->count > 0 ? &w->first : nullptr;
  for (const CallEntry& e : entries_)
    if (pattern.Matches(e)) return &e;
  return nullptr;
}

long long Journal::Count(const CallPattern& pattern) const {
  if (const Watched* w = Find(pattern)) return w->count;
  long long count = 0;
  for (const CallEntry& e : entries_) count += pattern.Matches(e) ? 1 : 0;
  return count;
}

const CallEntry* Journal::FirstOf(std::string_view operation) const {
  for (const First& f : first_of_)
    if (f.operation == operation && f.seen) return &f.entry;
  for (const CallEntry& e : entries_)
    if (e.Name() == operation) return &e;
  return nullptr;
}

void Journal::Clear() {
  entries_.clear();
  dropped_ = 0;
  for (First& f : first_of_) f.seen = false;
  for (Watched& w : watched_) w.count = 0;
}

void Journal::Note(const CallEntry& entry) {
  const std::string_view name = entry.Name();
  for (First& f : first_of_)
    if (!f.seen && f.operation == name) {
      f.entry = entry;
      f.seen = true;
    }
  for (Watched& w : watched_)
    if (w.pattern->Operation() == name && w.pattern->Matches(entry) && w.count++ == 0)
      w.first = entry;
}

bool Journal::Kept(std::string_view call) const {
  if (kept_names_.empty()) return true;
  const std::string_view name = OperationOf(call);
  for (const std::string& kept : kept_names_)
    if (kept == name) return true;
  return false;
}

namespace {

// Lines gather in a block this large before they are written.
constexpr std::size_t kSinkBlock = std::size_t{256} << 10;
constexpr std::string_view kResultArrow = " -> ";

// Vessel names are a few characters, compared for every line: eight, then
// four at a time here rather than in a library call or byte by byte.
template <typename Word>
bool SameWord(const char* a, const char* b) {
  Word x, y;
  std::memcpy(&x, a, sizeof x);
  std::memcpy(&y, b, sizeof y);
  return x == y;
}

[[gnu::always_inline]] inline bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  const char* p = a.data();
  const char* q = b.data();
  std::size_t n = a.size();
  for (; n >= sizeof(std::uint64_t); n -= sizeof(std::uint64_t)) {
    if (!SameWord<std::uint64_t>(p, q)) return false;
    p += sizeof(std::uint64_t);
    q += sizeof(std::uint64_t);
  }
  if (n >= sizeof(std::uint32_t)) {
    if (!SameWord<std::uint32_t>(p, q)) return false;
    p += sizeof(std::uint32_t);
    q += sizeof(std::uint32_t);
    n -= sizeof(std::uint32_t);
  }
  for (; n > 0; --n)
    if (*p++ != *q++) return false;
  return true;
}

}  // namespace

void Journal::SetSink(std::FILE* sink) {
  FlushSink();
  sink_ = sink;
}

void Journal::FlushSink() {
  if (block_.empty()) return;
  const std::size_t size = block_.size();
  if (Writing()) {
    errno = 0;
    if (std::fwrite(block_.data(), 1, size, sink_) != size) sink_error_ = errno != 0 ? errno : EIO;
  }
  block_.Clear();
}

// A line of the same step and vessel as the last, bound for the sink, with
// room in the block: its prefix copied whole, with no call and no register
// saved. Any other line begins out of line.
LineText& Journal::Begin(int step, std::string_view vessel) {
  if (step != prefix_step_ || short_prefix_size_ == 0 || !Writing() ||
      block_.size() >= kSinkBlock || !block_.HasRoom(kShortPrefix) ||
      !SameText(vessel,
                {short_prefix_ + prefix_vessel_at_, short_prefix_size_ - prefix_vessel_at_ - 1}))
    return BeginNewPrefix(step, vessel);
  line_step_ = step;
  vessel_at_ = block_.size() + prefix_vessel_at_;
  char* const at = block_.Room(kShortPrefix);
  std::memcpy(at, short_prefix_, kShortPrefix);
  block_.Advance(at + short_prefix_size_);
  call_at_ = block_.size();
  result_at_ = kNoResult;
  return block_;
}

LineText& Journal::BeginNewPrefix(int step, std::string_view vessel) {
  if (!Writing())
    block_.Clear();
  else if (block_.size() >= kSinkBlock)
    FlushSink();
  if (step != prefix_step_ ||
      !SameText(vessel, std::string_view(prefix_).substr(prefix_vessel_at_,
                                                         prefix_.size() - prefix_vessel_at_ - 1))) {
    char digits[12];
    prefix_.assign(digits, std::to_chars(digits, digits + sizeof digits, step).ptr);
    prefix_ += ' ';
    prefix_vessel_at_ = prefix_.size();
    prefix_ += vessel;
    prefix_ += ' ';
    prefix_step_ = step;
    const bool short_prefix = prefix_.size() <= kShortPrefix;
    short_prefix_size_ = short_prefix ? static_cast<std::uint8_t>(prefix_.size()) : 0;
    if (short_prefix) std::memcpy(short_prefix_, prefix_.data(), prefix_.size());
  }
  line_step_ = step;
  vessel_at_ = block_.size() + prefix_vessel_at_;
  block_.Put(prefix_);
  call_at_ = block_.size();
  result_at_ = kNoResult;
  return block_;
}

void Journal::BeginResult() {
  block_.Put(kResultArrow);
  result_at_ = block_.size();
}

void Journal::End(bool from_host) {
  const bool has_result = result_at_ != kNoResult && block_.size() > result_at_;
  if (result_at_ != kNoResult && !has_result) block_.Truncate(result_at_ - kResultArrow.size());
  const std::size_t call_end = has_result ? result_at_ - kResultArrow.size() : block_.size();
  if (keep && !out_of_memory_)
    Keep(line_step_, block_.View(vessel_at_, call_at_ - 1), block_.View(call_at_, call_end),
         has_result ? block_.View(result_at_) : std::string_view{}, from_host);
  block_.Put('\n');
  if (!Writing()) block_.Clear();
}

void Journal::Add(int step, std::string_view vessel, std::string_view call, std::string_view result,
                  bool from_host) {
  LineText& line = Begin(step, vessel);
  line.Put(call);
  if (!result.empty()) {
    BeginResult();
    line.Put(result);
  }
  End(from_host);
}

void Journal::Keep(int step, std::string_view vessel, std::string_view call,
                   std::string_view result, bool from_host) {
  if (!Kept(call)) return;
  try {
    CallEntry entry{step, std::string(vessel), std::string(call), std::string(result), from_host};
    Note(entry);
    if (entries_.size() < kept_limit)
      entries_.push_back(std::move(entry));
    else
      ++dropped_;
  } catch (const std::bad_alloc&) {
    // The host's own failure, not the module's: reported by whoever reads
    // the journal, and nothing more is kept.
    out_of_memory_ = true;
  }
}

std::string Journal::Text() const {
  std::string text;
  for (const CallEntry& entry : entries_) {
    text += entry.Line();
    text += '\n';
  }
  return text;
}

std::vector<std::string> Journal::Calls(const std::string& vessel, const std::string& name) const {
  std::vector<std::string> calls;
  for (const CallEntry& entry : entries_)
    if (!entry.from_host && entry.vessel == vessel && (name.empty() || entry.Name() == name))
      calls.push_back(entry.call);
  return calls;
}

std::string HandleNames::Issued(HandleKind kind, std::uint32_t index) {
  LineText out;
  AppendIssued(out, kind, index);
  return out.Str();
}

void HandleNames::AppendIssued(LineText& out, HandleKind kind, std::uint32_t index) {
  out += HandleKindName(kind);
  out += '#';
  constexpr std::size_t kIndexDigits = 12;
  char* at = out.Room(kIndexDigits);
  out.Advance(std::to_chars(at, at + kIndexDigits, index + 1).ptr);
}

std::string HandleNames::Foreign(std::uint32_t vessel, const char* kind, const void* handle) {
  return std::string(ForeignName(vessel, kind, handle));
}

std::string_view HandleNames::ForeignName(std::uint32_t vessel, const char* kind,
                                          const void* handle) {
  if (handle == nullptr) return "null";
  auto found = names_.find({vessel, handle});
  if (found != names_.end()) return found->second;
  std::string name = std::string(kind) + "#" + std::to_string(++counts_[{vessel, kind}]);
  return names_.emplace(std::make_pair(vessel, handle), std::move(name)).first->second;
}

void HandleNames::Forget(std::uint32_t vessel) {
  for (auto it = names_.begin(); it != names_.end();)
    it = it->first.first == vessel ? names_.erase(it) : std::next(it);
  for (auto it = counts_.begin(); it != counts_.end();)
    it = it->first.first == vessel ? counts_.erase(it) : std::next(it);
}

}  // namespace vsim
