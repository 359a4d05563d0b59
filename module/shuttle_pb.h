// The helicopter vessel class.
#pragma once

#include <memory>

#include "host/host_api.h"
#include "module/vessel_state.h"

class ShuttlePB final : public VESSEL2 {
public:
  ShuttlePB(OBJHANDLE hVessel, int flightmodel);
  ~ShuttlePB();

  // The host's callbacks (when and where the host calls each: host/host_api.h).
  void clbkSetClassCaps(FILEHANDLE cfg) override;
  void clbkPostCreation() override;
  void clbkPostStep(double simt, double simdt, double mjd) override;
  int clbkConsumeBufferedKey(DWORD key, bool down, char* kstate) override;
  bool clbkLoadVC(int id) override;
  bool clbkVCMouseEvent(int id, int event, VECTOR3& p) override;

  bool Constructed() const { return nose_wheel_roll != nullptr; }

  UINT anim_wheels = 0;
  UINT anim_gear = 0;
  UINT anim_main_lever = 0;
  UINT anim_needle_altitude = 0;
  UINT anim_needle_fuel = 0;
  UINT anim_nose_steer = 0;
  UINT anim_needle_aoa = 0;
  UINT anim_compass = 0;
  UINT anim_needle_airspeed = 0;
  UINT anim_needle_vspeed = 0;
  UINT anim_needle_bank = 0;
  UINT anim_clock_hand1 = 0;
  UINT anim_clock_hand2 = 0;
  UINT anim_clock_hand3 = 0;
  UINT anim_rotors = 0;
  UINT anim_needle_main = 0;
  UINT anim_needle_hover = 0;
  std::unique_ptr<MGROUP_ROTATE> nose_wheel_roll;
  int sound_id = -1;
  VesselState state;

private:
  void DefineAnimations();
  // The sound library's connection and this vessel's waves.
  void ConnectSound();

  // Flight step stages, in the order the step runs them.
  void CapTimeAcceleration();
  void ApplyEnvelope();
  void ApplyGroundSteering(double airspeed);
  void ApplyWheelContact(double airspeed);
  void ShowWheelRotation(double airspeed);
  void ShowNoseWheelSteering(double airspeed);
  void ShowRotor(double airspeed);
  void MoveGear();
  void PlayEngineSound();
  void SwitchBeacons();
  void ShowMainLever();
  void MoveAuxGear();
  void ShowThrustNeedles();
  void ShowInstruments();
  void ServeRefuelRequest();

  void ThrowGearSwitch();
  // On the ground, gear down and locked, inside the taxi speed window.
  bool TaxiingOnWheels(double airspeed) const;
};
