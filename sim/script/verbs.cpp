// The script's verbs: each parses its own arguments into its command.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <iterator>

#include "sim/core/group_names.h"
#include "sim/script/keys.h"
#include "sim/script/numbers.h"
#include "sim/script/operations.h"
#include "sim/script/parser_impl.h"

namespace vsim {

namespace {

constexpr int kMaxHoldEvents = 1'000'000;
constexpr long long kMaxStepCount = 10'000'000;
// Cockpit events in a whole script: the time a run can take stays bounded
// whatever the script says.
constexpr long long kMaxTotalHoldEvents = 100'000'000;
// The base step and time acceleration a flight takes; beyond them one step
// would carry the simple physics out of finite numbers.
constexpr double kMaxBaseStep_s = 1000;
constexpr double kMaxTimeAcceleration = 100'000;
constexpr double kDefaultUntilLimit_s = 600;
// The quantity table's units of the verbs' arguments.
constexpr char kTime[] = "s";
constexpr char kSpeed[] = "m/s";
constexpr char kAngle[] = "rad";
constexpr double kMaxWind_mps = 1000;
constexpr double kMaxHoldAltitude_m = 1e7;
constexpr double kMaxHoldSpeed_mps = 1e5;
constexpr double kMaxHoldAngle_rad = 1e6;

struct AutopilotRow {
  const char* name;
  Autopilot hold;
  const char* target;  // what its one argument is, or null for none
  double limit;
  const char* unit;  // its argument's, in the quantity table's units
};
constexpr AutopilotRow kAutopilots[] = {
    {"killrot", Autopilot::kKillRotation, nullptr, 0, nullptr},
    {"level", Autopilot::kLevel, nullptr, 0, nullptr},
    {"altitude", Autopilot::kAltitude, "METRES", kMaxHoldAltitude_m, "m"},
    {"vspeed", Autopilot::kVerticalSpeed, "MPS", kMaxHoldSpeed_mps, "m/s"},
    {"heading", Autopilot::kHeading, "ANGLE", kMaxHoldAngle_rad, "rad"},
    {"off", Autopilot::kOff, nullptr, 0, nullptr},
};

const AutopilotRow* FindAutopilot(const std::string& name) {
  for (const AutopilotRow& row : kAutopilots)
    if (name == row.name) return &row;
  return nullptr;
}

constexpr VerbRow kVerbs[] = {
    {"module", &Parser::Module},
    {"sound", &Parser::Sound},
    {"physics", &Parser::PhysicsSwitch},
    {"dt", &Parser::Dt},
    {"vessel", &Parser::NewVessel},
    {"focus", &Parser::Focus},
    {"destroy", &Parser::Destroy},
    {"cockpit", &Parser::Cockpit},
    {"camera", &Parser::Camera},
    {"throttle", &Parser::Throttle},
    {"thrust", &Parser::Thrust},
    {"wind", &Parser::Wind},
    {"crash", &Parser::Crash},
    {"rudder", &Parser::Rudder},
    {"timeacc", &Parser::TimeAcc},
    {"key", &Parser::Key},
    {"click", &Parser::Click},
    {"hold", &Parser::Hold},
    {"set", &Parser::Set},
    {"step", &Parser::Step},
    {"run", &Parser::Run},
    {"until", &Parser::Until},
    {"expect", &Parser::Expect},
    {"mark", &Parser::Mark},
    {"plot", &Parser::Plot},
    {"name", &Parser::Name},
    {"let", &Parser::Let},
    {"repeat", &Parser::Repeat},
    {"end", &Parser::End},
};

// The largest index "name" takes: animations and sound slots are few.
constexpr double kMaxNamedIndex = 1'000'000;

// A name that reads as one word in NAME:QUANTITY and in expressions, and
// never as the host's own "-".
bool IsVesselName(const std::string& name) {
  if (name.empty() || name.front() == '.' || name.front() == '-') return false;
  for (const char c : name)
    if (std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '_' && c != '.' && c != '-')
      return false;
  return true;
}

// Bytes that do not print, as \xNN: a message shows what the script holds.
std::string Shown(const std::string& text) {
  std::string shown;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f) {
      shown += c;
      continue;
    }
    constexpr char kHex[] = "0123456789abcdef";
    shown += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 0xf];
  }
  return shown;
}

}  // namespace

const VerbRow* FindVerb(const std::string& name) {
  for (const VerbRow& row : kVerbs)
    if (name == row.name) return &row;
  return nullptr;
}

std::vector<std::string> VerbNames() {
  std::vector<std::string> names;
  for (const VerbRow& row : kVerbs) names.push_back(row.name);
  return names;
}

Command Parser::Module() {
  Count(1, 1);
  Setup("module");
  const std::filesystem::path path = Arg(1);
  if (base_dir_.empty() || path.is_absolute()) return ModuleCommand{Arg(1)};
  return ModuleCommand{(std::filesystem::path(base_dir_) / path).string()};
}

Command Parser::Sound() {
  Count(1, 1);
  Setup("sound");
  return SoundCommand{OneOf(1, {"on", "off"}) == "on"};
}

Command Parser::PhysicsSwitch() {
  Count(1, 1);
  Setup("physics");
  physics_on_ = OneOf(1, {"on", "off"}) == "on";
  return PhysicsCommand{physics_on_};
}

Command Parser::Dt() {
  Count(1, 1);
  return DtCommand{Bounded(Positive(1), kMaxBaseStep_s, "dt")};
}

Command Parser::NewVessel() {
  Count(1, 2);
  const std::string& name = Arg(1);
  if (!IsVesselName(name))
    Error("bad vessel name \"" + Shown(name) +
          "\": a vessel's name is letters, digits, '_', '.' and '-', and starts with a letter, a "
          "digit or '_'");
  if (vessels_.count(name) != 0) Error("vessel \"" + name + "\" already exists");
  const bool easy = Count() == 2 && OneOf(2, {"easy", "realistic"}) == "easy";
  vessels_.insert(name);
  if (focus_.empty()) focus_ = name;
  any_vessel_ = true;
  return VesselCommand{name, easy ? 0 : 1};
}

Command Parser::Focus() {
  Count(1, 1);
  focus_ = KnownVessel(Arg(1));
  return FocusCommand{focus_};
}

Command Parser::Destroy() {
  Count(1, 1);
  const std::string name = KnownVessel(Arg(1));
  vessels_.erase(name);
  if (focus_ == name) focus_ = vessels_.empty() ? "" : *vessels_.begin();
  return DestroyCommand{name};
}

Command Parser::Cockpit() {
  Count(0, 0);
  NeedFocus();
  return CockpitCommand{};
}

Command Parser::Camera() {
  Count(1, 1);
  return CameraCommand{OneOf(1, {"internal", "external"}) == "internal"};
}

Command Parser::Throttle() {
  Count(2, 2);
  NeedFocus();
  const std::string group = OneOf(1, {"main", "hover"});
  return ThrottleCommand{group == "main" ? THGROUP_MAIN : THGROUP_HOVER, group, Level(2, 0, 1)};
}

Command Parser::Thrust() {
  Count(2, 2);
  NeedFocus();
  const auto group = GroupNamed(Arg(1));
  if (!group) {
    std::string names;
    for (const GroupName& g : kGroupNames) names += std::string(names.empty() ? "" : ", ") + g.name;
    Error("unknown thruster group \"" + Arg(1) + "\" (" + names + ")");
  }
  return ThrustCommand{*group, Arg(1), Level(2, 0, 1)};
}

// wind SPEED FROM_HEADING [gusts RMS seed N]
Command Parser::Wind() {
  Count(2, 6);
  const double speed = Number(1, kSpeed);
  if (speed < 0) Error("wind speed must not be negative");
  WindCommand wind{Bounded(speed, kMaxWind_mps, "wind"),
                   Bounded(Number(2, kAngle), kMaxHoldAngle_rad, "wind")};
  if (Count() == 2) return wind;
  if (Count() != 6 || Arg(3) != "gusts" || Arg(5) != "seed")
    Error("wind takes SPEED FROM_HEADING, then optionally gusts RMS seed N");
  const double gusts = Number(4, kSpeed);
  if (gusts < 0) Error("gusts must not be negative");
  wind.gusts = Bounded(gusts, kMaxWind_mps, "gusts");
  const double seed = Integer(6);
  if (seed < 0) Error("the gusts' seed must not be negative");
  wind.seed = static_cast<std::uint64_t>(seed);
  return wind;
}

Command Parser::Crash() {
  Count(1, 1);
  OneOf(1, {"allowed"});
  return CrashCommand{true};
}

Command Parser::Rudder() {
  Count(1, 1);
  NeedFocus();
  return RudderCommand{Level(1, -1, 1)};
}

Command Parser::TimeAcc() {
  Count(1, 1);
  return TimeAccCommand{Bounded(Positive(1), kMaxTimeAcceleration, "timeacc")};
}

Command Parser::Key() {
  if (Count() < 1) Error("key needs a key");
  NeedFocus();
  KeyCommand key{0, {}, false};
  const auto code = ParseKey(Arg(1));
  if (!code) Error("unknown key \"" + Arg(1) + "\"");
  key.key = *code;
  for (std::size_t i = 2; i <= Count(); ++i) {
    if (Arg(i) == "release") {
      key.release = true;
      continue;
    }
    const auto modifier = ParseModifier(Arg(i));
    if (!modifier) Error("unknown key option \"" + Arg(i) + "\" (release, ctrl, shift, alt)");
    key.modifiers.push_back(*modifier);
  }
  return key;
}

Command Parser::Click() {
  Count(1, 1);
  NeedFocus();
  return ClickCommand{static_cast<int>(Integer(1))};
}

Command Parser::Hold() {
  if (Count() >= 1 && FindAutopilot(Arg(1)) != nullptr) return AutopilotHold();
  Count(2, 2);
  NeedFocus();
  const int area = static_cast<int>(Integer(1));
  const double events = Integer(2);
  if (events < 1 || events > kMaxHoldEvents) Error("hold takes from 1 to 1000000 events");
  hold_events_ += static_cast<long long>(events) * Runs();
  if (hold_events_ > kMaxTotalHoldEvents)
    Error("the script holds more than " + std::to_string(kMaxTotalHoldEvents) +
          " cockpit events in all");
  return HoldCommand{area, static_cast<int>(events)};
}

// hold killrot|level|off, hold altitude|vspeed|heading VALUE
Command Parser::AutopilotHold() {
  NeedFocus();
  const AutopilotRow& row = *FindAutopilot(Arg(1));
  if (row.target == nullptr) {
    if (Count() != 1) Error(std::string("hold ") + row.name + " takes no value");
    return AutopilotCommand{row.hold, row.name, 0};
  }
  if (Count() != 2) Error(std::string("hold ") + row.name + " takes one value, " + row.target);
  return AutopilotCommand{row.hold, row.name,
                          Bounded(Number(2, row.unit), row.limit, std::string("hold ") + row.name)};
}

Command Parser::Set() {
  if (Count() < 2) Error("set needs a quantity and a value");
  NeedFocus();
  const std::string& what = Arg(1);
  const QuantityMatch match = FindQuantity(what);
  if (match.def == nullptr || match.def->set == nullptr) Error("cannot set \"" + what + "\"");
  const auto values = static_cast<std::size_t>(match.def->set_values);
  const bool expression = values == 1 && !Quoted(2) && Arg(2).front() == '(';
  if (Count() - 1 != values && !expression)
    Error("set " + what + " takes " + std::to_string(values) +
          (values == 1 ? " value" : " values"));
  if (physics_on_ && !match.def->set_with_physics)
    Error("cannot set " + what + " with physics on: the physics derives it");
  SetCommand set{{"", what, match.def, match.index}, {}, std::nullopt};
  if (expression) {
    if (Arg(Count()).back() != ')') Error("set " + what + " takes one value or (EXPRESSION)");
    set.expression = ParseExpression(2, Count());
    const std::string& unit = set.expression->dimension;
    if (!unit.empty() && unit != match.def->unit)
      Error("set " + what + " takes " + match.def->unit + ", the expression is in " + unit);
    return set;
  }
  for (std::size_t i = 2; i <= Count(); ++i)
    set.values.push_back(Bounded(Number(i, match.def->unit), match.def->set_limit, what));
  return set;
}

Command Parser::Step() {
  Count(0, 1);
  const double count = Count() == 1 ? Integer(1) : 1;
  if (count < 1 || count > kMaxStepCount) Error("step count must be from 1 to 10000000");
  steps_ += static_cast<long long>(count) * Runs();
  if (steps_ > kMaxTotalSteps)
    Error("the script steps more than " + std::to_string(kMaxTotalSteps) + " times in all");
  return StepCommand{static_cast<long long>(count)};
}

Command Parser::Run() {
  Count(1, 1);
  return RunCommand{Positive(1, kTime)};
}

Command Parser::Until() {
  NeedFocus();
  const std::size_t n = Count();
  if (n >= 2 && Arg(n - 1) == "within")
    return UntilCommand{ParseCondition(1, n - 2), Positive(n, kTime)};
  return UntilCommand{ParseCondition(1, n), kDefaultUntilLimit_s};
}

Command Parser::Expect() {
  if (Count() < 1) Error("expect needs a check");
  if (Arg(1) == "call" || Arg(1) == "calls") {
    const bool counted = Arg(1) == "calls";
    const std::size_t verb_end = text_->find("expect") + std::strlen("expect");
    const std::size_t word = text_->find(Arg(1), verb_end);
    std::string text = text_->substr(word + Arg(1).size());
    ExpectCallCommand c;
    if (counted) {
      // "expect calls PATTERN OP N": the last two words count.
      const std::size_t n = Count();
      if (n < 4) Error("expect calls needs a call, a comparison and a count");
      Op op = Op::Eq;
      if (!ParseOp(Arg(n - 1), op)) Error("unknown comparison \"" + Arg(n - 1) + "\"");
      const double count = Number(n);
      if (count < 0 || count != std::floor(count) || count > static_cast<double>(kMaxTotalSteps))
        Error("a count of calls is a whole number from 0, got " + Arg(n));
      c.count_op = op;
      c.count = static_cast<long long>(count);
      text.erase(text.rfind(Arg(n - 1)));
    }
    text.erase(0, text.find_first_not_of(" \t"));
    text.erase(text.find_last_not_of(" \t") + 1);
    if (text.empty()) Error("expect call needs the call text");
    // The operation is the last word before the arguments: "SetCW(...)",
    // "heli SetCW(...)", "3 heli SetCW(...)", "debug \"text\"", "SetCW".
    std::string head = text.substr(0, text.find_first_of("(\""));
    head.erase(head.find_last_not_of(" \t") + 1);
    const std::size_t start = head.find_last_of(" \t") + 1;
    c.operation = head.substr(start);
    CheckOperation(c.operation);
    c.text = text;
    c.call = text.substr(start);
    c.pattern = CallPattern(text);
    return c;
  }
  if (Arg(1) == "no-call") {
    Count(2, 2);
    CheckOperation(Arg(2));
    return ExpectNoCallCommand{Arg(2)};
  }
  NeedFocus();
  return ExpectCommand{ParseCondition(1, Count())};
}

// mark "TEXT" when CONDITION [after key KEY]
Command Parser::Mark() {
  const std::size_t n = Count();
  if (n < 5 || !Quoted(1) || Arg(2) != "when")
    Error("mark needs \"TEXT\" when QUANTITY OP VALUE [after key KEY]");
  NeedFocus();
  MarkCommand mark{Arg(1), {}, std::nullopt};
  std::size_t end = n;
  if (n >= 8 && Arg(n - 2) == "after" && Arg(n - 1) == "key") {
    mark.after_key = ParseKey(Arg(n));
    if (!mark.after_key) Error("unknown key \"" + Arg(n) + "\"");
    end = n - 3;
  }
  mark.condition = ParseCondition(3, end);
  return mark;
}

// plot anim N "LABEL" | plot limit altitude|airspeed VALUE "LABEL"
// name anim N NAME | name sound N NAME
Command Parser::Name() {
  Count(3, 3);
  const bool sound = OneOf(1, {"anim", "sound"}) == "sound";
  const double index = Integer(2);
  if (index < 0 || index > kMaxNamedIndex) Error("expected an index, got \"" + Arg(2) + "\"");
  const std::string& name = Arg(3);
  if (!IsVesselName(name) || std::isdigit(static_cast<unsigned char>(name.front())) != 0)
    Error("bad name \"" + Shown(name) +
          "\": a name is letters, digits, '_', '.' and '-', and starts with a letter or '_'");
  std::map<std::string, int>& names = sound ? sound_names_ : anim_names_;
  const auto known = names.find(name);
  if (known != names.end() && known->second != static_cast<int>(index))
    Error("\"" + name + "\" already names " + Arg(1) + " " + std::to_string(known->second));
  names[name] = static_cast<int>(index);
  return NameCommand{sound, static_cast<int>(index), name};
}

Command Parser::Plot() {
  const std::size_t n = Count();
  if (n == 3 && Arg(1) == "anim") {
    int index = 0;
    if (!ParseIndex(Numbered("anim." + Arg(2)).substr(std::strlen("anim.")), index))
      Error("expected an animation index or name, got \"" + Arg(2) + "\"");
    return PlotAnimCommand{static_cast<UINT>(index), Arg(3)};
  }
  if (n == 4 && Arg(1) == "limit") {
    const bool altitude = OneOf(2, {"altitude", "airspeed"}) == "altitude";
    return PlotLimitCommand{altitude ? PlotQuantity::kAltitude : PlotQuantity::kAirspeed, Number(3),
                            Arg(4)};
  }
  Error("plot takes: anim N \"LABEL\" or limit altitude|airspeed VALUE \"LABEL\"");
}

}  // namespace vsim

namespace vsim {

// let NAME = EXPRESSION
Command Parser::Let() {
  if (Count() < 3 || Arg(2) != "=") Error("let needs NAME = EXPRESSION");
  const std::string& name = Arg(1);
  if (name.empty() || std::isdigit(static_cast<unsigned char>(name.front())) != 0 ||
      !std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
      }))
    Error("bad name \"" + Shown(name) +
          "\": a variable's name is letters, digits and '_', and "
          "starts with a letter or '_'");
  Expression value = ParseExpression(3, Count());
  const auto known = variables_.find(name);
  const std::size_t slot = known != variables_.end() ? known->second.slot : variables_.size();
  variables_[name] = Variable{slot, value.dimension};
  return LetCommand{name, slot, std::move(value)};
}

// repeat N ... end
Command Parser::Repeat() {
  // Open even when its count is bad, so that its "end" is not reported too.
  repeats_.push_back({line_, 0, next_index_});
  Count(1, 1);
  const double count = Integer(1);
  if (count < 0) Error("expected a count from 0, got \"" + Arg(1) + "\"");
  repeats_.back().count = static_cast<long long>(count);
  return RepeatCommand{static_cast<long long>(count), next_index_};
}

Command Parser::End() {
  Count(0, 0);
  if (repeats_.size() <= repeat_floor_) Error("end without repeat");
  const std::size_t repeat = repeats_.back().index;
  repeats_.pop_back();
  return EndCommand{repeat};
}

}  // namespace vsim
