#include "sim/flight.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>

#include "sim/flight_log.h"
#include "sim/physics.h"
#include "sim/plot.h"

namespace vsim {

namespace {

Thruster* ThrusterOf(VesselRecord& v, const Quantity& q) {
  const std::string& head = q.path[0];
  if (head == "main") return v.GroupMember(THGROUP_MAIN);
  if (head == "hover") return v.GroupMember(THGROUP_HOVER);
  if (q.index < 1 || static_cast<std::size_t>(q.index) > v.thrusters.size()) return nullptr;
  return &v.thrusters[static_cast<std::size_t>(q.index - 1)];
}

double Component(const VECTOR3& v, const std::string& axis) {
  return axis == "x" ? v.x : axis == "y" ? v.y : v.z;
}

Value Num(double x) { return Value{false, x, {}}; }
Value Text(std::string s) { return Value{true, 0, std::move(s)}; }

}  // namespace

Value Evaluate(Host& host, const Quantity& q) {
  VesselRecord* vessel = q.vessel.empty() ? host.Focus() : host.FindVessel(q.vessel);
  if (vessel == nullptr) throw HostError("no vessel for \"" + q.name + "\"");
  VesselRecord& v = *vessel;
  const auto& p = q.path;
  const std::string& head = p[0];
  const Readings& r = v.readings;
  if (head == "altitude") return Num(r.altitude);
  if (head == "airspeed") return Num(r.airspeed);
  if (head == "ground") return Num(r.ground_contact ? 1 : 0);
  if (head == "heading") return Num(r.heading);
  if (head == "aoa") return Num(r.aoa);
  if (head == "bank") return Num(r.bank);
  if (head == "vx") return Num(r.airspeed_vector.x);
  if (head == "vy") return Num(r.airspeed_vector.y);
  if (head == "vz") return Num(r.airspeed_vector.z);
  if (head == "fuel") return Num(v.FuelMass());
  if (head == "timeacc") return Num(host.TimeAcceleration());
  if (head == "debug") return Text(host.DebugLine());
  if (head == "anim") {
    if (static_cast<std::size_t>(q.index) >= v.animations.size())
      throw HostError(v.name + " has no animation " + std::to_string(q.index));
    return Num(v.animations[static_cast<std::size_t>(q.index)].state);
  }
  if (head == "main" || head == "hover" || head == "thruster") {
    Thruster* t = ThrusterOf(v, q);
    if (t == nullptr) throw HostError(v.name + " has no thruster for \"" + q.name + "\"");
    const std::size_t field = head == "thruster" ? 2 : 1;
    if (p[field] == "max") return Num(t->max0);
    if (p[field] == "level") return Num(t->level);
    return Num(Component(t->dir, p[field + 1]));
  }
  if (head == "cw") {
    const char* names[] = {"forward", "backward", "lateral", "vertical"};
    for (int i = 0; i < 4; ++i)
      if (p[1] == names[i]) return Num(v.cw[i]);
  }
  if (head == "touchdown") return Num(Component(v.touchdown[q.index - 1], p[2]));
  if (head == "friction") {
    const auto& mu = p[1] == "lng" ? v.friction_lng : v.friction_lat;
    if (!mu) throw HostError(v.name + " has set no friction coefficients");
    return Num(*mu);
  }
  if (head == "beacon") {
    if (static_cast<std::size_t>(q.index) > v.beacons.size())
      throw HostError(v.name + " has no beacon " + std::to_string(q.index));
    return Num(v.beacons[static_cast<std::size_t>(q.index - 1)]->active ? 1 : 0);
  }
  if (head == "sound") {
    auto slot = v.sound_slots.find(q.index);
    if (p.size() == 2) return Text(slot == v.sound_slots.end() ? "none" : slot->second.last);
    if (slot == v.sound_slots.end()) return Num(0);
    if (p[2] == "frequency") return Num(slot->second.frequency);
    if (p[2] == "volume") return Num(slot->second.volume);
    return Num(slot->second.loop);
  }
  throw HostError("unknown quantity \"" + q.name + "\"");
}

bool Holds(const Condition& c, const Value& actual) {
  if (c.value.is_text || actual.is_text) {
    const bool equal = actual.text == c.value.text;
    return c.op == Op::Eq ? equal : !equal;
  }
  const double a = actual.number, b = c.value.number;
  switch (c.op) {
    case Op::Eq: return std::abs(a - b) <= c.tolerance;
    case Op::Ne: return std::abs(a - b) > c.tolerance;
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

namespace {

// Bounds every time command, so that no script can run for ever.
constexpr long long kMaxStepsPerCommand = 10'000'000;

struct Mark {
  std::string text;
  Condition condition;
  unsigned after_key = 0;
  std::string key_name;
  bool fired = false;
};

class FlightRun {
public:
  FlightRun(const Script& script, const FlightOptions& options)
      : script_(script), options_(options) {}

  FlightResult Run() {
    const bool keep = script_.NeedsJournal();
    host_.journal().enabled = keep || !options_.trace_path.empty();
    host_.journal().keep = keep;
    try {
      OpenOutputs();
      for (const Command& c : script_.commands) {
        current_ = &c;
        Execute(c);
      }
      Finish();
    } catch (const HostError& e) {
      result_.error = (current_ != nullptr ? current_->Where() + ": " : "") + e.what();
      Abandon();
    }
    if (progress_shown_) std::fputc('\n', stderr);
    result_.steps = host_.StepCount();
    result_.sim_time = host_.SimTime();
    if (VesselRecord* focus = host_.Focus()) result_.final_fuel = focus->FuelMass();
    return result_;
  }

private:
  void OpenOutputs() {
    if (!options_.trace_path.empty()) {
      trace_ = TempFile(options_.trace_path);
      host_.journal().sink = trace_.get();
    }
    if (!options_.out_dir.empty())
      log_ = std::make_unique<FlightLog>(options_.out_dir, options_.log_every);
  }

  struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  using File = std::unique_ptr<std::FILE, FileCloser>;

  File TempFile(const std::string& path) {
    File f(std::fopen((path + ".partial").c_str(), "wb"));
    if (!f) throw HostError("cannot write " + path);
    return f;
  }

  void Finish() {
    // The vessels end and the module unloads inside the trace.
    if (VesselRecord* focus = host_.Focus()) result_.final_fuel = focus->FuelMass();
    host_.UnloadModule();
    if (trace_) {
      host_.journal().sink = nullptr;
      trace_.reset();
      if (std::rename((options_.trace_path + ".partial").c_str(), options_.trace_path.c_str()) != 0)
        throw HostError("cannot write " + options_.trace_path);
    }
    if (log_) {
      log_->Close();
      WritePlot(options_.out_dir + "/flight.svg", plot_, script_.file);
    }
  }

  void Abandon() {
    host_.journal().sink = nullptr;
    if (trace_) {
      trace_.reset();
      std::remove((options_.trace_path + ".partial").c_str());
    }
    if (log_) log_->Discard();
  }

  void EnsureModule() {
    if (host_.ModuleLoaded()) return;
    if (sound_) host_.LoadSoundLibrary(options_.sound_path);
    host_.LoadModule(module_path_.empty() ? options_.module_path : module_path_);
    if (physics_on_) {
      auto physics = std::make_unique<SimplePhysics>();
      physics_ = physics.get();
      host_.SetPhysics(std::move(physics));
    }
  }

  VesselRecord& Focus() {
    VesselRecord* focus = host_.Focus();
    if (focus == nullptr) throw HostError("no vessel to act on");
    return *focus;
  }

  void Execute(const Command& c) {
    switch (c.verb) {
      case Verb::Module: module_path_ = c.words[0]; break;
      case Verb::Sound: sound_ = c.words[0] == "on"; break;
      case Verb::Physics: physics_on_ = c.words[0] == "on"; break;
      case Verb::Dt: host_.SetBaseStep(c.numbers[0]); break;
      case Verb::Vessel: {
        EnsureModule();
        host_.CreateVessel(c.words[0], c.words[1] == "easy" ? 0 : 1);
        if (log_) log_->Columns(host_);
        break;
      }
      case Verb::Focus: host_.SetFocus(c.words[0]); break;
      case Verb::Destroy: host_.DestroyVessel(c.words[0]); break;
      case Verb::Cockpit: host_.LoadCockpit(Focus().name); break;
      case Verb::Camera: host_.SetCameraInternal(c.words[0] == "internal"); break;
      case Verb::Throttle: {
        const ThrusterGroup* group =
            Focus().Group(c.words[0] == "main" ? THGROUP_MAIN : THGROUP_HOVER);
        if (group == nullptr)
          throw HostError(Focus().name + " has no " + c.words[0] + " thrusters");
        for (Thruster* t : group->members) t->level = c.numbers[0];
        break;
      }
      case Verb::Rudder: Focus().rudder = c.numbers[0]; break;
      case Verb::TimeAcc: host_.SetTimeAcceleration(c.numbers[0]); break;
      case Verb::Key: {
        char kstate[OAPI_KEYSTATE_SIZE] = {};
        for (unsigned m : c.modifiers) kstate[m] = static_cast<char>(0x80);
        kstate[c.key] = c.release ? 0 : static_cast<char>(0x80);
        host_.DeliverKey(Focus().name, c.key, !c.release, kstate);
        if (!c.release) {
          last_key_step_[c.key] = host_.StepCount();
          AddEvent("key " + KeyName(c) + " pressed");
        }
        break;
      }
      case Verb::Click:
        host_.DeliverCockpitEvent(Focus().name, static_cast<int>(c.numbers[0]), PANEL_MOUSE_LBDOWN);
        break;
      case Verb::Hold:
        for (int i = 0; i < static_cast<int>(c.numbers[1]); ++i)
          host_.DeliverCockpitEvent(Focus().name, static_cast<int>(c.numbers[0]),
                                    PANEL_MOUSE_LBPRESSED);
        break;
      case Verb::Set: Set(c); break;
      case Verb::Step:
        TimeCommand();
        for (int i = 0; i < static_cast<int>(c.numbers[0]); ++i) StepOnce();
        break;
      case Verb::Run: {
        TimeCommand();
        const double end = host_.SimTime() + c.numbers[0];
        long long steps = 0;
        while (host_.SimTime() < end - 1e-9) {
          if (++steps > kMaxStepsPerCommand)
            throw HostError("run " + FormatNumber(c.numbers[0]) + " needs more than " +
                            std::to_string(kMaxStepsPerCommand) + " steps");
          StepOnce();
        }
        break;
      }
      case Verb::Until: Until(c); break;
      case Verb::ExpectCall: ExpectCall(c); break;
      case Verb::ExpectNoCall: ExpectNoCall(c); break;
      case Verb::Expect: {
        const Value actual = Evaluate(host_, c.condition.quantity);
        Check(c, Holds(c.condition, actual), c.condition.source, Describe(actual));
        break;
      }
      case Verb::Mark: {
        Mark mark{c.words[0], c.condition, c.key, c.words.size() > 1 ? c.words[1] : "", false};
        marks_.push_back(mark);
        break;
      }
      case Verb::Plot:
        if (c.words[0] == "anim")
          plot_.animations.push_back({static_cast<UINT>(c.numbers[0]), c.words[1]});
        else
          plot_.limits.push_back({c.words[1], c.numbers[0], c.words[2]});
        break;
    }
  }

  static std::string KeyName(const Command& c) {
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
      unsigned code = 0;
      if (ParseKey(std::string(1, letter), code) && code == c.key) return std::string(1, letter);
    }
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", c.key);
    return hex;
  }

  void Set(const Command& c) {
    VesselRecord& v = Focus();
    const std::string& what = c.words[0];
    const double x = c.numbers[0];
    if (what == "fuel") {
      if (v.propellants.empty()) throw HostError(v.name + " has no propellant");
      v.propellants.front().mass = x;
      return;
    }
    if (physics_ != nullptr) {
      if (what == "altitude") physics_->PlaceAt(v, x);
      if (what == "airspeed") physics_->SetForwardSpeed(v, x);
      if (what == "heading") physics_->SetHeading(v, x);
      return;
    }
    Readings& r = v.readings;
    if (what == "altitude") r.altitude = x;
    if (what == "airspeed") r.airspeed = x;
    if (what == "ground") r.ground_contact = x != 0;
    if (what == "aoa") r.aoa = x;
    if (what == "bank") r.bank = x;
    if (what == "heading") r.heading = x;
    if (what == "focus-airspeed") r.airspeed_vector = {c.numbers[0], c.numbers[1], c.numbers[2]};
  }

  // Calls checked by "expect call" are those since the previous time command.
  void TimeCommand() {
    if (host_.journal().keep) host_.journal().Clear();
  }

  void Until(const Command& c) {
    TimeCommand();
    const double end = host_.SimTime() + c.numbers[0];
    long long steps = 0;
    while (!Holds(c.condition, Evaluate(host_, c.condition.quantity))) {
      if (host_.SimTime() >= end - 1e-9 || ++steps > kMaxStepsPerCommand) {
        throw HostError("condition " + c.condition.source + " not met within " +
                        FormatNumber(c.numbers[0]) + " s (got " +
                        Describe(Evaluate(host_, c.condition.quantity)) + ")");
      }
      StepOnce();
    }
  }

  void ExpectCall(const Command& c) {
    const std::string& text = c.words[0];
    for (const CallEntry& e : host_.journal().Entries())
      if (e.call == text || e.vessel + " " + e.call == text || e.Line() == text) {
        Check(c, true, "", "");
        return;
      }
    Check(c, false, "call " + text, "no such call");
  }

  void ExpectNoCall(const Command& c) {
    for (const CallEntry& e : host_.journal().Entries())
      if (e.Name() == c.words[0]) {
        Check(c, false, "no call of " + c.words[0], e.Line());
        return;
      }
    Check(c, true, "", "");
  }

  void Check(const Command& c, bool ok, const std::string& expected, const std::string& got) {
    if (ok) {
      ++result_.passed;
      return;
    }
    ++result_.failed;
    result_.failures.push_back(c.Where() + ": expected " + expected + ", got " + got);
  }

  void AddEvent(const std::string& text) {
    result_.events.push_back({host_.StepCount(), host_.SimTime(), text});
  }

  void StepOnce() {
    VesselRecord* focus = host_.Focus();
    const bool was_on_ground = focus != nullptr && focus->readings.ground_contact;
    host_.Step();
    focus = host_.Focus();
    if (focus != nullptr && host_.StepCount() > 0) {
      const bool on_ground = focus->readings.ground_contact;
      if (was_on_ground && !on_ground) AddEvent("lift-off");
      if (!was_on_ground && on_ground) AddEvent("touchdown");
    }
    for (Mark& m : marks_) {
      if (m.fired) continue;
      // A mark tied to a key waits for that key's first press.
      const auto key = last_key_step_.find(m.after_key);
      const bool keyed = !m.key_name.empty();
      if (keyed && key == last_key_step_.end()) continue;
      if (!Holds(m.condition, Evaluate(host_, m.condition.quantity))) continue;
      m.fired = true;
      std::string text = m.text;
      if (keyed)
        text += ", " + std::to_string(host_.StepCount() - key->second) + " steps after key " +
                m.key_name;
      AddEvent(text);
    }
    if (log_) log_->Row(host_);
    if (focus != nullptr && log_) plot_.Sample(host_, *focus);
    if (options_.progress && (host_.StepCount() & 255) == 0) ShowProgress();
  }

  void ShowProgress() {
    const auto now = std::chrono::steady_clock::now();
    if (now - last_progress_ < std::chrono::milliseconds(100)) return;
    last_progress_ = now;
    const VesselRecord* focus = host_.Focus();
    std::fprintf(stderr, "\r%s: step %d  t=%.1f s", script_.file.c_str(), host_.StepCount(),
                 host_.SimTime());
    if (focus != nullptr)
      std::fprintf(stderr, "  altitude %.0f m  airspeed %.1f m/s   ", focus->readings.altitude,
                   focus->readings.airspeed);
    std::fflush(stderr);
    progress_shown_ = true;
  }

  const Script& script_;
  const FlightOptions& options_;
  Host host_;
  SimplePhysics* physics_ = nullptr;
  FlightResult result_;
  const Command* current_ = nullptr;
  std::string module_path_;
  bool sound_ = false;
  bool physics_on_ = true;
  std::vector<Mark> marks_;
  std::map<unsigned, int> last_key_step_;
  std::unique_ptr<FlightLog> log_;
  File trace_;
  PlotData plot_;
  std::chrono::steady_clock::time_point last_progress_{};
  bool progress_shown_ = false;
};

}  // namespace

FlightResult RunFlight(const Script& script, const FlightOptions& options) {
  FlightRun run(script, options);
  return run.Run();
}

}  // namespace vsim
