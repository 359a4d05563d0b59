#include "sim/journal/journal.h"

#include <cerrno>
#include <charconv>

namespace vsim {

std::string CallEntry::Line() const {
  std::string line = std::to_string(step) + " " + vessel + " " + call;
  if (!result.empty()) line += " -> " + result;
  return line;
}

namespace {

std::string_view OperationOf(std::string_view call) {
  const auto paren = call.find('(');
  const auto space = call.find(' ');
  return call.substr(0, paren < space ? paren : space);
}

}  // namespace

std::string_view CallEntry::Name() const { return OperationOf(call); }

bool Journal::Kept(std::string_view call) const {
  if (kept_names_.empty()) return true;
  const std::string_view name = OperationOf(call);
  for (const std::string& kept : kept_names_)
    if (kept == name) return true;
  return false;
}

void Journal::Add(int step, std::string_view vessel, std::string_view call, std::string_view result,
                  bool from_host) {
  if (sink != nullptr && sink_error_ == 0) {
    // Built in one buffer kept from line to line: a traced run writes
    // hundreds of thousands of them.
    char number[16];
    line_.clear();
    line_.append(number, static_cast<std::size_t>(
                             std::to_chars(number, number + sizeof number, step).ptr - number));
    line_ += ' ';
    line_ += vessel;
    line_ += ' ';
    line_ += call;
    if (!result.empty()) {
      line_ += " -> ";
      line_ += result;
    }
    line_ += '\n';
    errno = 0;
    if (std::fwrite(line_.data(), 1, line_.size(), sink) != line_.size())
      sink_error_ = errno != 0 ? errno : EIO;
  }
  if (keep && Kept(call))
    entries_.push_back(
        {step, std::string(vessel), std::string(call), std::string(result), from_host});
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
  return std::string(HandleKindName(kind)) + "#" + std::to_string(index + 1);
}

std::string HandleNames::Foreign(std::uint32_t vessel, const char* kind, const void* handle) {
  if (handle == nullptr) return "null";
  auto found = names_.find({vessel, handle});
  if (found != names_.end()) return found->second;
  std::string name = std::string(kind) + "#" + std::to_string(++counts_[{vessel, kind}]);
  names_.emplace(std::make_pair(vessel, handle), name);
  return name;
}

void HandleNames::Forget(std::uint32_t vessel) {
  for (auto it = names_.begin(); it != names_.end();)
    it = it->first.first == vessel ? names_.erase(it) : std::next(it);
  for (auto it = counts_.begin(); it != counts_.end();)
    it = it->first.first == vessel ? counts_.erase(it) : std::next(it);
}

}  // namespace vsim
