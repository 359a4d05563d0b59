// What a flight reads and writes, for the check that no output is written
// over an input or over another output.
#pragma once

#include <string>
#include <vector>

#include "sim/files/clashes.h"
#include "sim/flight/runner.h"

namespace vesselsim {

// The scripts, the modules they fly and the sound library.
std::vector<vsim::NamedPath> RunInputs(const std::vector<const vsim::Script*>& scripts,
                                       const vsim::FlightOptions& options);
// The log and plot in --out, the trace and the module's sound log.
std::vector<vsim::NamedPath> RunOutputs(const vsim::FlightOptions& options);
// Says the first clash on the standard error; whether there was one.
bool Clashes(const std::vector<vsim::NamedPath>& inputs,
             const std::vector<vsim::NamedPath>& outputs);

// The script name the built-in default flight goes by: no file.
constexpr char kDefaultFlightName[] = "default flight";

}  // namespace vesselsim
