// A call as an expectation writes it, possibly with wildcards:
//   SetAnimation(2, 0.5)          that call exactly
//   SetAnimation(2, *)            "*" stands for one top-level argument (a
//                                 vector or record counts as one)
//   SetThrusterLevel(thruster#1, ...)   "..." for the rest of the arguments
//   SetTouchdownPoints            without an argument list: any call of it
// optionally after its vessel, or its step and vessel ("3 heli SetCW(...)"),
// and optionally with what it returned ("CreateThruster(...) -> thruster#1").
// A "*" inside a quoted string is literal.
#pragma once

#include <string>
#include <vector>

#include "sim/journal/journal.h"

namespace vsim {

class CallPattern {
public:
  CallPattern() = default;
  // The text after "expect call"; the operation is the last word before the
  // arguments.
  explicit CallPattern(const std::string& text);

  const std::string& Operation() const { return operation_; }
  const std::string& Text() const { return text_; }
  bool Matches(const CallEntry& entry) const;
  // Whether it stands for one call text only.
  bool Exact() const { return exact_; }

private:
  std::string text_;
  std::string step_;    // empty: any
  std::string vessel_;  // empty: any
  std::string operation_;
  bool any_arguments_ = true;  // no argument list was written
  std::vector<std::string> arguments_;
  bool rest_ = false;   // the list ends in "..."
  std::string result_;  // empty: any
  bool exact_ = false;
};

// The top-level arguments of a call's text "Op(a, [b, c], "d, e")".
std::vector<std::string> SplitArguments(const std::string& call);

}  // namespace vsim
