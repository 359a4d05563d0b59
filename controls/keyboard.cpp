#include <cstdio>

#include "controls/travel_command.h"
#include "module/shuttle_pb.h"
#include "sound/vessel_sounds.h"

namespace {

constexpr double kAux2Guard = 0.01;

void WriteDebugLine(const char* text) {
  std::snprintf(oapiDebugString(), OAPI_DEBUG_STRING_SIZE, "%s", text);
}

}  // namespace

int ShuttlePB::clbkConsumeBufferedKey(DWORD key, bool down, char* /*kstate*/) {
  if (!down) return 0;
  switch (key) {
    case OAPI_KEY_W:
      if (state.refuel_request == 0.0) state.refuel_request = 1.0;
      return 1;
    case OAPI_KEY_F:
      if (state.main_reverse == 1.0) {
        state.main_reverse = 0.0;
        WriteDebugLine("Move Forwards");
      }
      return 1;
    case OAPI_KEY_B:
      if (state.main_reverse == 0.0) {
        state.main_reverse = 1.0;
        WriteDebugLine("Move Backwards ");
      }
      return 1;
    case OAPI_KEY_K: {
      const double rudder = GetControlSurfaceLevel(AIRCTRL_RUDDER);
      if (rudder > 0.0 || rudder < 0.0) return 1;
      if (state.aux2_pos > kAux2Guard) return 1;
      if (state.beacons_on == 0.0)
        state.beacons_on = 1.0;
      else if (state.beacons_on == 1.0)
        state.beacons_on = 0.0;
      state.beacons_changed = 1.0;
      return 1;
    }
    case OAPI_KEY_G:
      if (GroundContact()) return 1;
      state.gear_cmd = TravelCommandFor(state.gear_pos);
      PlayGearSound(sound_id);
      state.aux_gear_cmd = TravelCommandFor(state.aux_gear_pos);
      return 1;
    default: return 0;
  }
}
