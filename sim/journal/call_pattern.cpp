#include "sim/journal/call_pattern.h"

#include <sstream>

namespace vsim {

namespace {

constexpr char kOne[] = "*";
constexpr char kRest[] = "...";
constexpr char kReturns[] = " -> ";

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Where the argument list that opens at `open` closes, or npos.
std::size_t Closing(const std::string& call, std::size_t open) {
  int depth = 0;
  bool quoted = false;
  for (std::size_t i = open; i < call.size(); ++i) {
    const char c = call[i];
    if (quoted) {
      if (c == '\\')
        ++i;
      else if (c == '"')
        quoted = false;
      continue;
    }
    if (c == '"')
      quoted = true;
    else if (c == '(' || c == '[' || c == '{')
      ++depth;
    else if ((c == ')' || c == ']' || c == '}') && --depth == 0)
      return i;
  }
  return std::string::npos;
}

}  // namespace

std::vector<std::string> SplitArguments(const std::string& call) {
  std::vector<std::string> arguments;
  const std::size_t open = call.find('(');
  if (open == std::string::npos) return arguments;
  const std::size_t close = Closing(call, open);
  const std::string inside =
      call.substr(open + 1, (close == std::string::npos ? call.size() : close) - open - 1);
  if (Trimmed(inside).empty()) return arguments;
  int depth = 0;
  bool quoted = false;
  std::string current;
  for (std::size_t i = 0; i < inside.size(); ++i) {
    const char c = inside[i];
    if (quoted) {
      current += c;
      if (c == '\\' && i + 1 < inside.size())
        current += inside[++i];
      else if (c == '"')
        quoted = false;
      continue;
    }
    if (c == ',' && depth == 0) {
      arguments.push_back(Trimmed(current));
      current.clear();
      continue;
    }
    if (c == '"')
      quoted = true;
    else if (c == '(' || c == '[' || c == '{')
      ++depth;
    else if (c == ')' || c == ']' || c == '}')
      --depth;
    current += c;
  }
  arguments.push_back(Trimmed(current));
  return arguments;
}

CallPattern::CallPattern(const std::string& text) : text_(Trimmed(text)) {
  const std::size_t open = text_.find_first_of("(\"");
  std::string head = text_.substr(0, open);
  std::istringstream words(head);
  std::vector<std::string> before;
  for (std::string word; words >> word;) before.push_back(word);
  if (before.empty()) return;
  operation_ = before.back();
  before.pop_back();
  if (before.size() == 2) step_ = before[0];
  if (!before.empty()) vessel_ = before.back();
  std::string tail;
  if (open != std::string::npos && text_[open] == '(') {
    any_arguments_ = false;
    const std::size_t close = Closing(text_, open);
    const std::string call =
        text_.substr(open, close == std::string::npos ? std::string::npos : close - open + 1);
    arguments_ = SplitArguments(operation_ + call);
    if (!arguments_.empty() && arguments_.back() == kRest) {
      rest_ = true;
      arguments_.pop_back();
    }
    if (close != std::string::npos) tail = text_.substr(close + 1);
  } else if (open != std::string::npos) {
    // A text argument without parentheses: "debug "text"".
    any_arguments_ = false;
    arguments_ = {Trimmed(text_.substr(open))};
  }
  const std::size_t arrow = tail.find(Trimmed(kReturns));
  if (arrow != std::string::npos) result_ = Trimmed(tail.substr(arrow + 2));
  exact_ = !any_arguments_ && !rest_;
  for (const std::string& a : arguments_) exact_ = exact_ && a != kOne;
}

bool CallPattern::Matches(const CallEntry& entry) const {
  if (entry.Name() != operation_) return false;
  if (!vessel_.empty() && entry.vessel != vessel_) return false;
  if (!step_.empty() && std::to_string(entry.step) != step_) return false;
  if (!result_.empty() && result_ != kOne && entry.result != result_) return false;
  if (any_arguments_) return true;
  const std::size_t open = entry.call.find_first_of("(\"");
  const std::vector<std::string> got =
      open != std::string::npos && entry.call[open] == '"'
          ? std::vector<std::string>{Trimmed(entry.call.substr(open))}
          : SplitArguments(entry.call);
  if (rest_ ? got.size() < arguments_.size() : got.size() != arguments_.size()) return false;
  for (std::size_t i = 0; i < arguments_.size(); ++i)
    if (arguments_[i] != kOne && arguments_[i] != got[i]) return false;
  return true;
}

}  // namespace vsim
