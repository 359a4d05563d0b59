#include "sim/program/clash_check.h"

#include <cstdio>

namespace vesselsim {

namespace {

// Where the sound library writes its log: the module's working folder.
constexpr char kSoundLog[] = "OrbiterSound_Log.txt";

}  // namespace

std::vector<vsim::NamedPath> RunInputs(const std::vector<const vsim::Script*>& scripts,
                                       const vsim::FlightOptions& options) {
  std::vector<vsim::NamedPath> inputs{{"the sound library", options.sound_path}};
  const bool overridden = !options.module_override.empty();
  bool default_module = false;
  for (const vsim::Script* script : scripts) {
    if (script->file != kDefaultFlightName) inputs.push_back({"the script", script->file});
    const auto modules = script->All<vsim::ModuleCommand>();
    if (!overridden)
      for (const vsim::ModuleCommand* m : modules) inputs.push_back({"the module", m->path});
    default_module = default_module || (!overridden && modules.empty());
  }
  if (overridden) inputs.push_back({"the module", options.module_override});
  if (default_module) inputs.push_back({"the module", options.module_path});
  return inputs;
}

std::vector<vsim::NamedPath> RunOutputs(const vsim::FlightOptions& options) {
  std::vector<vsim::NamedPath> outputs{{"--trace", options.trace_path}};
  if (!options.out_dir.empty()) {
    outputs.push_back({"--out's log", options.out_dir + "/flight.csv"});
    outputs.push_back({"--out's plot", options.out_dir + "/flight.svg"});
    if (options.html) outputs.push_back({"--out's page", options.out_dir + "/flight.html"});
  }
  // The module writes it when it cannot reach the sound library.
  outputs.push_back(
      {"the sound log", options.host_dir.empty() ? kSoundLog : options.host_dir + "/" + kSoundLog});
  return outputs;
}

// Nothing a run reads, and no output of its own, is written over.
bool Clashes(const std::vector<vsim::NamedPath>& inputs,
             const std::vector<vsim::NamedPath>& outputs) {
  const std::string clash = vsim::FindClash(inputs, outputs);
  if (clash.empty()) return false;
  std::fprintf(stderr, "vesselsim: %s\n", clash.c_str());
  return true;
}

}  // namespace vesselsim
