#include <exception>

#include "sim/validate/checks.h"
#include "sim/validate/world.h"

namespace vsim::validate {

const std::vector<Check>& Catalogue() {
  static const std::vector<Check> checks = {
      {"exports",
       "the four entry points by their plain names, nothing else exported; "
       "ModuleDate and GetModuleVersion stable",
       CheckExports},
      {"load-unload",
       "1000 loads and unloads: memory and open files flat, the library "
       "really unloaded, its attach run once per load",
       CheckLoadUnload},
      {"create-destroy",
       "1000 vessels made and ended in one load without growth; "
       "ovcExit(null) harmless",
       CheckCreateDestroy},
      {"independence",
       "a vessel among 2 and 10, one driven by keys, thrust and clicks, "
       "makes the calls it makes alone; no handle of another vessel",
       CheckIndependence},
      {"lifecycle-order",
       "creation order and another vessel ending change nothing a "
       "vessel does",
       CheckLifecycleOrder},
      {"hostile-readings",
       "nan, +-inf, +-1e300 and -0 from every query for one step: "
       "nothing non-finite passed on, states in 0..1, back to normal",
       CheckHostileReadings},
      {"time-steps",
       "steps of 0, 1e-9, 1 and 100 s at time accelerations 0.1 to 100000: "
       "nothing non-finite reaches the host",
       CheckTimeSteps},
      {"null-handles", "every handle the host gives is null: no crash", CheckNullHandles},
      {"keys-and-clicks",
       "every key code with every modifier, every click area and one "
       "more: no crash, no non-finite value, results of their type",
       CheckKeysAndClicks},
      {"sound",
       "the sound library absent, partial and present: the module runs, and "
       "what it writes stays in the working folder and bounded",
       CheckSound},
      {"speed",
       "median step time, instructions and host calls per step (reported, never "
       "failed)",
       CheckSpeed},
  };
  return checks;
}

Result RunHere(const Check& check, const Target& target) {
  try {
    return check.run(target);
  } catch (const Broken& b) {
    return b.result;
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
}

}  // namespace vsim::validate
