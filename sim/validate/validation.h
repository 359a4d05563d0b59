// The validator: a catalogue of checks that any vessel module built against
// the host interface must pass, each using only what a host can see.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vsim::validate {

struct Target {
  std::string module;
  std::string sound;          // the substitute sound library; empty: none found
  std::string partial_sound;  // one that lacks some of its exports; empty: none found
  std::uint32_t seed = 1;
};

enum class Verdict { kPass, kFail, kSkip };

struct Result {
  Verdict verdict = Verdict::kPass;
  std::string reason;  // one line
  std::string where;   // on failure: "step 3, vessel b, SetThrusterLevel"
};

Result Pass(std::string reason);
Result Fail(std::string reason, std::string where = "");
Result Skip(std::string reason);

struct Check {
  const char* name;
  const char* meaning;  // one line, for --list
  Result (*run)(const Target&);
};

const std::vector<Check>& Catalogue();

// Runs one check in this process; anything it throws is its failure.
Result RunHere(const Check& check, const Target& target);

}  // namespace vsim::validate
