#include "module/shuttle_pb.h"

// The step ignores the time, step length and date it is given: every
// increment is per call, scaled at most by the time-acceleration factor.
void ShuttlePB::clbkPostStep(double /*simt*/, double /*simdt*/, double /*mjd*/) {
  CapTimeAcceleration();
  const double airspeed = GetAirspeed();
  ApplyEnvelope();
  ApplyGroundSteering(airspeed);
  ApplyWheelContact(airspeed);
  ShowWheelRotation(airspeed);
  ShowNoseWheelSteering(airspeed);
  ShowRotor(airspeed);
  MoveGear();
  PlayEngineSound();
  SwitchBeacons();
  ShowMainLever();
  MoveAuxGear();
  ShowThrustNeedles();
  ShowInstruments();
  ServeRefuelRequest();
}
