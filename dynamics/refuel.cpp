#include "airframe/airframe.h"
#include "module/shuttle_pb.h"

// A refuel asked for from the cockpit fills the tank once.
void ShuttlePB::ServeRefuelRequest() {
  if (state.refuel_request == 1.0) {
    SetFuelMass(kFuelCapacity_kg);
    state.refuel_request = 0.0;
  }
}
