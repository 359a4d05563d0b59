// "vesselsim check": flight scripts run as tests, each script a test case.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "sim/flight/runner.h"

namespace vesselsim {

struct CheckSettings {
  std::vector<std::string> scripts;
  std::string junit;
  bool json = false;
  bool list = false;
  std::string include, exclude;
  std::string keep_outputs;  // empty: keep none
  int jobs = 1;
  std::string result_file;  // a child's one result, as JSON
};

CLI::App* AddCheckCommand(CLI::App& app, CheckSettings& s);
// The exit code: 2 if a script did not parse, else 1 if one failed, else 0.
int RunCheck(const CheckSettings& s, const vsim::FlightOptions& options);

}  // namespace vesselsim
