#include "module/shuttle_pb.h"

// The strobes follow the switch once per change of it.
void ShuttlePB::SwitchBeacons() {
  if (state.beacons_on == 1.0 && state.beacons_changed == 1.0) {
    state.beacon_fwd.active = true;
    state.beacon_aft.active = true;
    state.beacons_changed = 0.0;
  }
  if (state.beacons_on == 0.0 && state.beacons_changed == 1.0) {
    state.beacons_changed = 0.0;
    state.beacon_fwd.active = false;
    state.beacon_aft.active = false;
  }
}
