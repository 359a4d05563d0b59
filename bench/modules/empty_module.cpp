// The empty module, for benchmarks only: a vessel that declares nothing and
// does nothing in its step. What it costs is the host's own callback.
#include "host/host_api.h"

namespace {

class Empty final : public VESSEL2 {
public:
  using VESSEL2::VESSEL2;
  void clbkPostStep(double, double, double) override {}
};

}  // namespace

DLLCLBK VESSEL* ovcInit(OBJHANDLE vessel, int flight_model) noexcept {
  return new Empty(vessel, flight_model);
}
DLLCLBK void ovcExit(VESSEL* vessel) noexcept { delete static_cast<Empty*>(vessel); }
DLLCLBK const char* ModuleDate() noexcept { return "Dec 08 2026"; }
DLLCLBK int GetModuleVersion() noexcept { return 1; }
