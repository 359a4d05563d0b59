// The host's answers to the module's queries and its handling of what the
// module asks of the world. The core answers from the vessel records; a
// wrapper can stand in front of it and change any answer (fault injection).
#pragma once

#include "host/host_api.h"
#include "sim/core/vessel_record.h"

namespace vsim {

class Host;

class Answers {
public:
  virtual ~Answers() = default;
  virtual double Altitude(const VesselRecord& vessel) = 0;
  virtual double Airspeed(const VesselRecord& vessel) = 0;
  virtual double AOA(const VesselRecord& vessel) = 0;
  virtual double Bank(const VesselRecord& vessel) = 0;
  virtual bool GroundContact(const VesselRecord& vessel) = 0;
  virtual double ControlSurfaceLevel(const VesselRecord& vessel, AIRCTRL_TYPE type) = 0;
  virtual double ThrusterLevel(const VesselRecord& vessel, const Thruster& thruster) = 0;
  virtual double FuelMass(const VesselRecord& vessel) = 0;
  virtual double TimeAcceleration(const Host& host) = 0;
  virtual bool FocusAirspeedVector(const Host& host, VECTOR3& speed) = 0;
  virtual bool FocusHeading(const Host& host, double& heading) = 0;
  virtual bool CameraInternal(const Host& host) = 0;
  // The handle the module is given for one the host created.
  virtual void* Issue(void* handle) = 0;
  virtual void RequestTimeAcceleration(Host& host, double factor) = 0;
  // At the start of every step, before the world moves.
  virtual void StepStarting(Host& host) = 0;
};

// Defined inline, so that the host answers its own queries without a
// virtual call when no wrapper stands in front (see Host::Ask).
class CoreAnswers final : public Answers {
public:
  double Altitude(const VesselRecord& v) override { return v.readings.altitude; }
  double Airspeed(const VesselRecord& v) override { return v.readings.airspeed; }
  double AOA(const VesselRecord& v) override { return v.readings.aoa; }
  double Bank(const VesselRecord& v) override { return v.readings.bank; }
  bool GroundContact(const VesselRecord& v) override { return v.readings.ground_contact; }
  double ControlSurfaceLevel(const VesselRecord& v, AIRCTRL_TYPE type) override {
    return type == AIRCTRL_RUDDER ? v.controls.rudder : 0.0;
  }
  double ThrusterLevel(const VesselRecord&, const Thruster& thruster) override {
    return thruster.level;
  }
  double FuelMass(const VesselRecord& v) override { return v.FuelMass(); }
  // These read the host's world-wide state; defined after the host.
  inline double TimeAcceleration(const Host& host) override;
  inline bool FocusAirspeedVector(const Host& host, VECTOR3& speed) override;
  inline bool FocusHeading(const Host& host, double& heading) override;
  inline bool CameraInternal(const Host& host) override;
  void* Issue(void* handle) override { return handle; }
  void RequestTimeAcceleration(Host& host, double factor) override;
  void StepStarting(Host&) override {}
};

}  // namespace vsim
