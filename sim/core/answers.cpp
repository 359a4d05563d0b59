#include "sim/core/answers.h"

#include "sim/core/host.h"

namespace vsim {

void CoreAnswers::RequestTimeAcceleration(Host& host, double factor) {
  host.SetTimeAcceleration(factor);
}

}  // namespace vsim
