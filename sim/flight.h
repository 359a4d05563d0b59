// Runs flight scripts on the substitute host: the commands, the checks, the
// narrated events, the flight log and the plot.
#pragma once

#include <string>
#include <vector>

#include "sim/host.h"
#include "sim/script.h"

namespace vsim {

struct FlightOptions {
  std::string module_path;  // used when the script names none
  std::string sound_path;
  std::string out_dir;     // empty: no flight.csv / flight.svg
  std::string trace_path;  // empty: no call trace
  bool progress = false;
  int log_every = 1;
};

struct FlightEvent {
  int step = 0;
  double time = 0;
  std::string text;
};

struct FlightResult {
  int passed = 0;
  int failed = 0;
  std::vector<std::string> failures;  // "file:line: expected ..., got ..."
  std::string error;                  // a command that could not be carried out
  std::vector<FlightEvent> events;
  double final_fuel = 0;
  int steps = 0;
  double sim_time = 0;
};

FlightResult RunFlight(const Script& script, const FlightOptions& options);

// The value of a quantity as the host sees it; throws HostError when the
// vessel lacks it.
Value Evaluate(Host& host, const Quantity& quantity);
bool Holds(const Condition& condition, const Value& actual);
std::string Describe(const Value& value);

}  // namespace vsim
