#include <iterator>

#include "controls/travel_command.h"
#include "module/shuttle_pb.h"
#include "sound/vessel_sounds.h"

namespace {

constexpr VECTOR3 kCameraOffset = {0.65, 1.0, 3.7};
constexpr VECTOR3 kCameraDirection = {0, 0, 1};
struct RotationRange_deg {
  double left, right, up, down;
};
constexpr RotationRange_deg kCameraRange = {60, 60, 40, 40};

constexpr UINT kCockpitMesh = 1;
constexpr UINT kMfdMesh = 2;
VCHUDSPEC hud = {kCockpitMesh, 199, {0, 1.4, 4.1}, 0.8};
VCMFDSPEC mfds[] = {{kMfdMesh, 99}, {kMfdMesh, 100}};

enum Area : int { kLeverUp = 4, kLeverDown = 5, kGearSwitch = 6, kSecondSwitch = 49 };

struct AreaRow {
  Area id;
  VECTOR3 centre_m;
  double radius_m;
};
constexpr AreaRow kAreas[] = {
    {kLeverUp, {1.056066, 0.861285, 4.55723466}, 0.25},
    {kLeverDown, {0.926299, 0.759917, 4.265691}, 0.25},
    {kGearSwitch, {1.370454, 0.299641, 6.024575}, 0.5},
    {kSecondSwitch, {0.993026, 0.299641, 6.024575}, 0.5},
};
constexpr int kAreaMouseEvents = PANEL_MOUSE_LBDOWN | PANEL_MOUSE_LBPRESSED;

constexpr double kLeverStep = 0.0055;

}  // namespace

bool ShuttlePB::clbkLoadVC(int /*id*/) {
  SetCameraOffset(kCameraOffset);
  SetCameraDefaultDirection(kCameraDirection);
  SetCameraRotationRange(kCameraRange.left * RAD, kCameraRange.right * RAD, kCameraRange.up * RAD,
                         kCameraRange.down * RAD);
  oapiVCRegisterHUD(&hud);
  for (int i = 0; i < static_cast<int>(std::size(mfds)); ++i) oapiVCRegisterMFD(i, &mfds[i]);
  for (const AreaRow& area : kAreas) {
    oapiVCRegisterArea(area.id, PANEL_REDRAW_ALWAYS, kAreaMouseEvents);
    oapiVCSetAreaClickmode_Spherical(area.id, area.centre_m, area.radius_m);
  }
  return true;
}

// Event flags and click position are ignored: every delivered event, a
// button going down or held, performs the area's action once.
bool ShuttlePB::clbkVCMouseEvent(int id, int /*event*/, VECTOR3& /*p*/) {
  switch (id) {
    case kLeverUp:
    case kLeverDown: {
      // The lever steps from its own memory; a level of exactly 0 restarts it.
      double level = GetThrusterLevel(state.th_main) == 0.0 ? 0.0 : state.vc_main_level;
      level += id == kLeverUp ? kLeverStep : -kLeverStep;
      if (level < 0.0) level = 0.0;
      if (level > 1.0) level = 1.0;
      state.vc_main_level = level;
      SetThrusterLevel(state.th_main, level);
      return true;
    }
    case kGearSwitch: ThrowGearSwitch(); return true;
    case kSecondSwitch:
      state.aux2_cmd = TravelCommandFor(state.aux2_pos);
      PlaySecondSwitchSound(sound_id);
      return true;
    default: return false;
  }
}

// Unlike the G key, the switch commands the gear on the ground too; only
// the sound waits for the air.
void ShuttlePB::ThrowGearSwitch() {
  state.gear_cmd = TravelCommandFor(state.gear_pos);
  if (!GroundContact()) PlayGearSound(sound_id);
  state.aux_gear_cmd = TravelCommandFor(state.aux_gear_pos);
}
