#include "sim/script/expressions.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "sim/script/numbers.h"
#include "sim/script/operations.h"
#include "sim/script/units.h"

namespace vsim {

namespace {

[[noreturn]] void Fail(const std::string& message) { throw ExpressionError(message); }

enum class Kind { kNumber, kWord, kVariable, kSymbol, kText, kEnd };

// One piece of a line's words: "b:altitude+5" is three.
struct Piece {
  Kind kind = Kind::kEnd;
  std::string text;
  double number = 0;
  std::string dimension;
  std::size_t word = 0;  // the line's token it came from
  bool word_start = false;
};

bool Letter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool Digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
bool NameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '.' || c == ':' ||
         c == '-';
}
bool VariableChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

// "5", "1.5e-3", "20deg", "5km/h": the digits, then the unit's letters.
std::size_t NumberEnd(const std::string& s, std::size_t i) {
  while (i < s.size() && (Digit(s[i]) || s[i] == '.')) ++i;
  if (i + 1 < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t k = i + 1;
    if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
    if (k < s.size() && Digit(s[k])) {
      i = k;
      while (i < s.size() && Digit(s[i])) ++i;
    }
  }
  while (i < s.size() && Letter(s[i])) ++i;
  if (i + 1 < s.size() && s[i] == '/' && Letter(s[i + 1])) {
    ++i;
    while (i < s.size() && Letter(s[i])) ++i;
  }
  return i;
}

std::vector<Piece> Split(const std::vector<Token>& tokens, std::size_t first, std::size_t last) {
  std::vector<Piece> pieces;
  for (std::size_t w = first; w <= last && w < tokens.size(); ++w) {
    const Token& token = tokens[w];
    if (token.quoted) {
      pieces.push_back({Kind::kText, token.text, 0, "", w, true});
      continue;
    }
    const std::string& s = token.text;
    for (std::size_t i = 0; i < s.size();) {
      Piece piece{Kind::kSymbol, "", 0, "", w, i == 0};
      const char c = s[i];
      if (Digit(c) || (c == '.' && i + 1 < s.size() && Digit(s[i + 1]))) {
        const std::size_t end = NumberEnd(s, i);
        piece.kind = Kind::kNumber;
        piece.text = s.substr(i, end - i);
        if (!ParseNumber(piece.text, piece.number, &piece.dimension)) {
          std::size_t unit = i;
          while (unit < end && (Digit(s[unit]) || s[unit] == '.')) ++unit;
          const std::string suffix = s.substr(unit, end - unit);
          if (!suffix.empty() && suffix.find_first_of("eE") != 0 && FindUnit(suffix) == nullptr)
            Fail("unknown unit \"" + suffix + "\" in \"" + piece.text + "\"" +
                 DidYouMean(suffix, UnitNames()));
          Fail("bad number \"" + piece.text + "\"");
        }
        i = end;
      } else if (c == '$') {
        std::size_t end = i + 1;
        while (end < s.size() && VariableChar(s[end])) ++end;
        if (end == i + 1) Fail("expected a name after \"$\" in \"" + s + "\"");
        piece.kind = Kind::kVariable;
        piece.text = s.substr(i + 1, end - i - 1);
        i = end;
      } else if (Letter(c) || c == '_') {
        std::size_t end = i;
        while (end < s.size() && NameChar(s[end])) ++end;
        piece.kind = Kind::kWord;
        piece.text = s.substr(i, end - i);
        i = end;
      } else if (std::string("()+-*/~").find(c) != std::string::npos) {
        piece.text = std::string(1, c);
        ++i;
      } else if (std::string("=!<>").find(c) != std::string::npos) {
        const bool two = i + 1 < s.size() && s[i + 1] == '=';
        piece.text = s.substr(i, two ? 2 : 1);
        i += two ? 2 : 1;
      } else {
        Fail("unexpected \"" + std::string(1, c) + "\" in \"" + s + "\"");
      }
      pieces.push_back(std::move(piece));
    }
  }
  pieces.push_back({Kind::kEnd, "", 0, "", tokens.size(), true});
  return pieces;
}

bool IsKeyword(const Piece& p, const char* word) { return p.kind == Kind::kWord && p.text == word; }
bool IsLogic(const Piece& p) {
  return IsKeyword(p, "and") || IsKeyword(p, "or") || IsKeyword(p, "not");
}
bool IsComparison(const Piece& p) {
  Op op;
  return p.kind == Kind::kSymbol && ParseOp(p.text, op);
}

class Reader {
public:
  Reader(const std::vector<Token>& tokens, std::vector<Piece> pieces, const ExpressionNames& names)
      : tokens_(tokens), pieces_(std::move(pieces)), names_(names) {}

  Condition WholeCondition() {
    Condition c;
    c.root = Or(c);
    End();
    return c;
  }
  Expression WholeExpression() {
    Expression e = Sum();
    NoText(e);
    End();
    return e;
  }

private:
  struct Nest {
    explicit Nest(Reader& r) : reader(r) {
      if (++reader.depth_ > kMaxExpressionNesting)
        Fail("nested more than " + std::to_string(kMaxExpressionNesting) + " deep");
    }
    ~Nest() { --reader.depth_; }
    Reader& reader;
  };

  const Piece& Peek() const { return pieces_[at_]; }
  const Piece& Take() { return pieces_[at_ < pieces_.size() - 1 ? at_++ : at_]; }
  bool Symbol(const char* text) const {
    return Peek().kind == Kind::kSymbol && Peek().text == text;
  }
  void Expect(const char* text) {
    if (!Symbol(text))
      Fail(std::string("expected \"") + text + "\"" +
           (Peek().kind == Kind::kEnd ? " at the end" : ", got \"" + Peek().text + "\""));
    Take();
  }
  void End() const {
    if (Peek().kind != Kind::kEnd) Fail("unexpected \"" + Peek().text + "\"");
  }

  // Heights of the trees being built, so that evaluation stays shallow.
  int Height(int h) const {
    if (h > kMaxExpressionHeight)
      Fail("more than " + std::to_string(kMaxExpressionHeight) + " operations deep");
    return h;
  }

  // Conditions.
  int Add(Condition& c, ConditionNode node, int height) {
    c.nodes.push_back(node);
    condition_heights_.push_back(Height(height));
    return static_cast<int>(c.nodes.size() - 1);
  }
  int Join(Condition& c, Logic kind, int left, int right) {
    const int h = 1 + std::max(condition_heights_[static_cast<std::size_t>(left)],
                               condition_heights_[static_cast<std::size_t>(right)]);
    return Add(c, {kind, 0, left, right}, h);
  }
  int Or(Condition& c) {
    int left = And(c);
    while (IsKeyword(Peek(), "or")) {
      Take();
      left = Join(c, Logic::kOr, left, And(c));
    }
    return left;
  }
  int And(Condition& c) {
    int left = Not(c);
    while (IsKeyword(Peek(), "and")) {
      Take();
      left = Join(c, Logic::kAnd, left, Not(c));
    }
    return left;
  }
  int Not(Condition& c) {
    if (IsKeyword(Peek(), "not")) {
      Take();
      Nest nest(*this);
      const int operand = Not(c);
      return Add(c, {Logic::kNot, 0, operand, -1},
                 1 + condition_heights_[static_cast<std::size_t>(operand)]);
    }
    if (Symbol("(") && GroupsConditions()) {
      Take();
      Nest nest(*this);
      const int inner = Or(c);
      Expect(")");
      return inner;
    }
    c.comparisons.push_back(Compare());
    return Add(c, {Logic::kCompare, c.comparisons.size() - 1, -1, -1}, 1);
  }
  // Whether the parenthesis here holds conditions ("(a > 1 or b > 1)")
  // rather than a sum ("(a + b) > 1").
  bool GroupsConditions() const {
    int open = 0;
    for (std::size_t i = at_; i < pieces_.size(); ++i) {
      const Piece& p = pieces_[i];
      if (p.kind == Kind::kSymbol && p.text == "(") ++open;
      if (p.kind == Kind::kSymbol && p.text == ")" && --open == 0) return false;
      if (IsComparison(p) || IsLogic(p)) return true;
    }
    return false;
  }

  Comparison Compare() {
    Comparison c;
    const std::size_t start = at_;
    c.left = Sum();
    const Piece& op = Peek();
    if (op.kind == Kind::kEnd) Fail("expected QUANTITY OP VALUE [~ TOLERANCE]");
    if (!IsComparison(op)) {
      if (op.kind == Kind::kSymbol) Fail("unknown comparison \"" + op.text + "\"");
      Fail("expected a comparison (==, !=, <, <=, >, >=) after \"" + Written(start, at_) +
           "\", got \"" + op.text + "\"");
    }
    ParseOp(Take().text, c.op);
    const ExprNode& head = c.left.nodes[static_cast<std::size_t>(c.left.root)];
    if (c.left.nodes.size() == 1 && head.kind == ExprKind::kQuantity &&
        head.quantity.def->kind == QuantityKind::kText) {
      if (c.op != Op::Eq && c.op != Op::Ne)
        Fail(head.quantity.name + " compares with == or != only");
      // The word after the comparison, whole: "stop", "Move Forwards".
      const Piece& value = Peek();
      if (value.kind == Kind::kEnd || !value.word_start)
        Fail(head.quantity.name + " compares with a word or \"text\"");
      c.text = true;
      c.text_value = tokens_[value.word].text;
      while (Peek().kind != Kind::kEnd && Peek().word == value.word) Take();
      return c;
    }
    NoText(c.left);
    c.right = Sum();
    NoText(c.right);
    const std::string written = Written(start, at_);
    SameDimension(c.left.dimension, c.right.dimension, "\"" + written + "\" compares");
    if (Symbol("~")) {
      Take();
      if (Symbol("-")) Fail("tolerance must not be negative");
      const Piece& tolerance = Peek();
      if (tolerance.kind != Kind::kNumber) Fail("expected \"~ TOLERANCE\", a number");
      SameDimension(c.left.dimension, tolerance.dimension,
                    "\"" + written + " ~ " + tolerance.text + "\" compares");
      c.tolerance = Take().number;
    }
    return c;
  }
  std::string Written(std::size_t from, std::size_t to) const {
    std::string text;
    for (std::size_t i = from; i < to; ++i) {
      const Piece& p = pieces_[i];
      if (i > from && p.word_start) text += " ";
      text += p.kind == Kind::kVariable ? "$" + p.text : p.text;
    }
    return text;
  }
  void SameDimension(const std::string& a, const std::string& b, const std::string& what) const {
    if (!a.empty() && !b.empty() && a != b) Fail(what + " " + a + " with " + b);
  }
  void NoText(const Expression& e) const {
    for (const ExprNode& node : e.nodes)
      if (node.kind == ExprKind::kQuantity && node.quantity.def->kind == QuantityKind::kText)
        Fail(node.quantity.name + " is text: it compares with == or != only");
  }

  // Expressions.
  int Add(Expression& e, ExprNode node, int height, std::string dimension) {
    e.nodes.push_back(std::move(node));
    heights_.push_back(Height(height));
    e.dimension = dimension;
    dimensions_.push_back(std::move(dimension));
    return static_cast<int>(e.nodes.size() - 1);
  }
  int HeightOf(int node) const { return heights_[base_ + static_cast<std::size_t>(node)]; }
  const std::string& DimensionOf(int node) const {
    return dimensions_[base_ + static_cast<std::size_t>(node)];
  }
  bool Bare(const Expression& e, int node) const {
    return e.nodes[static_cast<std::size_t>(node)].kind == ExprKind::kNumber &&
           DimensionOf(node).empty();
  }
  int Binary(Expression& e, ExprKind kind, int left, int right) {
    std::string dimension;
    const std::string& a = DimensionOf(left);
    const std::string& b = DimensionOf(right);
    if (kind == ExprKind::kAdd || kind == ExprKind::kSubtract) {
      if (!a.empty() && !b.empty() && a != b)
        Fail(std::string("cannot ") + (kind == ExprKind::kAdd ? "add " : "subtract ") + a +
             " and " + b);
      dimension = a.empty() ? b : a;
    } else if (Bare(e, right)) {
      dimension = a;
    } else if (kind == ExprKind::kMultiply && Bare(e, left)) {
      dimension = b;
    }
    ExprNode node;
    node.kind = kind;
    node.left = left;
    node.right = right;
    return Add(e, std::move(node), 1 + std::max(HeightOf(left), HeightOf(right)), dimension);
  }

  Expression Sum() {
    Expression e;
    base_ = heights_.size();
    e.root = Terms(e);
    e.dimension = DimensionOf(e.root);
    return e;
  }
  int Terms(Expression& e) {
    int left = Product(e);
    while (Symbol("+") || Symbol("-")) {
      const ExprKind kind = Take().text == "+" ? ExprKind::kAdd : ExprKind::kSubtract;
      left = Binary(e, kind, left, Product(e));
    }
    return left;
  }
  int Product(Expression& e) {
    int left = Unary(e);
    while (Symbol("*") || Symbol("/")) {
      const ExprKind kind = Take().text == "*" ? ExprKind::kMultiply : ExprKind::kDivide;
      left = Binary(e, kind, left, Unary(e));
    }
    return left;
  }
  int Unary(Expression& e) {
    if (!Symbol("-")) return Primary(e);
    Take();
    Nest nest(*this);
    const int operand = Unary(e);
    if (e.nodes[static_cast<std::size_t>(operand)].kind == ExprKind::kNumber) {
      // "-5" stays one number.
      e.nodes[static_cast<std::size_t>(operand)].number *= -1;
      return operand;
    }
    ExprNode node;
    node.kind = ExprKind::kNegate;
    node.left = operand;
    return Add(e, std::move(node), 1 + HeightOf(operand), DimensionOf(operand));
  }
  int Primary(Expression& e) {
    const Piece& p = Peek();
    ExprNode node;
    switch (p.kind) {
      case Kind::kNumber:
        node.number = p.number;
        Take();
        return Add(e, std::move(node), 1, p.dimension);
      case Kind::kVariable: {
        const Variable v = names_.VariableNamed(p.text);
        node.kind = ExprKind::kVariable;
        node.slot = v.slot;
        Take();
        return Add(e, std::move(node), 1, v.dimension);
      }
      case Kind::kWord: {
        if (IsLogic(p)) Fail("expected a value before \"" + p.text + "\"");
        if (p.text == "abs") {
          Take();
          Expect("(");
          Nest nest(*this);
          const int inner = Terms(e);
          Expect(")");
          node.kind = ExprKind::kAbs;
          node.left = inner;
          return Add(e, std::move(node), 1 + HeightOf(inner), DimensionOf(inner));
        }
        node.kind = ExprKind::kQuantity;
        node.quantity = names_.QuantityNamed(p.text);
        Take();
        const char* unit = node.quantity.def->unit;
        return Add(e, std::move(node), 1, unit);
      }
      case Kind::kSymbol:
        if (p.text == "(") {
          Take();
          Nest nest(*this);
          const int inner = Terms(e);
          Expect(")");
          return inner;
        }
        Fail("expected a value, got \"" + p.text + "\"");
      case Kind::kText: Fail("\"" + p.text + "\" is text where a number belongs");
      case Kind::kEnd: break;
    }
    Fail("expected a value at the end");
  }

  const std::vector<Token>& tokens_;
  std::vector<Piece> pieces_;
  const ExpressionNames& names_;
  std::size_t at_ = 0;
  int depth_ = 0;
  // Per node of the expression being read, from base_ on.
  std::vector<int> heights_;
  std::vector<std::string> dimensions_;
  std::size_t base_ = 0;
  std::vector<int> condition_heights_;
};

}  // namespace

bool ParseOp(const std::string& text, Op& op) {
  static const std::map<std::string, Op> kOps = {{"==", Op::Eq}, {"!=", Op::Ne}, {"<", Op::Lt},
                                                 {"<=", Op::Le}, {">", Op::Gt},  {">=", Op::Ge}};
  auto it = kOps.find(text);
  if (it == kOps.end()) return false;
  op = it->second;
  return true;
}

Condition ParseCondition(const std::vector<Token>& tokens, std::size_t first, std::size_t last,
                         const ExpressionNames& names) {
  if (first > last || last >= tokens.size()) Fail("expected QUANTITY OP VALUE [~ TOLERANCE]");
  Condition c = Reader(tokens, Split(tokens, first, last), names).WholeCondition();
  for (std::size_t i = first; i <= last; ++i)
    c.source += (i == first ? "" : " ") +
                (tokens[i].quoted ? "\"" + tokens[i].text + "\"" : tokens[i].text);
  return c;
}

Expression ParseExpression(const std::vector<Token>& tokens, std::size_t first, std::size_t last,
                           const ExpressionNames& names) {
  if (first > last || last >= tokens.size()) Fail("expected an expression");
  return Reader(tokens, Split(tokens, first, last), names).WholeExpression();
}

}  // namespace vsim
