// Flight-script commands as types: the parser turns each line into one of
// these once, and nothing downstream looks at the words again.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "host/host_api.h"
#include "sim/journal/call_pattern.h"
#include "sim/script/expressions.h"

namespace vsim {

// Steps in a whole run, whatever its commands: the step counter cannot
// overflow and no script runs for ever. The parser counts "step" commands
// against it; the runner stops "run" and "until" at it.
constexpr long long kMaxTotalSteps = 1'000'000'000;

// Set-up, before the first vessel.
struct ModuleCommand {
  std::string path;
};
struct SoundCommand {
  bool on;
};
struct PhysicsCommand {
  bool on;
};
struct DtCommand {
  double seconds;
};
// The world and its vessels.
struct VesselCommand {
  std::string name;
  int flight_model;
};
struct FocusCommand {
  std::string name;
};
struct DestroyCommand {
  std::string name;
};
struct CockpitCommand {};
struct CameraCommand {
  bool internal;
};
struct TimeAccCommand {
  double factor;
};
// The pilot.
struct ThrottleCommand {
  THGROUP_TYPE group;
  std::string group_name;
  double level;
};
// Every thruster group the vessel declared, by its name.
struct ThrustCommand {
  THGROUP_TYPE group;
  std::string group_name;
  double level;
};
struct RudderCommand {
  double level;
};
struct KeyCommand {
  unsigned key;
  std::vector<unsigned> modifiers;
  bool release;
};
struct ClickCommand {
  int area;
};
struct HoldCommand {
  int area;
  int events;
};
// The host's holds, flying the vessel's attitude and hover groups.
enum class Autopilot { kKillRotation, kLevel, kAltitude, kVerticalSpeed, kHeading, kOff };
struct AutopilotCommand {
  Autopilot hold;
  std::string name;
  double target = 0;  // m, m/s or rad
};
// The world.
struct WindCommand {
  double speed;
  double from_heading;
  double gusts = 0;  // root mean square per horizontal direction (m/s)
  std::uint64_t seed = 0;
};
struct CrashCommand {
  bool allowed;
};
struct SetCommand {
  Quantity quantity;
  std::vector<double> values;
  // "set QUANTITY (EXPRESSION)": one value, found when the line runs.
  std::optional<Expression> expression;
};
// Time.
struct StepCommand {
  long long count;
};
struct RunCommand {
  double seconds;
};
struct UntilCommand {
  Condition condition;
  double within;
};
// Checks, narration and the plot.
struct ExpectCallCommand {
  std::string text;       // as written: the call, or with its vessel, or a whole line
  std::string call;       // the call alone: "SetCW(0.3, 0.3, 0.67, 0.92)"
  std::string operation;  // "SetCW"
  CallPattern pattern;
  // "expect calls PATTERN OP N": how many must match; otherwise at least one.
  std::optional<Op> count_op;
  long long count = 0;
};
struct ExpectNoCallCommand {
  std::string name;
};
struct ExpectCommand {
  Condition condition;
};
struct MarkCommand {
  std::string text;
  Condition condition;
  std::optional<unsigned> after_key;
};
// "let NAME = EXPRESSION": the value kept in its slot when the line runs.
struct LetCommand {
  std::string name;
  std::size_t slot = 0;
  Expression value;
};
// "repeat N" ... "end": the lines between run N times.
struct RepeatCommand {
  long long count = 0;
  std::size_t end = 0;  // the index of its "end" among the script's commands
};
struct EndCommand {
  std::size_t repeat = 0;  // the index of its "repeat"
};
enum class PlotQuantity { kAltitude, kAirspeed };
// "name anim N NAME", "name sound N NAME": a name for an animation or a
// sound slot in quantities, the log's columns and the plot.
struct NameCommand {
  bool sound = false;
  int index = 0;
  std::string name;
};
struct PlotAnimCommand {
  UINT index;
  std::string label;
};
struct PlotLimitCommand {
  PlotQuantity quantity;
  double value;
  std::string label;
};

using Command =
    std::variant<ModuleCommand, SoundCommand, PhysicsCommand, DtCommand, VesselCommand,
                 FocusCommand, DestroyCommand, CockpitCommand, CameraCommand, TimeAccCommand,
                 ThrottleCommand, ThrustCommand, RudderCommand, KeyCommand, ClickCommand,
                 HoldCommand, AutopilotCommand, WindCommand, CrashCommand, SetCommand, StepCommand,
                 RunCommand, UntilCommand, ExpectCallCommand, ExpectNoCallCommand, ExpectCommand,
                 MarkCommand, NameCommand, PlotAnimCommand, PlotLimitCommand, LetCommand,
                 RepeatCommand, EndCommand>;

struct ScriptLine {
  int line = 0;
  Command command;
  std::string file;  // the included script it came from; empty: the script's own
};

struct Script {
  std::string file;
  std::vector<ScriptLine> commands;

  std::string Where(int line) const { return file + ":" + std::to_string(line); }
  std::string Where(const ScriptLine& l) const {
    return (l.file.empty() ? file : l.file) + ":" + std::to_string(l.line);
  }
  bool NeedsJournal() const;
  template <typename T>
  std::vector<const T*> All() const {
    std::vector<const T*> found;
    for (const ScriptLine& c : commands)
      if (const T* t = std::get_if<T>(&c.command)) found.push_back(t);
    return found;
  }
};

}  // namespace vsim
