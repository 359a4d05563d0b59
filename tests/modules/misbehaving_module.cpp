// Test-only vessel modules that each break one rule of the host boundary,
// chosen when built: MISBEHAVE is one of the behaviours below.
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#if !defined(_WIN32)
#include <pthread.h>
#endif

#include "host/host_api.h"
#include "tests/modules/crash.h"

#define THROW_IN_INIT 1
#define THROW_IN_STEP 2
#define CRASH_IN_STEP 3
#define NAN_THRUST 4
#define NAN_TIME_ACCELERATION 5
#define THROW_NON_STANDARD 6
#define CALL_FROM_THREAD 7
#define CALL_THROUGH_ENDED 8
#define CALL_WHILE_LOADING 9
#define EXIT_IN_STEP 10
#define QUICK_EXIT_IN_STEP 11

namespace {

#if MISBEHAVE == CALL_THROUGH_ENDED
// The handle of the vessel that ended last, kept past its end.
OBJHANDLE ended = nullptr;
#endif
#if MISBEHAVE == CALL_WHILE_LOADING
// Sets the whole simulation's time acceleration as the library loads.
constexpr double kLoadTimeAcceleration = 4;
struct AtLoad {
  AtLoad() { oapiSetTimeAcceleration(kLoadTimeAcceleration); }
} at_load;
#endif

class Misbehaving final : public VESSEL2 {
public:
  using VESSEL2::VESSEL2;
  void clbkSetClassCaps(FILEHANDLE) override {
    PROPELLANT_HANDLE tank = CreatePropellantResource(100);
    thruster_ = CreateThruster({0, 0, 0}, {0, 1, 0}, 1000, tank, 1000);
    THRUSTER_HANDLE group[] = {thruster_};
    CreateThrusterGroup(group, 1, THGROUP_HOVER);
  }
  void clbkPostStep(double, double, double) override {
#if MISBEHAVE == CALL_THROUGH_ENDED
    if (ended != nullptr) VESSEL(ended).GetAltitude();
#endif
    ++steps_;
    if (steps_ < 3) return;
#if MISBEHAVE == THROW_IN_STEP
    throw std::runtime_error("step three is too many");
#elif MISBEHAVE == THROW_NON_STANDARD
    throw 42;
#elif MISBEHAVE == CRASH_IN_STEP
    test_modules::Crash();
#elif MISBEHAVE == NAN_THRUST
    SetThrusterLevel(thruster_, std::nan(""));
#elif MISBEHAVE == NAN_TIME_ACCELERATION
    oapiSetTimeAcceleration(std::nan(""));
#elif MISBEHAVE == CALL_FROM_THREAD
    std::thread worker([this] {
#if !defined(_WIN32)
      pthread_setname_np(pthread_self(), "side-worker");
#endif
      GetAltitude();
    });
    worker.join();
#elif MISBEHAVE == EXIT_IN_STEP
    std::exit(0);
#elif MISBEHAVE == QUICK_EXIT_IN_STEP
    std::quick_exit(0);
#endif
  }

private:
  THRUSTER_HANDLE thruster_ = nullptr;
  int steps_ = 0;
};

}  // namespace

DLLCLBK VESSEL* ovcInit(OBJHANDLE vessel, int flight_model) {
#if MISBEHAVE == THROW_IN_INIT
  static_cast<void>(vessel);
  static_cast<void>(flight_model);
  throw std::runtime_error("no vessel today");
#else
  return new Misbehaving(vessel, flight_model);
#endif
}
DLLCLBK void ovcExit(VESSEL* vessel) {
#if MISBEHAVE == CALL_THROUGH_ENDED
  if (vessel != nullptr) ended = vessel->GetHandle();
#endif
  delete static_cast<Misbehaving*>(vessel);
}
DLLCLBK const char* ModuleDate() { return "Dec 08 2026"; }
DLLCLBK int GetModuleVersion() { return 1; }
