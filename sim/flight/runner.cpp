#include "sim/flight/runner.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "sim/files/output_folder.h"
#include "sim/flight/autopilot.h"
#include "sim/flight/interpreter.h"
#include "sim/outputs/csv_log.h"
#include "sim/outputs/flight_page.h"
#include "sim/outputs/svg_plot.h"
#include "sim/outputs/trace_writer.h"
#include "sim/platform/platform.h"

namespace vsim {

namespace {

constexpr int kProgressEverySteps = 256;
// What the journal keeps of one window for the nearest calls a failed
// "expect call" shows: about 100 MB at the most.
constexpr std::size_t kKeptCallsPerWindow = 1'000'000;
constexpr auto kProgressInterval = std::chrono::milliseconds(100);

// A line on the terminal that follows the flight.
class ProgressLine final : public RunObserver {
public:
  explicit ProgressLine(std::string file) : file_(std::move(file)) {}
  void StepDone(const Host& host) override {
    if (host.StepCount() % kProgressEverySteps != 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < kProgressInterval) return;
    last_ = now;
    std::fprintf(stderr, "\r%s: step %d  t=%.1f s", file_.c_str(), host.StepCount(),
                 host.SimTime());
    if (const VesselRecord* focus = host.Focus())
      std::fprintf(stderr, "  altitude %.0f m  airspeed %.1f m/s   ", focus->readings.altitude,
                   focus->readings.airspeed);
    std::fflush(stderr);
    shown_ = true;
  }
  void RunEnded(Host&, bool) override {
    if (shown_) std::fputc('\n', stderr);
  }

private:
  std::string file_;
  std::chrono::steady_clock::time_point last_{};
  bool shown_ = false;
};

// The operations some "expect call" or "expect no-call" names: all the
// journal needs to keep.
std::vector<std::string> CheckedOperations(const Script& script) {
  std::vector<std::string> names;
  for (const ExpectCallCommand* c : script.All<ExpectCallCommand>()) names.push_back(c->operation);
  for (const ExpectNoCallCommand* c : script.All<ExpectNoCallCommand>()) names.push_back(c->name);
  return names;
}

// The names a script gave its animations, by index, for the log's columns.
std::vector<std::string> AnimationNames(const Script& script) {
  std::vector<std::string> names;
  for (const NameCommand* c : script.All<NameCommand>()) {
    if (c->sound) continue;
    const auto index = static_cast<std::size_t>(c->index);
    if (names.size() <= index) names.resize(index + 1);
    names[index] = c->name;
  }
  for (std::size_t i = 0; i < names.size(); ++i)
    if (names[i].empty()) names[i] = std::to_string(i);
  return names;
}

// The sound slot the log and plot show as the engine: the one a script
// named "engine".
int EngineSlot(const Script& script, int fallback) {
  for (const NameCommand* c : script.All<NameCommand>())
    if (c->sound && c->name == "engine") return c->index;
  return fallback;
}

// The groups a flight drives: main and hover (the module's own controls
// move them too), and whatever the script sets or holds.
std::vector<THGROUP_TYPE> DrivenGroups(const Script& script) {
  std::vector<THGROUP_TYPE> groups{THGROUP_MAIN, THGROUP_HOVER};
  for (const ThrottleCommand* c : script.All<ThrottleCommand>()) groups.push_back(c->group);
  for (const ThrustCommand* c : script.All<ThrustCommand>()) groups.push_back(c->group);
  for (const AutopilotCommand* c : script.All<AutopilotCommand>())
    for (THGROUP_TYPE g : GroupsHeldBy(c->hold)) groups.push_back(g);
  return groups;
}

PlotLayout PlotLayoutOf(const Script& script) {
  PlotLayout layout;
  for (const PlotAnimCommand* c : script.All<PlotAnimCommand>())
    layout.animations.push_back({c->index, c->label});
  for (const PlotLimitCommand* c : script.All<PlotLimitCommand>())
    layout.limits.push_back({c->quantity == PlotQuantity::kAltitude, c->value, c->label});
  return layout;
}

std::vector<std::unique_ptr<RunObserver>> MakeOutputs(const Script& script,
                                                      const FlightOptions& options) {
  FileSystem& files = options.Files();
  std::vector<std::unique_ptr<RunObserver>> outputs;
  if (!options.trace_path.empty())
    outputs.push_back(std::make_unique<TraceWriter>(files, options.trace_path));
  if (!options.out_dir.empty()) {
    const int engine = EngineSlot(script, options.engine_slot);
    outputs.push_back(std::make_unique<CsvLog>(
        files, LogOptions{options.out_dir, options.log_every, engine, AnimationNames(script),
                          DrivenGroups(script), options.log_columns}));
    // The script's name, as the title of the plot and the page.
    const std::string name = std::filesystem::path(script.file).filename().string();
    outputs.push_back(std::make_unique<SvgPlot>(files, options.out_dir + "/flight.svg", name,
                                                PlotLayoutOf(script), engine));
    if (options.html)
      outputs.push_back(
          std::make_unique<FlightPage>(files, options.out_dir + "/flight.html",
                                       std::filesystem::path(script.file).filename().string(),
                                       AnimationNames(script), PlotLayoutOf(script)));
  }
  if (options.progress) outputs.push_back(std::make_unique<ProgressLine>(script.file));
  return outputs;
}

// Every output finished first, then all put in place: one that cannot be
// written keeps the others from appearing too.
void EndAll(const std::vector<std::unique_ptr<RunObserver>>& outputs, Host& host) {
  for (const auto& o : outputs) o->RunEnded(host, true);
  for (const auto& o : outputs) o->Publish();
}

void Abandon(const std::vector<std::unique_ptr<RunObserver>>& outputs, Host& host) {
  for (const auto& o : outputs) {
    try {
      o->RunEnded(host, false);
    } catch (const FileError&) {
      // Nothing is kept of an abandoned run.
    }
    o->Discard();
  }
}

// A run stopped by a command that could not be carried out keeps the
// outputs of the steps it ran, marked where it stopped.
std::string KeepStoppedRun(const std::vector<std::unique_ptr<RunObserver>>& outputs, Host& host) {
  const FlightEvent stop{host.StepCount(), host.SimTime(), "stopped"};
  for (const auto& o : outputs) o->EventHappened(stop);
  const int steps = host.StepCount();
  host.UnloadModule();
  EndAll(outputs, host);
  return "; outputs cover steps 0.." + std::to_string(steps);
}

std::string Absolute(const std::string& path) {
  if (path.empty()) return path;
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.lexically_normal().string();
}

// The paths a flight uses, taken from the current folder, for a flight that
// runs in another.
FlightOptions Resolved(const FlightOptions& options) {
  FlightOptions resolved = options;
  for (std::string* path : {&resolved.module_path, &resolved.module_override, &resolved.sound_path,
                            &resolved.out_dir, &resolved.trace_path, &resolved.host_dir})
    *path = Absolute(*path);
  return resolved;
}

Script Resolved(const Script& script) {
  Script resolved = script;
  for (ScriptLine& line : resolved.commands)
    if (auto* module = std::get_if<ModuleCommand>(&line.command))
      module->path = Absolute(module->path);
  return resolved;
}

FlightResult Fly(const Script& script, const FlightOptions& options);

}  // namespace

// Messages name paths as the user gave them, not as resolved.
void SayAsGiven(std::string& text, const std::vector<std::pair<std::string, std::string>>& paths) {
  for (const auto& [resolved, given] : paths) {
    if (resolved.empty() || resolved == given) continue;
    for (std::size_t at = text.find(resolved); at != std::string::npos;
         at = text.find(resolved, at + given.size()))
      text.replace(at, resolved.size(), given);
  }
}

FlightResult RunFlight(const Script& script, const FlightOptions& options) {
  if (options.host_dir.empty()) return Fly(script, options);
  const FlightOptions resolved = Resolved(options);
  const Script resolved_script = Resolved(script);
  std::vector<std::pair<std::string, std::string>> paths{
      {resolved.module_path, options.module_path},
      {resolved.module_override, options.module_override},
      {resolved.sound_path, options.sound_path},
      {resolved.trace_path, options.trace_path},
      {resolved.out_dir, options.out_dir},
      {resolved.host_dir, options.host_dir}};
  for (std::size_t i = 0; i < script.commands.size(); ++i)
    if (const auto* m = std::get_if<ModuleCommand>(&script.commands[i].command))
      paths.push_back({std::get<ModuleCommand>(resolved_script.commands[i].command).path, m->path});
  // The longest first, so that a folder's name does not cut into a file's.
  std::sort(paths.begin(), paths.end(),
            [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
  std::error_code error;
  std::filesystem::create_directories(resolved.host_dir, error);
  FlightResult result;
  try {
    const platform::EnteredFolder entered(resolved.host_dir);
    result = Fly(resolved_script, resolved);
  } catch (const std::filesystem::filesystem_error& e) {
    const bool outputs = options.host_dir == options.out_dir;
    result.error = (outputs ? "cannot create the output folder "
                            : "cannot enter the module's working folder ") +
                   options.host_dir + ": " + (error ? error : e.code()).message();
  }
  SayAsGiven(result.error, paths);
  for (std::string& failure : result.failures) SayAsGiven(failure, paths);
  for (FlightEvent& event : result.events) SayAsGiven(event.text, paths);
  return result;
}

namespace {

FlightResult Fly(const Script& script, const FlightOptions& options) {
  FlightResult result;
  Host host;
  const bool keep = script.NeedsJournal();
  host.journal().enabled = keep || !options.trace_path.empty();
  host.journal().keep = keep;
  host.journal().KeepOnly(CheckedOperations(script));
  host.journal().kept_limit = kKeptCallsPerWindow;
  for (const ExpectCallCommand* c : script.All<ExpectCallCommand>())
    host.journal().Watch(c->pattern);
  std::unique_ptr<OutputFolder> folder;
  std::vector<std::unique_ptr<RunObserver>> outputs;
  std::vector<RunObserver*> observers;
  std::unique_ptr<Interpreter> interpreter;
  const ScriptLine* line = nullptr;
  try {
    if (!options.out_dir.empty())
      folder = std::make_unique<OutputFolder>(options.Files(), options.out_dir);
    outputs = MakeOutputs(script, options);
    for (const auto& o : outputs) observers.push_back(o.get());
    for (RunObserver* o : observers) o->RunStarted(host);
    interpreter = std::make_unique<Interpreter>(host, script, options, observers, result);
    for (std::size_t next = 0; next < script.commands.size();) {
      line = &script.commands[next];
      next = interpreter->Execute(next);
    }
    line = nullptr;
    if (const VesselRecord* focus = host.Focus()) result.final_fuel = focus->FuelMass();
    // The vessels end and the module unloads inside the trace.
    host.UnloadModule();
    EndAll(outputs, host);
  } catch (const FileError& e) {
    result.error = e.what();
    Abandon(outputs, host);
  } catch (const std::runtime_error& e) {
    result.error = (line != nullptr ? script.Where(*line) + ": " : "") + e.what();
    if (const VesselRecord* focus = host.Focus()) result.final_fuel = focus->FuelMass();
    const bool files = !options.out_dir.empty() || !options.trace_path.empty();
    try {
      if (files && interpreter) result.error += KeepStoppedRun(outputs, host);
    } catch (const FileError& f) {
      result.error += std::string("; ") + f.what();
    }
    Abandon(outputs, host);
  }
  if (interpreter) {
    result.passed = interpreter->tally().passed;
    result.failed = interpreter->tally().failed;
    result.failures = interpreter->tally().failures;
  }
  result.steps = host.StepCount();
  result.sim_time = host.SimTime();
  return result;
}

}  // namespace

}  // namespace vsim
