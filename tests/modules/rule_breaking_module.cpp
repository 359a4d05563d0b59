// Test-only vessel modules that each break one rule the validator checks,
// chosen when built: BREAKS is one of the rules below. Each must fail its
// own check of "vesselsim validate" and no other.
#include <cmath>
#include <cstdlib>
#include <cstring>

#define CRASH_IN_INIT 1
#define EXTRA_EXPORT 2
#define SHARED_STATE 3
#define NAN_AFTER_NAN 4
#define LEAK_PER_VESSEL 5
#define KEPT_HANDLE 6
#define HANG_IN_STEP 7
#define HOST_TYPES 8
#define LATE_FAULT 9
#define DECLARES_IN_STEPS 10
#define NULL_DATE 11
#define SHIFTING_VERSION 12
#define NOT_A_DATE 13
#define WEAK_HOVER 14
#define BACKWARDS_PITCH 15
#define POINTS_ABOVE 16
#define NAN_DRAG_LATE 17

#if BREAKS == HOST_TYPES && !defined(_WIN32)
// As built with a header that gave the host's classes default visibility.
#define HOST_API_BUILD
#endif
#include "host/host_api.h"
#include "tests/modules/crash.h"

namespace {

// A small vessel that stands, hovers and turns as a host expects: a tripod
// below its centre of mass, hover thrust for more than twice its weight, and a couple
// of thrusters for each way it turns.
constexpr double kMass_kg = 50;
constexpr double kHover_N = 4000;
constexpr double kCouple_N = 10;
constexpr double kArm_m = 1;
// Enough for every flight of the validator on one tank.
constexpr double kIsp_m_s = 1e6;
#if BREAKS == WEAK_HOVER
constexpr double kHoverThrust_N = kHover_N / 4;
#else
constexpr double kHoverThrust_N = kHover_N;
#endif
#if BREAKS == POINTS_ABOVE
constexpr double kPointsY_m = 0.5;
#else
constexpr double kPointsY_m = -1;
#endif
#if BREAKS == BACKWARDS_PITCH
constexpr double kPitchSense = -1;
#else
constexpr double kPitchSense = 1;
#endif

struct CoupleRow {
  THGROUP_TYPE group;
  VECTOR3 arm;   // the first thruster's position; the second's is opposite
  VECTOR3 push;  // the first thruster's direction; the second's is opposite
};
// In the vessel frame (x right, y up, z forward): nose up is a push up at the
// nose and down at the tail, and so on.
constexpr CoupleRow kCouples[] = {
    {THGROUP_ATT_PITCHUP, {0, 0, kArm_m}, {0, kPitchSense, 0}},
    {THGROUP_ATT_PITCHDOWN, {0, 0, kArm_m}, {0, -kPitchSense, 0}},
    {THGROUP_ATT_YAWRIGHT, {0, 0, kArm_m}, {1, 0, 0}},
    {THGROUP_ATT_YAWLEFT, {0, 0, kArm_m}, {-1, 0, 0}},
    {THGROUP_ATT_BANKLEFT, {kArm_m, 0, 0}, {0, 1, 0}},
    {THGROUP_ATT_BANKRIGHT, {kArm_m, 0, 0}, {0, -1, 0}},
};

#if BREAKS == NAN_DRAG_LATE
// Only a long flight in the air reaches it.
constexpr double kAirborneBeforeTheNan_s = 300;
#endif

#if BREAKS == SHARED_STATE
// One count of key presses for every vessel of the module.
int presses = 0;
#endif
#if BREAKS == KEPT_HANDLE
// The thruster of the vessel made last, used by whichever vessel gets a key.
THRUSTER_HANDLE last_made = nullptr;
#endif
#if BREAKS == LEAK_PER_VESSEL
constexpr std::size_t kLeakBytes = 64 * 1024;
// Seen by the compiler as used, so that the allocation stays; each vessel
// overwrites the one before, which is then lost.
void* volatile last_lost = nullptr;
#endif
#if BREAKS == LATE_FAULT
// Later than any vessel steps in the other checks.
constexpr int kFaultyStep = 9000;
#endif
#if BREAKS == CRASH_IN_INIT
// Only a load that makes many vessels reaches it.
constexpr int kVesselsBeforeTheCrash = 500;
int made = 0;
#endif

class RuleBreaking final : public VESSEL2 {
public:
  using VESSEL2::VESSEL2;
  void clbkSetClassCaps(FILEHANDLE) override {
    SetEmptyMass(kMass_kg);
    SetPMI({1, 1, 1});
    SetTouchdownPoints({0, kPointsY_m, kArm_m}, {-kArm_m, kPointsY_m, -kArm_m},
                       {kArm_m, kPointsY_m, -kArm_m});
    PROPELLANT_HANDLE tank = CreatePropellantResource(100);
    thruster_ = CreateThruster({0, 0, 0}, {0, 1, 0}, kHoverThrust_N, tank, kIsp_m_s);
    THRUSTER_HANDLE group[] = {thruster_};
    CreateThrusterGroup(group, 1, THGROUP_HOVER);
    for (const CoupleRow& c : kCouples) {
      THRUSTER_HANDLE pair[] = {
          CreateThruster(c.arm, c.push, kCouple_N, tank, kIsp_m_s),
          CreateThruster({-c.arm.x, -c.arm.y, -c.arm.z}, {-c.push.x, -c.push.y, -c.push.z},
                         kCouple_N, tank, kIsp_m_s)};
      CreateThrusterGroup(pair, 2, c.group);
    }
    anim_ = CreateAnimation(0);
#if BREAKS == KEPT_HANDLE
    last_made = thruster_;
#endif
#if BREAKS == LEAK_PER_VESSEL
    void* lost = std::malloc(kLeakBytes);
    if (lost != nullptr) std::memset(lost, 1, kLeakBytes);
    last_lost = lost;
#endif
  }
  int clbkConsumeBufferedKey(DWORD, bool down, char*) override {
    if (!down) return 0;
#if BREAKS == SHARED_STATE
    ++presses;
#elif BREAKS == KEPT_HANDLE
    SetThrusterLevel(last_made, 0.5);
#else
    ++presses_;
#endif
    return 1;
  }
  void clbkPostStep(double, double simdt, double) override {
#if BREAKS == NAN_DRAG_LATE
    if (!GroundContact()) airborne_s_ += simdt;
    if (airborne_s_ > kAirborneBeforeTheNan_s) SetCW(std::nan(""), 0.1, 0.1, 0.1);
#else
    static_cast<void>(simdt);
#endif
#if BREAKS == SHARED_STATE
    SetAnimation(anim_, (presses % 10) / 10.0);
#else
    SetAnimation(anim_, (presses_ % 10) / 10.0);
#endif
#if BREAKS == HANG_IN_STEP
    for (volatile bool stuck = true; stuck;) {
    }
#endif
#if BREAKS == LATE_FAULT
    // On the ground: a vessel flown in the air that long is another check's.
    if (++steps_ == kFaultyStep && GroundContact()) SetAnimation(anim_ + 1, 0);
#endif
#if BREAKS == DECLARES_IN_STEPS
    CreateThruster({0, 0, 0}, {0, 1, 0}, 1, nullptr, 1);
#endif
#if BREAKS == NAN_AFTER_NAN
    const double altitude = GetAltitude();
    if (std::isnan(altitude)) SetAnimation(anim_, altitude);
#endif
  }

private:
  THRUSTER_HANDLE thruster_ = nullptr;
  UINT anim_ = 0;
  [[maybe_unused]] int presses_ = 0;  // unused where the count is shared
  [[maybe_unused]] int steps_ = 0;
  [[maybe_unused]] double airborne_s_ = 0;
};

}  // namespace

DLLCLBK VESSEL* ovcInit(OBJHANDLE vessel, int flight_model) {
#if BREAKS == CRASH_IN_INIT
  if (++made > kVesselsBeforeTheCrash) test_modules::Crash();
#endif
  return new RuleBreaking(vessel, flight_model);
}
DLLCLBK void ovcExit(VESSEL* vessel) { delete static_cast<RuleBreaking*>(vessel); }
#if BREAKS == NULL_DATE
DLLCLBK const char* ModuleDate() { return nullptr; }
#elif BREAKS == NOT_A_DATE
DLLCLBK const char* ModuleDate() { return "the eighth of December"; }
#else
DLLCLBK const char* ModuleDate() { return "Dec 08 2026"; }
#endif
#if BREAKS == SHIFTING_VERSION
// A version that changes once the host has asked a few times.
constexpr int kStableCalls = 6;
int version_calls = 0;
DLLCLBK int GetModuleVersion() { return ++version_calls > kStableCalls ? 2 : 1; }
#else
DLLCLBK int GetModuleVersion() { return 1; }
#endif
#if BREAKS == EXTRA_EXPORT
DLLCLBK int DebugCounter() { return 7; }
#endif
