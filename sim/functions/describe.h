// Journal text of the records a module hands the host.
#pragma once

#include <string>

#include "sim/core/host.h"

namespace vsim::functions {

std::string Text(const PARTICLESTREAMSPEC& s, Host& host, const VesselRecord* vessel);
std::string Text(const BEACONLIGHTSPEC& b);
std::string Text(const MGROUP_TRANSFORM* t);
std::string Text(const VCHUDSPEC& hud);
std::string Text(const VCMFDSPEC& mfd);

}  // namespace vsim::functions
