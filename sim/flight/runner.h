// Runs flight scripts on the substitute host: the commands, the checks, the
// narrated events and the outputs that observe the run.
#pragma once

#include <string>
#include <vector>

#include "sim/files/file_system.h"
#include "sim/outputs/observer.h"
#include "sim/script/commands.h"

namespace vsim {

struct FlightOptions {
  std::string module_path;      // used when the script names none
  std::string module_override;  // when set, flown in place of any module the script names
  std::string sound_path;
  std::string out_dir;     // empty: no flight.csv / flight.svg
  std::string trace_path;  // empty: no call trace
  // The module's working folder for the flight, where it writes what it
  // writes (the sound log); made if missing. Empty: the current folder.
  // Every relative path here and in the script is taken from the current
  // folder before the flight enters it.
  std::string host_dir;
  bool html = false;  // also flight.html beside flight.csv
  bool progress = false;
  int log_every = 1;
  // The log's columns by name or glob pattern; empty: all of them.
  std::vector<std::string> log_columns;
  // The run stops (an error) when it would take more steps than this.
  long long max_steps = kMaxTotalSteps;
  // The sound slot the log and plot show as the engine, unless the script
  // names one "engine"; 0: none.
  int engine_slot = 0;
  FileSystem* files = nullptr;  // null: the system's own

  FileSystem& Files() const { return files != nullptr ? *files : SystemFiles(); }
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

}  // namespace vsim
