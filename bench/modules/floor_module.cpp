// The floor module, for benchmarks only: its step makes exactly the host
// calls of the helicopter's step in the benchmarks' powered flight (both
// rotors pulling) without a sound library,
// in the same order, with constant arguments and no logic. What it costs is
// what the host's calls cost; the helicopter's step minus it is the
// helicopter's own logic.
#include "host/host_api.h"

namespace {

constexpr int kAnimations = 17;
constexpr VECTOR3 kNoseWheel{0, -4.25, 7.068734};
constexpr VECTOR3 kLeftWheel{-2, -4.25, 0.9311422};
constexpr VECTOR3 kRightWheel{2, -4.25, 0.9311422};

class Floor final : public VESSEL2 {
public:
  using VESSEL2::VESSEL2;

  void clbkSetClassCaps(FILEHANDLE) override {
    PROPELLANT_HANDLE tank = CreatePropellantResource(1500);
    th_main_ = CreateThruster({0, 0, 0}, {0, 0, 1}, 25000, tank, 1e5);
    th_hover_ = CreateThruster({0, 0, 0}, {0, 1, 0}, 45000, tank, 1e5);
    for (int i = 0; i < kAnimations; ++i) CreateAnimation(0);
  }

  void clbkPostStep(double, double, double) override {
    oapiGetTimeAcceleration();
    GetAirspeed();
    GroundContact();
    GetAirspeed();
    GetAltitude();
    GetAirspeed();
    GetAltitude();
    SetCW(0.3, 0.3, 0.67, 0.92);
    SetThrusterMax0(th_main_, 25000);
    SetThrusterDir(th_main_, {0, 0, 1});
    SetThrusterMax0(th_hover_, 45000);
    GetAirspeed();
    GetAltitude();
    GroundContact();
    GroundContact();
    SetTouchdownPoints(kNoseWheel, kLeftWheel, kRightWheel);
    GroundContact();
    GroundContact();
    SetAnimation(0, 0.5);
    GroundContact();
    GetThrusterLevel(th_hover_);
    SetAnimation(16, 0.345);
    GetThrusterLevel(th_main_);
    GetThrusterLevel(th_hover_);
    // The engine sound asks where the camera is while the main rotor pulls.
    oapiCameraInternal();
    GetThrusterLevel(th_main_);
    SetAnimation(7, 0.3);
    GetThrusterLevel(th_main_);
    SetAnimation(3, 0.3);
    GetThrusterLevel(th_hover_);
    SetAnimation(4, 0.8);
    VECTOR3 airspeed{};
    oapiGetFocusAirspeedVector(&airspeed);
    SetAnimation(5, 0);
    SetAnimation(6, 0.0002);
    GetBank();
    SetAnimation(9, 0.5);
    double heading = 0;
    oapiGetFocusHeading(&heading);
    SetAnimation(10, 0);
    GetAOA();
    SetAnimation(11, 1);
    GetAltitude();
    SetAnimation(12, 0.97);
    oapiGetTimeAcceleration();
    SetAnimation(13, 0.0006);
    SetAnimation(14, 0);
    SetAnimation(15, 0);
    GetFuelMass();
    SetAnimation(8, 0.308);
  }

private:
  THRUSTER_HANDLE th_main_ = nullptr;
  THRUSTER_HANDLE th_hover_ = nullptr;
};

}  // namespace

DLLCLBK VESSEL* ovcInit(OBJHANDLE vessel, int flight_model) noexcept {
  return new Floor(vessel, flight_model);
}
DLLCLBK void ovcExit(VESSEL* vessel) noexcept { delete static_cast<Floor*>(vessel); }
DLLCLBK const char* ModuleDate() noexcept { return "Dec 08 2026"; }
DLLCLBK int GetModuleVersion() noexcept { return 1; }
