// Long runs that must leave nothing behind and never drift:
//   vsim_soak cycles N        N load/create/step/destroy/unload cycles of the
//                             module and the sound library: resident memory
//                             and open files flat, both libraries unmapped.
//   vsim_soak fleet V S       V helicopters for S steps with physics: the run
//                             completes and every cell of its log is finite
//                             and in range.
// Prints its figures; exits 1 on the first thing wrong.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sim/core/host.h"
#include "sim/core/module_library.h"
#include "sim/flight/runner.h"
#include "sim/platform/platform.h"
#include "sim/platform/process_figures.h"
#include "sim/script/parser.h"

namespace {

constexpr bool kSanitized = vsim::platform::kAddressSanitizer;

// Allocator noise, not a leak: far less than one cycle's worth of a leak
// over thousands of cycles.
constexpr long kMaxGrowthKiB = 1024;
constexpr double kMaxAltitude_m = 1e6;
// A crash at tens of metres a second sinks the ground's contact spring for a
// few steps before the wreck is set on its points (an inverted helicopter hit
// the ground at 75 m/s and reached -0.7 m); deeper is a fault of the model.
constexpr double kMinAltitude_m = -2;
constexpr int kLogRows = 100;  // rows per vessel in the fleet's log

bool Fail(const std::string& what) {
  std::fprintf(stderr, "vsim_soak: %s\n", what.c_str());
  return false;
}

bool Cycle() {
  vsim::Host host;
  host.journal().enabled = false;
  host.LoadSoundLibrary(SOAK_SOUND);
  host.LoadModule(SOAK_MODULE);
  host.CreateVessel("a");
  host.CreateVessel("b");
  for (int i = 0; i < 3; ++i) host.Step();
  host.DestroyVessel("a");
  host.DestroyVessel("b");
  host.UnloadModule();
  return !host.Faulted() || Fail("the module faulted: " + host.Faults().front().text);
}

bool Cycles(long cycles) {
  const long warm_up = std::max(1L, cycles / 10);
  long rss = 0, files = 0;
  for (long i = 0; i < cycles; ++i) {
    if (!Cycle()) return false;
    for (const char* library : {SOAK_MODULE, SOAK_SOUND})
      if (vsim::platform::LibraryLoaded(library))
        return Fail("cycle " + std::to_string(i + 1) + ": " + library + " is still mapped");
    if (i + 1 == warm_up) {
      rss = vsim::platform::ResidentKiB();
      files = vsim::platform::OpenHandles();
    }
  }
  const long growth = vsim::platform::ResidentKiB() - rss;
  std::printf(
      "%ld cycles: resident memory %+ld KiB after cycle %ld, open files %ld -> %ld, "
      "libraries unmapped every cycle\n",
      cycles, growth, warm_up, files, vsim::platform::OpenHandles());
  if (vsim::platform::OpenHandles() != files) return Fail("open files grew");
  if (kSanitized) return true;  // the sanitizers hold freed memory back
  return growth <= kMaxGrowthKiB ||
         Fail("resident memory grew by " + std::to_string(growth) + " KiB");
}

std::string FleetScript(int vessels, long steps) {
  std::ostringstream script;
  // Unheld helicopters tumble at the ceiling and some crash: the run goes on.
  script << "physics on\nsound on\ncrash allowed\n";
  for (int i = 0; i < vessels; ++i) script << "vessel h" << i << "\n";
  // Every throttle from idle to full, so that some climb and some stay down.
  for (int i = 0; i < vessels; ++i)
    script << "focus h" << i << "\nthrottle hover " << (i % 11) / 10.0 << "\n";
  script << "step " << steps << "\n";
  return script.str();
}

std::vector<std::string> Cells(const std::string& line) {
  std::vector<std::string> cells;
  std::string cell;
  bool quoted = false;
  for (char c : line) {
    if (c == '"') quoted = !quoted;
    if (c == ',' && !quoted) {
      cells.push_back(cell);
      cell.clear();
    } else {
      cell += c;
    }
  }
  cells.push_back(cell);
  return cells;
}

bool CheckLog(const std::string& path, long expected_rows) {
  std::ifstream csv(path);
  std::string line;
  if (!std::getline(csv, line)) return Fail(path + " is empty");
  const std::vector<std::string> header = Cells(line);
  std::size_t altitude = 0;
  while (altitude < header.size() && header[altitude] != "altitude_m") ++altitude;
  long rows = 0;
  while (std::getline(csv, line)) {
    ++rows;
    const std::vector<std::string> cells = Cells(line);
    const std::string where = path + ":" + std::to_string(rows + 1);
    if (cells.size() != header.size()) return Fail(where + ": not as many fields as the header");
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (i == 2 || cells[i].empty()) continue;  // the vessel's name
      char* end = nullptr;
      const double value = std::strtod(cells[i].c_str(), &end);
      if (*end != '\0' || !std::isfinite(value))
        return Fail(where + ": " + header[i] + " is " + cells[i]);
      if (i == altitude && (value < kMinAltitude_m || value > kMaxAltitude_m))
        return Fail(where + ": altitude " + cells[i] + " out of range");
    }
  }
  if (rows != expected_rows)
    return Fail(path + ": " + std::to_string(rows) + " rows, expected " +
                std::to_string(expected_rows));
  std::printf("%ld rows checked: every cell finite, every altitude in range\n", rows);
  return true;
}

bool Fleet(int vessels, long steps) {
  const vsim::Script script = vsim::ParseScript("fleet", FleetScript(vessels, steps));
  vsim::platform::WorkingFolder scratch("vsim-soak-");
  vsim::FlightOptions options;
  options.module_path = SOAK_MODULE;
  options.sound_path = SOAK_SOUND;
  options.out_dir = "out";
  options.log_every = static_cast<int>(std::max(1L, steps / kLogRows));
  const auto start = std::chrono::steady_clock::now();
  const vsim::FlightResult result = vsim::RunFlight(script, options);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  if (!result.error.empty()) return Fail(result.error);
  if (result.steps != steps)
    return Fail("the fleet flew " + std::to_string(result.steps) + " steps");
  std::printf("%d vessels x %ld steps with physics in %.1f s (%.0f ns per vessel step)\n", vessels,
              steps, took.count(), took.count() * 1e9 / (static_cast<double>(vessels) * steps));
  // Each vessel's state after creation, then every log_every-th step.
  return CheckLog("out/flight.csv", vessels * (1 + steps / options.log_every));
}

long Count(const char* text, long most) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  return *end == '\0' && value >= 1 && value <= most ? value : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  try {
    if (mode == "cycles" && argc == 3 && Count(argv[2], 1'000'000) > 0)
      return Cycles(Count(argv[2], 1'000'000)) ? 0 : 1;
    if (mode == "fleet" && argc == 4 && Count(argv[2], 100'000) > 0 &&
        Count(argv[3], 100'000'000) > 0)
      return Fleet(static_cast<int>(Count(argv[2], 100'000)), Count(argv[3], 100'000'000)) ? 0 : 1;
  } catch (const std::exception& e) {
    return Fail(e.what()) ? 0 : 1;
  }
  std::fprintf(stderr, "usage: vsim_soak cycles N | vsim_soak fleet VESSELS STEPS\n");
  return 2;
}
