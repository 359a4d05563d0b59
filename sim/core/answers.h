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

class CoreAnswers final : public Answers {
public:
  double Altitude(const VesselRecord& vessel) override;
  double Airspeed(const VesselRecord& vessel) override;
  double AOA(const VesselRecord& vessel) override;
  double Bank(const VesselRecord& vessel) override;
  bool GroundContact(const VesselRecord& vessel) override;
  double ControlSurfaceLevel(const VesselRecord& vessel, AIRCTRL_TYPE type) override;
  double ThrusterLevel(const VesselRecord& vessel, const Thruster& thruster) override;
  double FuelMass(const VesselRecord& vessel) override;
  double TimeAcceleration(const Host& host) override;
  bool FocusAirspeedVector(const Host& host, VECTOR3& speed) override;
  bool FocusHeading(const Host& host, double& heading) override;
  bool CameraInternal(const Host& host) override;
  void* Issue(void* handle) override { return handle; }
  void RequestTimeAcceleration(Host& host, double factor) override;
  void StepStarting(Host&) override {}
};

}  // namespace vsim
