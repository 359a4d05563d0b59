// Any text as a flight script: the parser gives a script or an error that
// names the file and line, and never a step count past the run's bound.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "fuzz/well_formed.h"
#include "sim/script/parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using vsim::fuzz::Require;
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    const vsim::Script script = vsim::ParseScript("fuzz.vsim", text);
    // Each step command counted as often as its repeats run it.
    long long steps = 0;
    std::vector<long long> runs{1};
    for (const vsim::ScriptLine& line : script.commands) {
      if (const auto* repeat = std::get_if<vsim::RepeatCommand>(&line.command)) {
        Require(repeat->count >= 0, "a negative repeat count");
        runs.push_back(std::min(runs.back() * repeat->count, vsim::kMaxTotalSteps + 1));
      } else if (std::holds_alternative<vsim::EndCommand>(line.command)) {
        Require(runs.size() > 1, "an end without its repeat");
        runs.pop_back();
      } else if (const auto* step = std::get_if<vsim::StepCommand>(&line.command)) {
        Require(step->count >= 0, "a negative step count");
        steps += step->count * runs.back();
        Require(steps <= vsim::kMaxTotalSteps, "steps past the run's bound");
      }
    }
    Require(runs.size() == 1, "a repeat without its end");
  } catch (const vsim::ScriptError& e) {
    Require(std::string(e.what()).rfind("fuzz.vsim:", 0) == 0,
            std::string("an error that does not name the script: ") + e.what());
  }
  return 0;
}
