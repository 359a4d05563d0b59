// Any text as a flight script, flown through the host with the helicopter
// loaded and physics on: no crash, no undefined behaviour, the run's figures
// finite, and the log and plot of every run that wrote them well formed.
// Vessels, held clicks and steps are bounded here so that no input runs for
// long; the bounds of the product itself are much larger.
#include <dlfcn.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "fuzz/scratch.h"
#include "fuzz/well_formed.h"
#include "sim/flight/runner.h"
#include "sim/script/parser.h"

namespace {

using vsim::fuzz::Require;

constexpr long long kMaxSteps = 2000;
constexpr std::size_t kMaxVessels = 8;
constexpr long long kMaxHeldEvents = 2000;

bool WithinBounds(const vsim::Script& script) {
  long long held = 0;
  for (const vsim::HoldCommand* c : script.All<vsim::HoldCommand>()) held += c->events;
  return script.All<vsim::VesselCommand>().size() <= kMaxVessels && held <= kMaxHeldEvents;
}

void CheckOutputs(const std::filesystem::path& out) {
  const std::filesystem::path csv = out / "flight.csv";
  const std::filesystem::path svg = out / "flight.svg";
  if (std::filesystem::exists(csv)) {
    const std::string problem = vsim::fuzz::CsvProblem(vsim::fuzz::Slurp(csv));
    Require(problem.empty(), "the log is not well-formed CSV: " + problem);
  }
  if (std::filesystem::exists(svg)) {
    const std::string problem = vsim::fuzz::XmlProblem(vsim::fuzz::Slurp(svg));
    Require(problem.empty(), "the plot is not well-formed XML: " + problem);
  }
  for (const auto& entry : std::filesystem::directory_iterator(out)) {
    const std::string name = entry.path().filename().string();
    Require(name == "flight.csv" || name == "flight.svg", "a file left behind: " + name);
  }
  std::filesystem::remove(csv);
  std::filesystem::remove(svg);
}

}  // namespace

// The host unloads the module after every flight; libFuzzer keeps counters in
// the module's memory, so it stays mapped for the whole run.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  for (const char* library : {FUZZ_MODULE, FUZZ_SOUND})
    Require(::dlopen(library, RTLD_NOW | RTLD_NODELETE) != nullptr,
            std::string("cannot load ") + library);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::filesystem::path& scratch = vsim::fuzz::Scratch("flight");
  vsim::Script script;
  try {
    script = vsim::ParseScript("fuzz.vsim", text, scratch.string());
  } catch (const vsim::ScriptError&) {
    return 0;
  }
  if (!WithinBounds(script)) return 0;
  vsim::FlightOptions options;
  options.module_override = FUZZ_MODULE;
  options.sound_path = FUZZ_SOUND;
  options.out_dir = (scratch / "out").string();
  options.max_steps = kMaxSteps;
  const vsim::FlightResult result = vsim::RunFlight(script, options);
  Require(result.steps <= kMaxSteps, "more steps than the bound");
  Require(std::isfinite(result.sim_time), "a simulated time that is not finite");
  Require(std::isfinite(result.final_fuel), "a final fuel that is not finite");
  CheckOutputs(scratch / "out");
  return 0;
}
