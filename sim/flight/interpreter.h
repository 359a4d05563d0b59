// The interpreter of one flight: carries out each command on the host.
#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/core/host.h"
#include "sim/flight/autopilot.h"
#include "sim/flight/evaluation.h"
#include "sim/flight/expectations.h"
#include "sim/flight/narration.h"
#include "sim/flight/runner.h"
#include "sim/physics/rigid_body.h"

namespace vsim {

// A command that cannot be carried out: the run ends.
class RunError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

class Interpreter {
public:
  Interpreter(Host& host, const Script& script, const FlightOptions& options,
              std::vector<RunObserver*> observers, FlightResult& result);

  // Carries out the script's command at index; returns the index of the
  // next one to carry out.
  std::size_t Execute(std::size_t index);
  const CheckTally& tally() const { return tally_; }

  void operator()(const ModuleCommand& c) { module_path_ = c.path; }
  void operator()(const NameCommand&) {}
  void operator()(const SoundCommand& c) { sound_ = c.on; }
  void operator()(const PhysicsCommand& c) { physics_on_ = c.on; }
  void operator()(const DtCommand& c) { host_.SetBaseStep(c.seconds); }
  void operator()(const VesselCommand& c);
  void operator()(const FocusCommand& c) { host_.SetFocus(c.name); }
  void operator()(const DestroyCommand& c);
  void operator()(const CockpitCommand&) { host_.LoadCockpit(Focus().name); }
  void operator()(const CameraCommand& c) { host_.SetCameraInternal(c.internal); }
  void operator()(const TimeAccCommand& c) { host_.SetTimeAcceleration(c.factor); }
  void operator()(const ThrottleCommand& c);
  void operator()(const ThrustCommand& c);
  void operator()(const AutopilotCommand& c);
  void operator()(const WindCommand& c);
  void operator()(const CrashCommand& c) { crash_allowed_ = c.allowed; }
  void operator()(const RudderCommand& c) { Focus().controls.rudder = c.level; }
  void operator()(const KeyCommand& c);
  void operator()(const ClickCommand& c);
  void operator()(const HoldCommand& c);
  void operator()(const SetCommand& c);
  void operator()(const StepCommand& c);
  void operator()(const RunCommand& c);
  void operator()(const UntilCommand& c);
  void operator()(const ExpectCallCommand& c);
  void operator()(const ExpectNoCallCommand& c);
  void operator()(const ExpectCommand& c);
  void operator()(const MarkCommand& c) { narrator_.AddMark(c); }
  // The plot takes its series from the script before the run.
  void operator()(const PlotAnimCommand&) {}
  void operator()(const PlotLimitCommand&) {}
  void operator()(const LetCommand& c);
  void operator()(const RepeatCommand& c);
  void operator()(const EndCommand& c);

private:
  void EnsureModule();
  VesselRecord& Focus();
  // Calls checked by "expect call" are those since the previous time command.
  void TimeCommand();
  void StepOnce();
  void EndOnFault() const;
  void AfterPhysics();
  std::string SimilarCalls(const ExpectCallCommand& c) const;
  void Tell(const std::string& text);
  const std::string& Where() const { return where_; }

  Host& host_;
  const Script& script_;
  const FlightOptions& options_;
  std::vector<RunObserver*> observers_;
  FlightResult& result_;
  std::unique_ptr<RigidBodyPhysics> physics_;
  Autopilots autopilots_{PhysicsConstants{}.gravity};
  Narrator narrator_;
  CheckTally tally_;
  std::string where_;  // "file:line" of the command running
  std::string module_path_;
  bool sound_ = false;
  bool physics_on_ = true;
  bool crash_allowed_ = false;
  std::optional<WindCommand> wind_;
  Variables variables_;
  // The repeats running, innermost last: the runs each has left.
  std::vector<long long> repeats_left_;
  std::size_t next_ = 0;
};

}  // namespace vsim
