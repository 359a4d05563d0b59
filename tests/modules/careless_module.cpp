// A test-only vessel module with the classic add-on mistake: its thruster
// handle lives at module level, so every vessel steps the thruster of the
// vessel created last.
#include "host/host_api.h"

namespace {

THRUSTER_HANDLE th_main = nullptr;  // shared by every vessel: the mistake

class Careless final : public VESSEL2 {
public:
  using VESSEL2::VESSEL2;
  void clbkSetClassCaps(FILEHANDLE) override {
    PROPELLANT_HANDLE tank = CreatePropellantResource(100);
    th_main = CreateThruster({0, 0, 0}, {0, 0, 1}, 1000, tank, 1000);
  }
  void clbkPostStep(double, double, double) override { SetThrusterLevel(th_main, 1); }
};

}  // namespace

DLLCLBK VESSEL* ovcInit(OBJHANDLE vessel, int flight_model) noexcept {
  return new Careless(vessel, flight_model);
}
DLLCLBK void ovcExit(VESSEL* vessel) noexcept { delete static_cast<Careless*>(vessel); }
DLLCLBK const char* ModuleDate() noexcept { return "Dec 08 2026"; }
DLLCLBK int GetModuleVersion() noexcept { return 1; }
