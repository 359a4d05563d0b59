// Expressions and conditions evaluated against the host as it is now, with
// the values the script's lets have kept.
#pragma once

#include <string>
#include <vector>

#include "sim/core/host.h"
#include "sim/script/expressions.h"

namespace vsim {

// The lets' values by slot.
using Variables = std::vector<double>;

struct Evaluation {
  Host& host;
  const Variables& variables;

  // Throws QuantityError when a vessel or what it reads is gone, or when
  // the value is not a finite number (a division by zero).
  double Number(const Expression& expression) const;
  bool Holds(const Condition& condition) const;
  // The values a condition compared, for a failure's "got": "4.24", or
  // "10 against 17" when the right side is not a number, for each
  // comparison in turn.
  std::string Describe(const Condition& condition) const;

private:
  double Node(const Expression& expression, int node) const;
  bool Holds(const Condition& condition, int node) const;
  bool Holds(const Comparison& comparison) const;
};

}  // namespace vsim
