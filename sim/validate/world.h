// A world of vessels of one module on the substitute host, as the checks
// drive it: the journal on, fault-injecting answers in front of the host's,
// every fault and every animation state out of range turned into a check's
// failure.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/core/host.h"
#include "sim/faults/fault_answers.h"
#include "sim/validate/validation.h"

namespace vsim::validate {

enum class Sound { kAbsent, kPartial, kPresent };

// A failure found while driving a world: the check ends with it.
struct Broken {
  Result result;
};

class World {
public:
  explicit World(const Target& target, Sound sound = Sound::kAbsent);
  ~World() { host.SetAnswers(nullptr); }
  World(const World&) = delete;
  World& operator=(const World&) = delete;

  VesselRecord& Create(const std::string& name);
  void Destroy(const std::string& name);
  // One step; a fault or an animation state out of range throws Broken.
  void Step();
  void Steps(int count);
  // Throws Broken if the host recorded a fault.
  void Verify();
  // Each vessel's calls since the last time they were taken, in order,
  // the host's calls into the module included.
  std::map<std::string, std::vector<std::string>> TakeCalls();

  Host host;
  FaultyAnswers faults{host.core_answers()};
};

// The operations of a list of calls, without their arguments.
std::vector<std::string> Operations(const std::vector<std::string>& calls);

// The first call where two lists differ, as "A" / "B" text for a message.
std::string FirstDifference(const std::vector<std::string>& a, const std::vector<std::string>& b);
// The same with each side named: "A" flown beside others against "B" flown alone.
std::string FirstDifference(const std::vector<std::string>& a, const std::string& a_name,
                            const std::vector<std::string>& b, const std::string& b_name);

// What a number reads as in a message.
std::string Text(double value);

}  // namespace vsim::validate
