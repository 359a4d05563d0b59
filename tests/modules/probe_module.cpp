// A test-only vessel module that hands its callbacks to a test: the test's
// calls then come from inside the module's callbacks, where a module's
// calls come from, and take the paths the host gives such calls.
#include "host/host_api.h"

using Probe = void (*)(VESSEL& vessel, const char* callback, void* context);

namespace {

Probe probe = nullptr;
void* probe_context = nullptr;

class Probed final : public VESSEL2 {
public:
  using VESSEL2::VESSEL2;
  void clbkSetClassCaps(FILEHANDLE) override { Run("clbkSetClassCaps"); }
  void clbkPostStep(double, double, double) override { Run("clbkPostStep"); }

private:
  void Run(const char* callback) {
    if (probe != nullptr) probe(*this, callback, probe_context);
  }
};

}  // namespace

DLLCLBK void SetProbe(Probe function, void* context) noexcept {
  probe = function;
  probe_context = context;
}

DLLCLBK VESSEL* ovcInit(OBJHANDLE vessel, int flight_model) noexcept {
  return new Probed(vessel, flight_model);
}
DLLCLBK void ovcExit(VESSEL* vessel) noexcept { delete static_cast<Probed*>(vessel); }
DLLCLBK const char* ModuleDate() noexcept { return "Dec 09 2026"; }
DLLCLBK int GetModuleVersion() noexcept { return 1; }
