// What a flight expects: quantities as the host sees them, conditions on
// them, and calls in the journal.
#pragma once

#include <string>
#include <vector>

#include "sim/core/host.h"
#include "sim/physics/physics.h"
#include "sim/script/commands.h"

namespace vsim {

// The value of a quantity; throws QuantityError when the vessel lacks it.
Value Evaluate(Host& host, const Quantity& quantity, Physics* physics = nullptr);
bool Holds(Op op, double actual, double expected, double tolerance = 0);
const char* OpText(Op op);
std::string Describe(const Value& value);

struct CheckTally {
  int passed = 0;
  int failed = 0;
  std::vector<std::string> failures;

  void Check(const std::string& where, bool ok, const std::string& expected,
             const std::string& got);
};

}  // namespace vsim
