// What the script, flight and program tests share: options that fly the
// built helicopter with the substitute sound library. The flights these
// tests read include the helicopter's script of names, found (set up in
// script_support.cpp) where vesselsim finds it beside itself.
#pragma once

#include "sim/flight/runner.h"

namespace test {

inline vsim::FlightOptions Options() {
  vsim::FlightOptions options;
  options.module_path = MODULE_PATH;
  options.sound_path = SOUND_PATH;
  return options;
}

}  // namespace test
