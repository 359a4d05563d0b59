// Any text as a flight script: the parser gives a script or an error that
// names the file and line, and never a step count past the run's bound.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/well_formed.h"
#include "sim/script/parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using vsim::fuzz::Require;
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    const vsim::Script script = vsim::ParseScript("fuzz.vsim", text);
    long long steps = 0;
    for (const vsim::StepCommand* c : script.All<vsim::StepCommand>()) {
      Require(c->count >= 0, "a negative step count");
      steps += c->count;
    }
    Require(steps <= vsim::kMaxTotalSteps, "steps past the run's bound");
  } catch (const vsim::ScriptError& e) {
    Require(std::string(e.what()).rfind("fuzz.vsim:", 0) == 0,
            std::string("an error that does not name the script: ") + e.what());
  }
  return 0;
}
