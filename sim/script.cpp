#include "sim/script.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "host/host_api.h"

namespace vsim {

namespace {

struct Token {
  std::string text;
  bool quoted = false;
};

[[noreturn]] void Fail(const std::string& file, int line, const std::string& message) {
  throw ScriptError(file + ":" + std::to_string(line) + ": " + message);
}

std::vector<Token> Tokenize(const std::string& file, int line, const std::string& text) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  while (i < text.size()) {
    if (std::isspace(static_cast<unsigned char>(text[i]))) {
      ++i;
      continue;
    }
    if (text[i] == '#') break;
    Token token;
    if (text[i] == '"') {
      const std::size_t end = text.find('"', i + 1);
      if (end == std::string::npos) Fail(file, line, "unterminated string");
      token.text = text.substr(i + 1, end - i - 1);
      token.quoted = true;
      i = end + 1;
    } else {
      const std::size_t start = i;
      while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) ++i;
      token.text = text.substr(start, i - start);
    }
    tokens.push_back(token);
  }
  return tokens;
}

const std::map<std::string, Verb> kVerbs = {
    {"module", Verb::Module},   {"sound", Verb::Sound},
    {"physics", Verb::Physics}, {"dt", Verb::Dt},
    {"vessel", Verb::Vessel},   {"focus", Verb::Focus},
    {"destroy", Verb::Destroy}, {"cockpit", Verb::Cockpit},
    {"camera", Verb::Camera},   {"throttle", Verb::Throttle},
    {"rudder", Verb::Rudder},   {"timeacc", Verb::TimeAcc},
    {"key", Verb::Key},         {"click", Verb::Click},
    {"hold", Verb::Hold},       {"set", Verb::Set},
    {"step", Verb::Step},       {"run", Verb::Run},
    {"until", Verb::Until},     {"expect", Verb::Expect},
    {"mark", Verb::Mark},       {"plot", Verb::Plot},
};

const std::map<std::string, unsigned> kLetterKeys = {
    {"Q", 0x10}, {"W", 0x11}, {"E", 0x12}, {"R", 0x13}, {"T", 0x14}, {"Y", 0x15}, {"U", 0x16},
    {"I", 0x17}, {"O", 0x18}, {"P", 0x19}, {"A", 0x1E}, {"S", 0x1F}, {"D", 0x20}, {"F", 0x21},
    {"G", 0x22}, {"H", 0x23}, {"J", 0x24}, {"K", 0x25}, {"L", 0x26}, {"Z", 0x2C}, {"X", 0x2D},
    {"C", 0x2E}, {"V", 0x2F}, {"B", 0x30}, {"N", 0x31}, {"M", 0x32}};

const std::map<std::string, unsigned> kModifierKeys = {
    {"ctrl", OAPI_KEY_LCONTROL}, {"shift", OAPI_KEY_LSHIFT}, {"alt", OAPI_KEY_LALT}};

const std::set<std::string> kSettable = {"altitude", "airspeed", "ground",         "aoa",
                                         "bank",     "heading",  "focus-airspeed", "fuel"};

bool ParseIndex(const std::string& text, int& value) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  value = std::atoi(text.c_str());
  return true;
}

std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  std::string part;
  while (std::getline(in, part, sep)) parts.push_back(part);
  return parts;
}

bool ThrusterField(const std::vector<std::string>& p, std::size_t at) {
  if (p.size() == at + 1) return p[at] == "max" || p[at] == "level";
  return p.size() == at + 2 && p[at] == "dir" &&
         (p[at + 1] == "x" || p[at + 1] == "y" || p[at + 1] == "z");
}

// Checks a quantity's name; returns an empty string when it is known.
std::string CheckQuantity(Quantity& q) {
  const auto& p = q.path;
  const std::string& head = p[0];
  static const std::set<std::string> kScalars = {"altitude", "airspeed", "ground", "heading",
                                                 "aoa",      "bank",     "fuel",   "timeacc",
                                                 "vx",       "vy",       "vz",     "debug"};
  if (p.size() == 1 && kScalars.count(head) != 0) {
    q.text = head == "debug";
    return "";
  }
  if (head == "anim" && p.size() == 2 && ParseIndex(p[1], q.index)) return "";
  if ((head == "main" || head == "hover") && ThrusterField(p, 1)) return "";
  if (head == "thruster" && p.size() >= 3 && ParseIndex(p[1], q.index) && q.index >= 1 &&
      ThrusterField(p, 2))
    return "";
  if (head == "cw" && p.size() == 2 &&
      (p[1] == "forward" || p[1] == "backward" || p[1] == "lateral" || p[1] == "vertical"))
    return "";
  if (head == "touchdown" && p.size() == 3 && ParseIndex(p[1], q.index) && q.index >= 1 &&
      q.index <= 3 && (p[2] == "x" || p[2] == "y" || p[2] == "z"))
    return "";
  if (head == "friction" && p.size() == 2 && (p[1] == "lng" || p[1] == "lat")) return "";
  if (head == "beacon" && p.size() == 2 && ParseIndex(p[1], q.index) && q.index >= 1) return "";
  if (head == "sound" && p.size() >= 2 && ParseIndex(p[1], q.index)) {
    if (p.size() == 2) {
      q.text = true;
      return "";
    }
    if (p.size() == 3 && (p[2] == "frequency" || p[2] == "volume" || p[2] == "loop")) return "";
  }
  return "unknown quantity \"" + q.name + "\"";
}

bool ParseOp(const std::string& text, Op& op) {
  static const std::map<std::string, Op> kOps = {{"==", Op::Eq}, {"!=", Op::Ne}, {"<", Op::Lt},
                                                 {"<=", Op::Le}, {">", Op::Gt},  {">=", Op::Ge}};
  auto it = kOps.find(text);
  if (it == kOps.end()) return false;
  op = it->second;
  return true;
}

class Parser {
public:
  explicit Parser(std::string file) : file_(std::move(file)) {}

  Command Parse(int line, const std::vector<Token>& tokens, const std::string& raw) {
    line_ = line;
    tokens_ = &tokens;
    Command c;
    c.file = file_;
    c.line = line;
    auto verb = kVerbs.find(tokens[0].text);
    if (verb == kVerbs.end()) Error("unknown command \"" + tokens[0].text + "\"");
    c.verb = verb->second;
    const std::size_t n = tokens.size() - 1;
    switch (c.verb) {
      case Verb::Module:
        Count(n, 1, 1);
        Setup("module");
        if (!std::ifstream(tokens[1].text)) Error("module file not found: " + tokens[1].text);
        c.words.push_back(tokens[1].text);
        break;
      case Verb::Sound:
      case Verb::Physics:
        Count(n, 1, 1);
        Setup(tokens[0].text);
        c.words.push_back(OneOf(1, {"on", "off"}));
        break;
      case Verb::Dt:
        Count(n, 1, 1);
        c.numbers.push_back(Positive(1));
        break;
      case Verb::Vessel: {
        Count(n, 1, 2);
        const std::string& name = tokens[1].text;
        if (vessels_.count(name) != 0) Error("vessel \"" + name + "\" already exists");
        if (name.find(':') != std::string::npos) Error("a vessel name cannot contain ':'");
        vessels_.insert(name);
        if (focus_.empty()) focus_ = name;
        c.words.push_back(name);
        c.words.push_back(n == 2 ? OneOf(2, {"easy", "realistic"}) : "realistic");
        any_vessel_ = true;
        break;
      }
      case Verb::Focus:
        Count(n, 1, 1);
        c.words.push_back(KnownVessel(tokens[1].text));
        focus_ = tokens[1].text;
        break;
      case Verb::Destroy:
        Count(n, 1, 1);
        c.words.push_back(KnownVessel(tokens[1].text));
        vessels_.erase(tokens[1].text);
        if (focus_ == tokens[1].text) focus_ = vessels_.empty() ? "" : *vessels_.begin();
        break;
      case Verb::Cockpit:
        Count(n, 0, 0);
        NeedFocus();
        break;
      case Verb::Camera:
        Count(n, 1, 1);
        c.words.push_back(OneOf(1, {"internal", "external"}));
        break;
      case Verb::Throttle:
        Count(n, 2, 2);
        NeedFocus();
        c.words.push_back(OneOf(1, {"main", "hover"}));
        c.numbers.push_back(Level(2, 0, 1));
        break;
      case Verb::Rudder:
        Count(n, 1, 1);
        NeedFocus();
        c.numbers.push_back(Level(1, -1, 1));
        break;
      case Verb::TimeAcc:
        Count(n, 1, 1);
        c.numbers.push_back(Positive(1));
        break;
      case Verb::Key: {
        if (n < 1) Error("key needs a key");
        NeedFocus();
        if (!ParseKey(tokens[1].text, c.key)) Error("unknown key \"" + tokens[1].text + "\"");
        for (std::size_t i = 2; i <= n; ++i) {
          if (tokens[i].text == "release") {
            c.release = true;
            continue;
          }
          auto mod = kModifierKeys.find(tokens[i].text);
          if (mod == kModifierKeys.end())
            Error("unknown key option \"" + tokens[i].text + "\" (release, ctrl, shift, alt)");
          c.modifiers.push_back(mod->second);
        }
        break;
      }
      case Verb::Click:
        Count(n, 1, 1);
        NeedFocus();
        c.numbers.push_back(Integer(1));
        break;
      case Verb::Hold:
        Count(n, 2, 2);
        NeedFocus();
        c.numbers.push_back(Integer(1));
        c.numbers.push_back(Integer(2));
        if (c.numbers[1] < 1 || c.numbers[1] > 1'000'000)
          Error("hold takes from 1 to 1000000 events");
        break;
      case Verb::Set: {
        if (n < 2) Error("set needs a quantity and a value");
        NeedFocus();
        const std::string& what = tokens[1].text;
        if (kSettable.count(what) == 0) Error("cannot set \"" + what + "\"");
        const std::size_t values = what == "focus-airspeed" ? 3 : 1;
        if (n - 1 != values)
          Error("set " + what + " takes " + std::to_string(values) +
                (values == 1 ? " value" : " values"));
        if (physics_on_ &&
            (what == "ground" || what == "aoa" || what == "bank" || what == "focus-airspeed"))
          Error("cannot set " + what + " with physics on: the physics derives it");
        c.words.push_back(what);
        for (std::size_t i = 2; i <= n; ++i) c.numbers.push_back(Number(i));
        break;
      }
      case Verb::Step:
        Count(n, 0, 1);
        c.numbers.push_back(n == 1 ? Integer(1) : 1);
        if (c.numbers[0] < 1 || c.numbers[0] > 10'000'000)
          Error("step count must be from 1 to 10000000");
        break;
      case Verb::Run:
        Count(n, 1, 1);
        c.numbers.push_back(Positive(1));
        break;
      case Verb::Until: {
        NeedFocus();
        std::size_t end = n;
        if (n >= 2 && tokens[n - 1].text == "within") {
          c.numbers.push_back(Positive(n));
          c.has_limit = true;
          end = n - 2;
        } else {
          c.numbers.push_back(600);
        }
        c.condition = ParseCondition(1, end);
        break;
      }
      case Verb::Expect:
        if (n < 1) Error("expect needs a check");
        if (tokens[1].text == "call") {
          c.verb = Verb::ExpectCall;
          const std::size_t at = raw.find("call");
          std::string text = raw.substr(at + 4);
          text.erase(0, text.find_first_not_of(" \t"));
          text.erase(text.find_last_not_of(" \t\r") + 1);
          if (text.empty()) Error("expect call needs the call text");
          c.words.push_back(text);
        } else if (tokens[1].text == "no-call") {
          c.verb = Verb::ExpectNoCall;
          Count(n, 2, 2);
          c.words.push_back(tokens[2].text);
        } else {
          NeedFocus();
          c.condition = ParseCondition(1, n);
        }
        break;
      case Verb::Mark: {
        // mark "TEXT" when CONDITION [after key KEY]
        if (n < 5 || !tokens[1].quoted || tokens[2].text != "when")
          Error("mark needs \"TEXT\" when QUANTITY OP VALUE [after key KEY]");
        NeedFocus();
        c.words.push_back(tokens[1].text);
        std::size_t end = n;
        if (n >= 8 && tokens[n - 2].text == "after" && tokens[n - 1].text == "key") {
          if (!ParseKey(tokens[n].text, c.key)) Error("unknown key \"" + tokens[n].text + "\"");
          c.words.push_back(tokens[n].text);
          end = n - 3;
        }
        c.condition = ParseCondition(3, end);
        break;
      }
      case Verb::Plot:
        // plot anim N "LABEL" | plot limit altitude|airspeed VALUE "LABEL"
        if (n == 3 && tokens[1].text == "anim") {
          c.words = {"anim", tokens[3].text};
          c.numbers.push_back(Integer(2));
        } else if (n == 4 && tokens[1].text == "limit") {
          c.words = {"limit", OneOf(2, {"altitude", "airspeed"}), tokens[4].text};
          c.numbers.push_back(Number(3));
        } else {
          Error("plot takes: anim N \"LABEL\" or limit altitude|airspeed VALUE \"LABEL\"");
        }
        break;
      case Verb::ExpectCall:
      case Verb::ExpectNoCall: break;
    }
    if (c.verb == Verb::Physics) physics_on_ = c.words[0] == "on";
    return c;
  }

private:
  [[noreturn]] void Error(const std::string& message) const { Fail(file_, line_, message); }

  const std::string& Arg(std::size_t i) const { return (*tokens_)[i].text; }

  void Count(std::size_t n, std::size_t lo, std::size_t hi) const {
    if (n < lo || n > hi) {
      const std::string verb = Arg(0);
      std::string expected =
          lo == hi ? std::to_string(lo) : std::to_string(lo) + " to " + std::to_string(hi);
      Error(verb + " takes " + expected + (hi == 1 ? " argument" : " arguments") + ", got " +
            std::to_string(n));
    }
  }

  void Setup(const std::string& what) const {
    if (any_vessel_) Error(what + " must come before the first vessel");
  }

  void NeedFocus() const {
    if (focus_.empty()) Error("no vessel to act on: create one with \"vessel NAME\"");
  }

  std::string KnownVessel(const std::string& name) const {
    if (vessels_.count(name) == 0) Error("unknown vessel \"" + name + "\"");
    return name;
  }

  std::string OneOf(std::size_t i, std::initializer_list<const char*> options) const {
    std::string list;
    for (const char* o : options) {
      if (Arg(i) == o) return o;
      list += (list.empty() ? "" : " or ") + std::string(o);
    }
    Error("expected " + list + ", got \"" + Arg(i) + "\"");
  }

  double Number(std::size_t i) const {
    double v = 0;
    if (!ParseNumber(Arg(i), v)) Error("bad number \"" + Arg(i) + "\"");
    return v;
  }

  double Positive(std::size_t i) const {
    const double v = Number(i);
    if (!(v > 0)) Error("expected a positive number, got \"" + Arg(i) + "\"");
    return v;
  }

  double Integer(std::size_t i) const {
    const double v = Number(i);
    if (std::abs(v) > 1e9 || v != std::trunc(v))
      Error("expected a whole number, got \"" + Arg(i) + "\"");
    return v;
  }

  double Level(std::size_t i, double lo, double hi) const {
    const double v = Number(i);
    if (v < lo || v > hi)
      Error("level " + Arg(i) + " outside " + std::to_string(static_cast<int>(lo)) + ".." +
            std::to_string(static_cast<int>(hi)));
    return v;
  }

  // QUANTITY OP VALUE [~ TOLERANCE] over tokens first..last.
  Condition ParseCondition(std::size_t first, std::size_t last) const {
    Condition c;
    const std::size_t count = last + 1 - first;
    if (count != 3 && count != 5) Error("expected QUANTITY OP VALUE [~ TOLERANCE]");
    std::string name = Arg(first);
    const auto colon = name.find(':');
    if (colon != std::string::npos) {
      c.quantity.vessel = KnownVessel(name.substr(0, colon));
      name = name.substr(colon + 1);
    }
    c.quantity.name = name;
    c.quantity.path = Split(name, '.');
    if (c.quantity.path.empty()) Error("expected a quantity");
    const std::string problem = CheckQuantity(c.quantity);
    if (!problem.empty()) Error(problem);
    if (!ParseOp(Arg(first + 1), c.op)) Error("unknown comparison \"" + Arg(first + 1) + "\"");
    if (c.quantity.text) {
      if (c.op != Op::Eq && c.op != Op::Ne) Error(name + " compares with == or != only");
      c.value.is_text = true;
      c.value.text = Arg(first + 2);
    } else {
      c.value.number = Number(first + 2);
    }
    if (count == 5) {
      if (Arg(first + 3) != "~") Error("expected \"~ TOLERANCE\"");
      c.tolerance = Number(first + 4);
      if (!(c.tolerance >= 0)) Error("tolerance must not be negative");
    }
    for (std::size_t i = first; i <= last; ++i)
      c.source += (i == first ? "" : " ") + ((*tokens_)[i].quoted ? "\"" + Arg(i) + "\"" : Arg(i));
    return c;
  }

  std::string file_;
  int line_ = 0;
  const std::vector<Token>* tokens_ = nullptr;
  std::set<std::string> vessels_;
  std::string focus_;
  bool any_vessel_ = false;
  bool physics_on_ = true;
};

}  // namespace

bool ParseNumber(const std::string& text, double& value) {
  std::string digits = text;
  double scale = 1;
  if (digits.size() > 3 && digits.compare(digits.size() - 3, 3, "deg") == 0) {
    digits.resize(digits.size() - 3);
    scale = RAD;
  }
  if (digits.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(digits.c_str(), &end);
  if (end != digits.c_str() + digits.size() || errno == ERANGE || !std::isfinite(v)) return false;
  value = v * scale;
  return true;
}

bool ParseKey(const std::string& text, unsigned& scan_code) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    char* end = nullptr;
    const unsigned long code = std::strtoul(text.c_str() + 2, &end, 16);
    if (*end != '\0' || code > 0xFF) return false;
    scan_code = static_cast<unsigned>(code);
    return true;
  }
  std::string upper = text;
  for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  auto it = kLetterKeys.find(upper);
  if (it == kLetterKeys.end()) return false;
  scan_code = it->second;
  return true;
}

std::string OpText(Op op) {
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

bool Script::NeedsJournal() const {
  for (const Command& c : commands)
    if (c.verb == Verb::ExpectCall || c.verb == Verb::ExpectNoCall) return true;
  return false;
}

Script ParseScript(const std::string& file, const std::string& text) {
  Script script;
  script.file = file;
  Parser parser(file);
  std::istringstream in(text);
  std::string raw;
  int line = 0;
  while (std::getline(in, raw)) {
    ++line;
    const std::vector<Token> tokens = Tokenize(file, line, raw);
    if (tokens.empty()) continue;
    script.commands.push_back(parser.Parse(line, tokens, raw));
  }
  return script;
}

Script LoadScript(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ScriptError(path + ": cannot read the script");
  std::stringstream text;
  text << in.rdbuf();
  return ParseScript(path, text.str());
}

}  // namespace vsim
