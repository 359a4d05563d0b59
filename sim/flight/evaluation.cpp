#include "sim/flight/evaluation.h"

#include <cmath>

#include "sim/flight/expectations.h"
#include "sim/journal/format.h"

namespace vsim {

double Evaluation::Number(const Expression& e) const {
  const double value = Node(e, e.root);
  if (!std::isfinite(value)) throw QuantityError("the value is not a finite number");
  return value;
}

double Evaluation::Node(const Expression& e, int index) const {
  const ExprNode& node = e.nodes[static_cast<std::size_t>(index)];
  switch (node.kind) {
    case ExprKind::kNumber: return node.number;
    case ExprKind::kQuantity: return Evaluate(host, node.quantity).number;
    case ExprKind::kVariable:
      if (node.slot >= variables.size()) throw QuantityError("a variable used before its let ran");
      return variables[node.slot];
    case ExprKind::kNegate: return -Node(e, node.left);
    case ExprKind::kAbs: return std::abs(Node(e, node.left));
    case ExprKind::kAdd: return Node(e, node.left) + Node(e, node.right);
    case ExprKind::kSubtract: return Node(e, node.left) - Node(e, node.right);
    case ExprKind::kMultiply: return Node(e, node.left) * Node(e, node.right);
    case ExprKind::kDivide: {
      const double numerator = Node(e, node.left);
      const double denominator = Node(e, node.right);
      if (denominator == 0) throw QuantityError("a division by zero");
      return numerator / denominator;
    }
  }
  return 0;
}

bool Evaluation::Holds(const Comparison& c) const {
  if (c.text) {
    const Value actual =
        Evaluate(host, c.left.nodes[static_cast<std::size_t>(c.left.root)].quantity);
    const bool equal = actual.text == c.text_value;
    return c.op == Op::Eq ? equal : !equal;
  }
  return vsim::Holds(c.op, Number(c.left), Number(c.right), c.tolerance);
}

bool Evaluation::Holds(const Condition& c, int index) const {
  const ConditionNode& node = c.nodes[static_cast<std::size_t>(index)];
  switch (node.kind) {
    case Logic::kCompare: return Holds(c.comparisons[node.comparison]);
    case Logic::kAnd: return Holds(c, node.left) && Holds(c, node.right);
    case Logic::kOr: return Holds(c, node.left) || Holds(c, node.right);
    case Logic::kNot: return !Holds(c, node.left);
  }
  return false;
}

bool Evaluation::Holds(const Condition& c) const { return Holds(c, c.root); }

std::string Evaluation::Describe(const Condition& c) const {
  std::string text;
  for (const Comparison& comparison : c.comparisons) {
    if (!text.empty()) text += ", ";
    if (comparison.text) {
      text += vsim::Describe(Evaluate(
          host, comparison.left.nodes[static_cast<std::size_t>(comparison.left.root)].quantity));
      continue;
    }
    text += FormatNumber(Number(comparison.left));
    if (!comparison.right.IsNumber()) text += " against " + FormatNumber(Number(comparison.right));
  }
  return text;
}

}  // namespace vsim
