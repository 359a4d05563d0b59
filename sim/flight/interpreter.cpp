#include "sim/flight/interpreter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

namespace vsim {

namespace {

// Bounds every time command, so that no script can run for ever.
constexpr long long kMaxStepsPerCommand = 10'000'000;
// Simulated times closer than this count as reached.
constexpr double kTimeSlack_s = 1e-9;
constexpr char kKeyDown = static_cast<char>(0x80);
constexpr std::size_t kSimilarCallsShown = 5;
// The call a module's library makes from its attach, as the host expects.
constexpr std::string_view kAttachCall = "InitLib";

std::string Fixed(double x, int digits) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", digits, x);
  if (std::string(text).find_first_not_of("-0.") == std::string::npos && text[0] == '-')
    return text + 1;  // no -0.0
  return text;
}

// "touchdown 2.4 m/s: ground speed 0.0 m/s, bank 0.0 deg, pitch 0.0 deg"
std::string DescribeTouchdown(const TouchdownReport& t, bool name) {
  const Landing& l = t.landing;
  std::string text = l.crash ? "crash" : t.hard ? "hard landing" : "touchdown";
  if (name) text += " of " + t.vessel;
  return text + " " + Fixed(-l.vspeed, 1) + " m/s: ground speed " + Fixed(l.speed, 1) +
         " m/s, bank " + Fixed(l.bank / RAD, 1) + " deg, pitch " + Fixed(l.pitch / RAD, 1) + " deg";
}

}  // namespace

Interpreter::Interpreter(Host& host, const Script& script, const FlightOptions& options,
                         std::vector<RunObserver*> observers, FlightResult& result)
    : host_(host),
      script_(script),
      options_(options),
      observers_(std::move(observers)),
      result_(result),
      narrator_([this](const std::string& text) { Tell(text); }) {}

std::size_t Interpreter::Execute(std::size_t index) {
  const ScriptLine& line = script_.commands[index];
  where_ = script_.Where(line);
  next_ = index + 1;
  std::visit(*this, line.command);
  EndOnFault();
  return next_;
}

void Interpreter::operator()(const LetCommand& c) {
  const double value = Evaluation{host_, variables_}.Number(c.value);
  if (variables_.size() <= c.slot) variables_.resize(c.slot + 1);
  variables_[c.slot] = value;
}

void Interpreter::operator()(const RepeatCommand& c) {
  if (c.count == 0) {
    next_ = c.end + 1;
    return;
  }
  repeats_left_.push_back(c.count);
}

void Interpreter::operator()(const EndCommand& c) {
  if (--repeats_left_.back() > 0) {
    next_ = c.repeat + 1;
    return;
  }
  repeats_left_.pop_back();
}

void Interpreter::EndOnFault() const {
  if (host_.Faulted()) throw RunError(host_.Faults().front().Line());
}

void Interpreter::Tell(const std::string& text) {
  FlightEvent event{host_.StepCount(), host_.SimTime(), text};
  for (RunObserver* o : observers_) o->EventHappened(event);
  result_.events.push_back(std::move(event));
}

void Interpreter::EnsureModule() {
  if (host_.ModuleLoaded()) return;
  if (sound_) host_.LoadSoundLibrary(options_.sound_path);
  if (!options_.module_override.empty())
    host_.LoadModule(options_.module_override);
  else
    host_.LoadModule(module_path_.empty() ? options_.module_path : module_path_);
  // A library's attach is expected to announce itself; anything else a
  // module does before any vessel exists changes the world unseen.
  for (const CallEntry& e : host_.LoadCalls())
    if (e.Name() != kAttachCall)
      Tell("while its library loaded, the module called " + e.call +
           (e.result.empty() ? "" : " -> " + e.result));
  if (physics_on_) {
    physics_ = std::make_unique<RigidBodyPhysics>();
    if (wind_) {
      physics_->SetWind(wind_->speed, wind_->from_heading);
      physics_->SetGusts(wind_->gusts, wind_->seed);
    }
    host_.SetIntegrator(physics_.get());
    narrator_.JudgedTouchdowns();
  }
}

VesselRecord& Interpreter::Focus() {
  VesselRecord* focus = host_.Focus();
  if (focus == nullptr) throw RunError("no vessel to act on");
  return *focus;
}

void Interpreter::operator()(const VesselCommand& c) {
  EnsureModule();
  const VesselRecord& vessel = host_.CreateVessel(c.name, c.flight_model);
  for (RunObserver* o : observers_) o->VesselCreated(host_, vessel);
}

void Interpreter::operator()(const ThrottleCommand& c) {
  VesselRecord& v = Focus();
  const ThrusterGroup* group = v.Group(c.group);
  if (group == nullptr) throw RunError(v.name + " has no " + c.group_name + " thrusters");
  for (std::uint32_t t : group->members) v.declared.thrusters[t].level = c.level;
  autopilots_.Commanded(v, c.group);
}

void Interpreter::operator()(const ThrustCommand& c) {
  VesselRecord& v = Focus();
  const ThrusterGroup* group = v.Group(c.group);
  if (group == nullptr) throw RunError(v.name + " has no " + c.group_name + " thrusters");
  for (std::uint32_t t : group->members) v.declared.thrusters[t].level = c.level;
  autopilots_.Commanded(v, c.group);
}

void Interpreter::operator()(const AutopilotCommand& c) {
  try {
    autopilots_.Engage(Focus(), c);
  } catch (const HoldError& e) {
    throw RunError(e.what());
  }
}

void Interpreter::operator()(const WindCommand& c) {
  wind_ = c;
  if (physics_) {
    physics_->SetWind(c.speed, c.from_heading);
    physics_->SetGusts(c.gusts, c.seed);
  }
}

void Interpreter::operator()(const DestroyCommand& c) {
  if (const VesselRecord* v = host_.FindVessel(c.name)) autopilots_.Forget(*v);
  host_.DestroyVessel(c.name);
}

void Interpreter::operator()(const KeyCommand& c) {
  char kstate[OAPI_KEYSTATE_SIZE] = {};
  for (unsigned m : c.modifiers) kstate[m] = kKeyDown;
  kstate[c.key] = c.release ? 0 : kKeyDown;
  host_.DeliverKey(Focus().name, c.key, !c.release, kstate);
  if (!c.release) narrator_.KeyPressed(host_, c.key);
}

void Interpreter::operator()(const ClickCommand& c) {
  host_.DeliverCockpitEvent(Focus().name, c.area, PANEL_MOUSE_LBDOWN);
}

void Interpreter::operator()(const HoldCommand& c) {
  for (int i = 0; i < c.events && !host_.Faulted(); ++i)
    host_.DeliverCockpitEvent(Focus().name, c.area, PANEL_MOUSE_LBPRESSED);
}

void Interpreter::operator()(const SetCommand& c) {
  if (c.expression) {
    const double value = Evaluation{host_, variables_}.Number(*c.expression);
    if (std::abs(value) > c.quantity.def->set_limit)
      throw RunError("set " + c.quantity.name + " " + FormatNumber(value) +
                     " is out of range: its size is at most " +
                     FormatNumber(c.quantity.def->set_limit));
    c.quantity.def->set(QuantityContext{host_, Focus(), physics_.get()}, &value);
    return;
  }
  c.quantity.def->set(QuantityContext{host_, Focus(), physics_.get()}, c.values.data());
}

void Interpreter::operator()(const StepCommand& c) {
  TimeCommand();
  for (long long i = 0; i < c.count; ++i) StepOnce();
}

void Interpreter::operator()(const RunCommand& c) {
  TimeCommand();
  const double end = host_.SimTime() + c.seconds;
  long long steps = 0;
  while (host_.SimTime() < end - kTimeSlack_s) {
    if (++steps > kMaxStepsPerCommand)
      throw RunError("run " + FormatNumber(c.seconds) + " needs more than " +
                     std::to_string(kMaxStepsPerCommand) + " steps");
    StepOnce();
  }
}

void Interpreter::operator()(const UntilCommand& c) {
  TimeCommand();
  const double end = host_.SimTime() + c.within;
  long long steps = 0;
  const Evaluation evaluation{host_, variables_};
  while (!evaluation.Holds(c.condition)) {
    if (host_.SimTime() >= end - kTimeSlack_s || ++steps > kMaxStepsPerCommand)
      throw RunError("condition " + c.condition.source + " not met within " +
                     FormatNumber(c.within) + " s (got " + evaluation.Describe(c.condition) + ")");
    StepOnce();
  }
}

void Interpreter::operator()(const ExpectCallCommand& c) {
  const Journal& journal = host_.journal();
  if (c.count_op) {
    const long long count = journal.Count(c.pattern);
    const bool ok = Holds(*c.count_op, static_cast<double>(count), static_cast<double>(c.count));
    return tally_.Check(
        Where(), ok, "calls " + c.text + " " + OpText(*c.count_op) + " " + std::to_string(c.count),
        std::to_string(count) + (ok || count > 0 ? "" : SimilarCalls(c)));
  }
  if (journal.FirstMatch(c.pattern) != nullptr) return tally_.Check(Where(), true, "", "");
  tally_.Check(Where(), false, "call " + c.text, "no such call" + SimilarCalls(c));
}

// The window's calls of the operation an expectation named, those most
// like the expected text first, so that the difference shows.
std::string Interpreter::SimilarCalls(const ExpectCallCommand& c) const {
  std::vector<std::pair<std::size_t, const CallEntry*>> similar;
  for (const CallEntry& e : host_.journal().Entries()) {
    if (e.from_host || e.Name() != c.operation) continue;
    const auto differ = std::mismatch(e.call.begin(), e.call.end(), c.call.begin(), c.call.end());
    similar.push_back({static_cast<std::size_t>(differ.first - e.call.begin()), &e});
  }
  if (similar.empty()) return "; the window has no call of " + c.operation;
  std::stable_sort(similar.begin(), similar.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  std::string shown = "; the window's calls of " + c.operation + ":";
  for (std::size_t i = 0; i < similar.size() && i < kSimilarCallsShown; ++i)
    shown += "\n    " + similar[i].second->Line();
  const std::size_t more = similar.size() - std::min(similar.size(), kSimilarCallsShown);
  if (more > 0) shown += "\n    ... and " + std::to_string(more) + " more";
  if (host_.journal().Dropped() > 0)
    shown += "\n    (the window held " + std::to_string(host_.journal().Dropped()) +
             " calls more than the journal keeps; the nearest are of those kept)";
  return shown;
}

void Interpreter::operator()(const ExpectNoCallCommand& c) {
  if (const CallEntry* e = host_.journal().FirstOf(c.name))
    return tally_.Check(Where(), false, "no call of " + c.name, e->Line());
  tally_.Check(Where(), true, "", "");
}

void Interpreter::operator()(const ExpectCommand& c) {
  const Evaluation evaluation{host_, variables_};
  const bool ok = evaluation.Holds(c.condition);
  tally_.Check(Where(), ok, c.condition.source, ok ? "" : evaluation.Describe(c.condition));
}

// What the physics told of the step: refused states, notices, touchdowns
// judged; a crash ends the run unless the script allows it.
void Interpreter::AfterPhysics() {
  for (const std::string& vessel : physics_->TakeRejected())
    Tell("physics: a step gave vessel " + vessel +
         " a state that is not finite; its last good state is kept");
  for (const std::string& notice : physics_->TakeNotices()) Tell("physics: " + notice);
  for (const TouchdownReport& t : physics_->TakeTouchdowns()) {
    const VesselRecord* focus = host_.Focus();
    const bool several = focus == nullptr || focus->name != t.vessel;
    Tell(DescribeTouchdown(t, several));
    if (t.landing.crash && !crash_allowed_)
      throw RunError("crashed: " + (several ? "vessel " + t.vessel + ", " : std::string()) +
                     "vertical speed " + Fixed(-t.landing.vspeed, 1) + " m/s, bank " +
                     Fixed(t.landing.bank / RAD, 1) + " deg at step " +
                     std::to_string(host_.StepCount()));
  }
}

void Interpreter::TimeCommand() {
  if (host_.journal().keep) host_.journal().Clear();
}

void Interpreter::StepOnce() {
  const long long bound = std::min(options_.max_steps, kMaxTotalSteps);
  if (host_.StepCount() >= bound)
    throw RunError("the run reached its bound of " + std::to_string(bound) + " steps");
  narrator_.BeforeStep(host_);
  autopilots_.Apply(host_, host_.BaseStep() * host_.TimeAcceleration());
  host_.Step();
  EndOnFault();
  if (host_.journal().OutOfMemory())
    throw RunError("the host ran out of memory keeping its call journal (" +
                   std::to_string(host_.journal().Entries().size()) +
                   " calls kept in this window): not the module's fault");
  if (physics_) AfterPhysics();
  narrator_.AfterStep(host_, variables_);
  for (RunObserver* o : observers_) o->StepDone(host_);
}

}  // namespace vsim
