// Fault injection: answers that stand in front of another set of answers
// and change some of them, as a failing or hostile host would.
#pragma once

#include <array>
#include <optional>

#include "sim/core/answers.h"

namespace vsim {

// Forwards every answer to the answers it wraps.
class AnswersWrapper : public Answers {
public:
  explicit AnswersWrapper(Answers& target) : target_(target) {}
  double Altitude(const VesselRecord& v) override { return target_.Altitude(v); }
  double Airspeed(const VesselRecord& v) override { return target_.Airspeed(v); }
  double AOA(const VesselRecord& v) override { return target_.AOA(v); }
  double Bank(const VesselRecord& v) override { return target_.Bank(v); }
  bool GroundContact(const VesselRecord& v) override { return target_.GroundContact(v); }
  double ControlSurfaceLevel(const VesselRecord& v, AIRCTRL_TYPE type) override {
    return target_.ControlSurfaceLevel(v, type);
  }
  double ThrusterLevel(const VesselRecord& v, const Thruster& t) override {
    return target_.ThrusterLevel(v, t);
  }
  double FuelMass(const VesselRecord& v) override { return target_.FuelMass(v); }
  double TimeAcceleration(const Host& host) override { return target_.TimeAcceleration(host); }
  bool FocusAirspeedVector(const Host& host, VECTOR3& speed) override {
    return target_.FocusAirspeedVector(host, speed);
  }
  bool FocusHeading(const Host& host, double& heading) override {
    return target_.FocusHeading(host, heading);
  }
  bool CameraInternal(const Host& host) override { return target_.CameraInternal(host); }
  void* Issue(void* handle) override { return target_.Issue(handle); }
  void RequestTimeAcceleration(Host& host, double factor) override {
    target_.RequestTimeAcceleration(host, factor);
  }
  void StepStarting(Host& host) override { target_.StepStarting(host); }

private:
  Answers& target_;
};

// The numeric queries a fault can replace.
enum class Query {
  kAltitude,
  kAirspeed,
  kAOA,
  kBank,
  kRudder,
  kThrusterLevel,
  kFuelMass,
  kTimeAcceleration,
  kFocusAirspeed,  // every component of the focus airspeed vector
  kFocusHeading,
  kCount
};

class FaultyAnswers : public AnswersWrapper {
public:
  using AnswersWrapper::AnswersWrapper;

  // Handles the module gets are null; the host keeps what was created.
  void NullHandles(bool on) { null_handles_ = on; }
  // A time acceleration the module asks for takes effect at the next step.
  void DeferTimeAcceleration(bool on) { defer_ = on; }
  // Every answer to this query is the value given, until cleared.
  void Override(Query query, double value) { overrides_[Index(query)] = value; }
  void Clear(Query query) { overrides_[Index(query)].reset(); }

  double Altitude(const VesselRecord& v) override;
  double Airspeed(const VesselRecord& v) override;
  double AOA(const VesselRecord& v) override;
  double Bank(const VesselRecord& v) override;
  double ControlSurfaceLevel(const VesselRecord& v, AIRCTRL_TYPE type) override;
  double ThrusterLevel(const VesselRecord& v, const Thruster& t) override;
  double FuelMass(const VesselRecord& v) override;
  double TimeAcceleration(const Host& host) override;
  bool FocusAirspeedVector(const Host& host, VECTOR3& speed) override;
  bool FocusHeading(const Host& host, double& heading) override;
  void* Issue(void* handle) override;
  void RequestTimeAcceleration(Host& host, double factor) override;
  void StepStarting(Host& host) override;

private:
  static std::size_t Index(Query query) { return static_cast<std::size_t>(query); }
  double Or(Query query, double answer) const {
    const auto& value = overrides_[Index(query)];
    return value ? *value : answer;
  }

  bool null_handles_ = false;
  bool defer_ = false;
  std::optional<double> pending_;
  std::array<std::optional<double>, static_cast<std::size_t>(Query::kCount)> overrides_{};
};

}  // namespace vsim
