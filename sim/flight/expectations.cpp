#include "sim/flight/expectations.h"

#include <cmath>

namespace vsim {

Value Evaluate(Host& host, const Quantity& q, Physics* physics) {
  VesselRecord* vessel = q.vessel.empty() ? host.Focus() : host.FindVessel(q.vessel);
  if (vessel == nullptr)
    throw QuantityError(q.vessel.empty() ? "no vessel for \"" + q.name + "\""
                                         : "vessel \"" + q.vessel + "\" no longer exists for \"" +
                                               q.vessel + ":" + q.name + "\"");
  return q.def->read(QuantityContext{host, *vessel, physics}, q.index);
}

const char* OpText(Op op) {
  switch (op) {
    case Op::Eq: return "==";
    case Op::Ne: return "!=";
    case Op::Lt: return "<";
    case Op::Le: return "<=";
    case Op::Gt: return ">";
    case Op::Ge: return ">=";
  }
  return "?";
}

bool Holds(Op op, double a, double b, double tolerance) {
  switch (op) {
    case Op::Eq: return std::abs(a - b) <= tolerance;
    case Op::Ne: return std::abs(a - b) > tolerance;
    case Op::Lt: return a < b;
    case Op::Le: return a <= b;
    case Op::Gt: return a > b;
    case Op::Ge: return a >= b;
  }
  return false;
}

std::string Describe(const Value& value) {
  return value.is_text ? "\"" + value.text + "\"" : FormatNumber(value.number);
}

void CheckTally::Check(const std::string& where, bool ok, const std::string& expected,
                       const std::string& got) {
  if (ok) {
    ++passed;
    return;
  }
  ++failed;
  failures.push_back(where + ": expected " + expected + ", got " + got);
}

}  // namespace vsim
