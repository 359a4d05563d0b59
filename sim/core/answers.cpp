#include "sim/core/answers.h"

#include "sim/core/host.h"

namespace vsim {

double CoreAnswers::Altitude(const VesselRecord& v) { return v.readings.altitude; }
double CoreAnswers::Airspeed(const VesselRecord& v) { return v.readings.airspeed; }
double CoreAnswers::AOA(const VesselRecord& v) { return v.readings.aoa; }
double CoreAnswers::Bank(const VesselRecord& v) { return v.readings.bank; }
bool CoreAnswers::GroundContact(const VesselRecord& v) { return v.readings.ground_contact; }
double CoreAnswers::FuelMass(const VesselRecord& v) { return v.FuelMass(); }
double CoreAnswers::TimeAcceleration(const Host& host) { return host.TimeAcceleration(); }
bool CoreAnswers::CameraInternal(const Host& host) { return host.CameraInternal(); }

double CoreAnswers::ControlSurfaceLevel(const VesselRecord& v, AIRCTRL_TYPE type) {
  return type == AIRCTRL_RUDDER ? v.controls.rudder : 0.0;
}

double CoreAnswers::ThrusterLevel(const VesselRecord&, const Thruster& thruster) {
  return thruster.level;
}

bool CoreAnswers::FocusAirspeedVector(const Host& host, VECTOR3& speed) {
  const VesselRecord* focus = host.Focus();
  if (focus == nullptr) return false;
  speed = focus->readings.airspeed_vector;
  return true;
}

bool CoreAnswers::FocusHeading(const Host& host, double& heading) {
  const VesselRecord* focus = host.Focus();
  if (focus == nullptr) return false;
  heading = focus->readings.heading;
  return true;
}

void CoreAnswers::RequestTimeAcceleration(Host& host, double factor) {
  host.SetTimeAcceleration(factor);
}

}  // namespace vsim
