#include "sim/faults/fault_answers.h"

namespace vsim {

double FaultyAnswers::Altitude(const VesselRecord& v) {
  return Or(Query::kAltitude, AnswersWrapper::Altitude(v));
}
double FaultyAnswers::Airspeed(const VesselRecord& v) {
  return Or(Query::kAirspeed, AnswersWrapper::Airspeed(v));
}
double FaultyAnswers::AOA(const VesselRecord& v) { return Or(Query::kAOA, AnswersWrapper::AOA(v)); }
double FaultyAnswers::Bank(const VesselRecord& v) {
  return Or(Query::kBank, AnswersWrapper::Bank(v));
}
double FaultyAnswers::ControlSurfaceLevel(const VesselRecord& v, AIRCTRL_TYPE type) {
  return Or(Query::kRudder, AnswersWrapper::ControlSurfaceLevel(v, type));
}
double FaultyAnswers::ThrusterLevel(const VesselRecord& v, const Thruster& t) {
  return Or(Query::kThrusterLevel, AnswersWrapper::ThrusterLevel(v, t));
}
double FaultyAnswers::FuelMass(const VesselRecord& v) {
  return Or(Query::kFuelMass, AnswersWrapper::FuelMass(v));
}
double FaultyAnswers::TimeAcceleration(const Host& host) {
  return Or(Query::kTimeAcceleration, AnswersWrapper::TimeAcceleration(host));
}

bool FaultyAnswers::FocusAirspeedVector(const Host& host, VECTOR3& speed) {
  const bool known = AnswersWrapper::FocusAirspeedVector(host, speed);
  if (const auto& value = overrides_[Index(Query::kFocusAirspeed)])
    speed = {*value, *value, *value};
  return known;
}

bool FaultyAnswers::FocusHeading(const Host& host, double& heading) {
  const bool known = AnswersWrapper::FocusHeading(host, heading);
  heading = Or(Query::kFocusHeading, heading);
  return known;
}

void* FaultyAnswers::Issue(void* handle) {
  return null_handles_ ? nullptr : AnswersWrapper::Issue(handle);
}

void FaultyAnswers::RequestTimeAcceleration(Host& host, double factor) {
  if (defer_)
    pending_ = factor;
  else
    AnswersWrapper::RequestTimeAcceleration(host, factor);
}

void FaultyAnswers::StepStarting(Host& host) {
  if (pending_) AnswersWrapper::RequestTimeAcceleration(host, *pending_);
  pending_.reset();
  AnswersWrapper::StepStarting(host);
}

}  // namespace vsim
