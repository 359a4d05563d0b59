// The airfoil coefficient functions with any doubles the host might pass:
// no undefined behaviour, and finite coefficients for every angle that is
// not absurdly large.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "airframe/airfoils.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/well_formed.h"
#include "sim/core/host.h"

namespace {

// Coefficients grow linearly outside the tables and the induced drag with
// their square: they stay finite for angles far past any a flow can have.
constexpr double kLargestAngle = 1e100;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using vsim::fuzz::Require;
  // The induced drag is the host's answer.
  static vsim::Host host;
  host.journal().enabled = false;
  vsim::fuzz::FuzzInput in(data, size);
  const double angle = in.Double();
  const double mach = in.Double();
  const double reynolds = in.Double();
  for (auto* coeff : {&vlift_coeff, &hlift_coeff}) {
    double cl = NAN, cm = NAN, cd = NAN;
    coeff(angle, mach, reynolds, &cl, &cm, &cd);
    if (std::fabs(angle) <= kLargestAngle)
      Require(std::isfinite(cl) && std::isfinite(cm) && std::isfinite(cd),
              "a coefficient that is not finite");
  }
  return 0;
}
