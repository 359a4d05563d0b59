// Flight scripts: a small command language that sets a flight up, drives
// the vessels and checks what the host saw. Parsing validates every line
// before anything runs.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace vsim {

// "file:line: message"
class ScriptError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

enum class Op { Eq, Ne, Lt, Le, Gt, Ge };

struct Value {
  bool is_text = false;
  double number = 0;
  std::string text;
};

// A host-visible quantity, optionally of a named vessel ("heli:altitude").
struct Quantity {
  std::string vessel;  // empty: the focus vessel
  std::string name;    // as written, e.g. "anim.2", "main.level", "sound.1.frequency"
  std::vector<std::string> path;
  int index = 0;
  bool text = false;  // compares as text (debug line, sound request kind)
};

struct Condition {
  Quantity quantity;
  Op op = Op::Eq;
  Value value;
  double tolerance = 0;
  std::string source;  // the condition as written, for messages
};

enum class Verb {
  Module,
  Sound,
  Physics,
  Dt,
  Vessel,
  Focus,
  Destroy,
  Cockpit,
  Camera,
  Throttle,
  Rudder,
  TimeAcc,
  Key,
  Click,
  Hold,
  Set,
  Step,
  Run,
  Until,
  ExpectCall,
  ExpectNoCall,
  Expect,
  Mark,
  Plot
};

struct Command {
  std::string file;
  int line = 0;
  Verb verb{};
  std::vector<std::string> words;  // names, modes, text
  std::vector<double> numbers;
  unsigned key = 0;
  std::vector<unsigned> modifiers;
  bool release = false;
  Condition condition;
  bool has_limit = false;  // until ... within
  std::string Where() const { return file + ":" + std::to_string(line); }
};

struct Script {
  std::string file;
  std::vector<Command> commands;
  bool NeedsJournal() const;
};

Script ParseScript(const std::string& file, const std::string& text);
Script LoadScript(const std::string& path);

// Parses a number, with an optional "deg" suffix converting degrees to radians.
bool ParseNumber(const std::string& text, double& value);
bool ParseKey(const std::string& text, unsigned& scan_code);
std::string OpText(Op op);

}  // namespace vsim
