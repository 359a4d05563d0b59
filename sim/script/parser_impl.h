// The parser's inner workings, shared by the line parser and the verb table.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "sim/script/commands.h"
#include "sim/script/lexer.h"

namespace vsim {

class Parser {
public:
  Parser(std::string file, std::string base_dir)
      : file_(std::move(file)), base_dir_(std::move(base_dir)) {}
  Command Parse(int line, const LexedLine& lexed);
  // The script being read, for an included one and back.
  struct Place {
    std::string file, base_dir;
    std::size_t repeat_floor;
  };
  Place Enter(std::string file, std::string base_dir) {
    Place outer{std::move(file_), std::move(base_dir_), repeat_floor_};
    file_ = std::move(file);
    base_dir_ = std::move(base_dir);
    repeat_floor_ = repeats_.size();
    return outer;
  }
  void Leave(Place outer) {
    file_ = std::move(outer.file);
    base_dir_ = std::move(outer.base_dir);
    repeat_floor_ = outer.repeat_floor;
  }

  // One per verb, in verbs.cpp.
  Command Module();
  Command Sound();
  Command PhysicsSwitch();
  Command Dt();
  Command NewVessel();
  Command Focus();
  Command Destroy();
  Command Cockpit();
  Command Camera();
  Command Throttle();
  Command Thrust();
  Command Wind();
  Command Crash();
  Command Rudder();
  Command TimeAcc();
  Command Key();
  Command Click();
  Command Hold();
  Command AutopilotHold();
  Command Set();
  Command Step();
  Command Run();
  Command Until();
  Command Expect();
  Command Mark();
  Command Plot();
  Command Name();
  Command Let();
  Command Repeat();
  Command End();
  // Where the next command goes among the script's commands.
  void NextIndex(std::size_t index) { next_index_ = index; }
  // The repeats of the script being read still open, as "file:line"
  // messages; they are closed.
  std::vector<std::string> CloseRepeats();

private:
  class Names;
  [[noreturn]] void Error(const std::string& message) const;
  const std::string& Arg(std::size_t i) const { return (*tokens_)[i].text; }
  bool Quoted(std::size_t i) const { return (*tokens_)[i].quoted; }
  std::size_t Count() const { return tokens_->size() - 1; }
  void Count(std::size_t lo, std::size_t hi) const;
  void Setup(const std::string& what) const;
  void NeedFocus() const;
  std::string KnownVessel(const std::string& name) const;
  std::string OneOf(std::size_t i, std::initializer_list<const char*> options) const;
  // A number in the unit named (the quantity table's: "s", "m"), given
  // bare or with a unit of that dimension; without one, bare or in degrees.
  double Number(std::size_t i, const char* dimension = nullptr) const;
  double Positive(std::size_t i, const char* dimension = nullptr) const;
  double Integer(std::size_t i) const;
  double Level(std::size_t i, double lo, double hi) const;
  // A magnitude no larger than limit.
  double Bounded(double value, double limit, const std::string& what) const;
  // A condition or an expression over tokens first..last.
  Condition ParseCondition(std::size_t first, std::size_t last) const;
  Expression ParseExpression(std::size_t first, std::size_t last) const;
  // How many times a command here runs: the product of the open repeats.
  long long Runs() const;
  Quantity ParseQuantity(const std::string& written) const;
  // The operation an "expect call" or "expect no-call" names; refused when
  // the journal can never hold it.
  void CheckOperation(const std::string& name) const;

  std::string file_;
  std::string base_dir_;
  int line_ = 0;
  const std::vector<Token>* tokens_ = nullptr;
  const std::string* text_ = nullptr;
  std::set<std::string> vessels_;
  std::string focus_;
  bool any_vessel_ = false;
  // Names given to animations and sound slots: "gear" -> 2.
  std::map<std::string, int> anim_names_;
  std::map<std::string, int> sound_names_;
  // "anim.gear.x" -> "anim.2.x": a named index as its number.
  std::string Numbered(const std::string& name) const;
  bool physics_on_ = true;
  long long steps_ = 0;
  long long hold_events_ = 0;
  // The script's variables: "fuel0" -> its slot and unit.
  std::map<std::string, Variable> variables_;
  struct OpenRepeat {
    int line;
    long long count;
    std::size_t index;  // among the script's commands
  };
  std::vector<OpenRepeat> repeats_;
  std::size_t repeat_floor_ = 0;  // repeats_ below this belong to an including script
  std::size_t next_index_ = 0;
  long long commands_run_ = 0;
};

struct VerbRow {
  const char* name;
  Command (Parser::*parse)();
};

// The verb's row, or null.
const VerbRow* FindVerb(const std::string& name);
std::vector<std::string> VerbNames();

}  // namespace vsim
