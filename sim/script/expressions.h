// Expressions and conditions of flight scripts, parsed once into trees of
// numbered nodes: quantities of any vessel, numbers with units, the
// script's variables, + - * /, abs(), comparisons joined by and, or, not.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/script/lexer.h"
#include "sim/script/quantities.h"

namespace vsim {

enum class Op { Eq, Ne, Lt, Le, Gt, Ge };

// A host-visible quantity, optionally of a named vessel ("heli:altitude").
struct Quantity {
  std::string vessel;  // empty: the focus vessel
  std::string name;    // as written, e.g. "anim.2"
  const QuantityDef* def = nullptr;
  int index = 0;
};

enum class ExprKind {
  kNumber,
  kQuantity,
  kVariable,
  kNegate,
  kAbs,
  kAdd,
  kSubtract,
  kMultiply,
  kDivide
};

struct ExprNode {
  ExprKind kind = ExprKind::kNumber;
  double number = 0;     // kNumber
  Quantity quantity;     // kQuantity
  std::size_t slot = 0;  // kVariable: the let's slot
  int left = -1;         // operands: indices into the expression's nodes
  int right = -1;
};

struct Expression {
  std::vector<ExprNode> nodes;
  int root = -1;
  // The quantity table's unit it is in ("m", "rad/s"), or empty when its
  // unit is not known or not checked.
  std::string dimension;
  bool IsNumber() const { return nodes.size() == 1 && nodes[0].kind == ExprKind::kNumber; }
};

// LEFT OP RIGHT [~ TOLERANCE]; a text quantity compares with a word.
struct Comparison {
  Expression left;
  Op op = Op::Eq;
  Expression right;
  bool text = false;
  std::string text_value;
  double tolerance = 0;
};

enum class Logic { kCompare, kAnd, kOr, kNot };

struct ConditionNode {
  Logic kind = Logic::kCompare;
  std::size_t comparison = 0;  // kCompare
  int left = -1;               // operands: indices into the condition's nodes
  int right = -1;
};

struct Condition {
  std::vector<Comparison> comparisons;
  std::vector<ConditionNode> nodes;
  int root = -1;
  std::string source;  // the condition as written, for messages
};

// What an expression's names stand for, from the parser that reads it.
struct Variable {
  std::size_t slot = 0;
  std::string dimension;
};
class ExpressionNames {
public:
  virtual ~ExpressionNames() = default;
  // A quantity as written ("b:altitude", "anim.gear"); fails when unknown.
  virtual Quantity QuantityNamed(const std::string& written) const = 0;
  // A variable by its name without "$"; fails when no let made it.
  virtual Variable VariableNamed(const std::string& name) const = 0;
};

// What is wrong with an expression; the parser adds the file and line.
class ExpressionError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// "==", "!=", "<", "<=", ">", ">=".
bool ParseOp(const std::string& text, Op& op);

// Parentheses, abs() and unary minus nested deeper than this are refused,
// so that no line can exhaust the parser's stack.
constexpr int kMaxExpressionNesting = 32;
// The height of an expression's or a condition's tree: its evaluation
// recurses no deeper, however long the line.
constexpr int kMaxExpressionHeight = 256;

// The tokens of one line, from first to last, as a condition or as an
// expression.
Condition ParseCondition(const std::vector<Token>& tokens, std::size_t first, std::size_t last,
                         const ExpressionNames& names);
Expression ParseExpression(const std::vector<Token>& tokens, std::size_t first, std::size_t last,
                           const ExpressionNames& names);

}  // namespace vsim
