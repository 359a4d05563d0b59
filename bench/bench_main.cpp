// Runs every benchmark, then prints one table of the figures that matter,
// their ratios and their targets, from the medians when the benchmarks
// were repeated.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr double kNs = 1e9, kUs = 1e6, kMs = 1e3;
constexpr double kKilobyte = 1024;

struct Figure {
  double seconds = 0;       // CPU time per iteration
  double wall_seconds = 0;  // real time per iteration
  std::map<std::string, double> counters;
};

class TableReporter : public benchmark::ConsoleReporter {
public:
  TableReporter() : ConsoleReporter(OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (run.run_type == Run::RT_Aggregate && !median) continue;
      const std::string name = run.run_name.str();
      if (!median && medians_.count(name) != 0) continue;
      Figure& figure = figures_[name];
      figure.seconds = run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      figure.wall_seconds =
          run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      for (const auto& [counter, value] : run.counters) figure.counters[counter] = value.value;
      if (median) medians_[name] = true;
    }
  }

  void PrintTable() const {
    std::printf("\n%-52s %12s %14s\n", "figure", "measured", "target");
    const double heli = Time("BM_HelicopterStep_Flight");
    const double floor = Time("BM_FloorStep");
    Row("helicopter step, in flight", heli * kNs, "ns", "< 100", heli * kNs < 100);
    Row("helicopter step, taxiing", Time("BM_HelicopterStep_Taxi") * kNs, "ns");
    Row("helicopter step, sound library loaded", Time("BM_HelicopterStep_Sound") * kNs, "ns");
    Row("helicopter step, journal on", Time("BM_HelicopterStep_Recorded") * kNs, "ns");
    Row("floor step (the helicopter's host calls only)", floor * kNs, "ns");
    Row("empty step", Time("BM_EmptyStep") * kNs, "ns");
    Row("helicopter step / floor step", heli / floor, "x", "<= 1.5", heli / floor <= 1.5);
    // Checked by the benchmark against the helicopter's calls in its state.
    const double calls = Counter("BM_FloorStep", "host_calls");
    Row("  host calls a step (the helicopter's, checked)", calls, "");
    Row("  with the sound library (the helicopter's)",
        Counter("BM_HelicopterStep_Sound", "host_calls"), "");
    const double per_call = calls > 0 ? floor / calls * kNs : 0;
    Row("floor step per host call", per_call, "ns", "<= 1.5", per_call <= 1.5);
    for (const char* count : {"1", "10", "100"}) {
      const double frame = Time(std::string("BM_Frame/helicopters:") + count);
      Row(std::string("frame with physics, ") + count + " helicopters", frame * kUs, "us");
    }
    const double frame1000 = Time("BM_Frame/helicopters:1000");
    Row("frame with physics, 1000 helicopters", frame1000 * kMs, "ms", "< 0.6",
        frame1000 * kMs < 0.6);
    Row("  per helicopter", frame1000 / 1000 * kNs, "ns");
    const double create = Time("BM_CreateDestroy");
    Row("create + destroy", create * kUs, "us", "< 10", create * kUs < 10);
    const double cycle = Time("BM_LoadCreateDestroyUnload/sound:0");
    Row("load + create + destroy + unload", cycle * kUs, "us", "< 60", cycle * kUs < 60);
    Row("  with the sound library loaded (no log written)",
        Time("BM_LoadCreateDestroyUnload/sound:1") * kUs, "us");
    const double empty_cycle = Time("BM_EmptyLoadCreateDestroyUnload");
    Row("  the empty module's cycle", empty_cycle * kUs, "us");
    Row("  helicopter's cycle / the empty module's", empty_cycle > 0 ? cycle / empty_cycle : 0,
        "x");
    const double flight = Time("BM_DefaultFlight/trace:0");
    Row("default flight", flight * kMs, "ms", "< 40", flight * kMs < 40);
    const double traced = Time("BM_DefaultFlight/trace:1");
    Row("default flight with the trace", traced * kMs, "ms", "< 80", traced * kMs < 80);
    const double page = Time("BM_PageWrite");
    Row("flight page written, the default flight's length", page * kMs, "ms", "< 20",
        page * kMs < 20);
    const double host_bytes = Counter("BM_MemoryPerHelicopter/iterations:3", "host_bytes");
    Row("host memory per helicopter", host_bytes / kKilobyte, "KB", "< 6",
        host_bytes / kKilobyte < 6);
    Row("  in blocks", Counter("BM_MemoryPerHelicopter/iterations:3", "blocks"), "");
    Row("module memory per helicopter",
        Counter("BM_MemoryPerHelicopter/iterations:3", "module_bytes"), "B");
    // The validator's checks run in processes of their own: wall-clock time.
    const ValidateTarget kValidateTargets[] = {{"quick", 1}, {"standard", 5}, {"thorough", 60}};
    for (std::size_t level = 0; level < std::size(kValidateTargets); ++level) {
      const ValidateTarget& t = kValidateTargets[level];
      const double wall =
          Wall("BM_Validate/level:" + std::to_string(level) + "/iterations:1/real_time");
      const std::string target = "< " + std::to_string(t.limit_s);
      Row(std::string("validate the helicopter, ") + t.level + " (wall clock)", wall, "s",
          target.c_str(), wall < t.limit_s);
    }
  }

private:
  struct ValidateTarget {
    const char* level;
    int limit_s;
  };
  double Wall(const std::string& name) const {
    const auto found = figures_.find(name);
    return found == figures_.end() ? 0 : found->second.wall_seconds;
  }
  double Time(const std::string& name) const {
    const auto found = figures_.find(name);
    return found == figures_.end() ? 0 : found->second.seconds;
  }
  double Counter(const std::string& name, const std::string& counter) const {
    const auto found = figures_.find(name);
    if (found == figures_.end()) return 0;
    const auto value = found->second.counters.find(counter);
    return value == found->second.counters.end() ? 0 : value->second;
  }
  static void Row(const std::string& what, double value, const char* unit,
                  const char* target = nullptr, bool met = true) {
    char measured[32];
    if (value > 0)
      std::snprintf(measured, sizeof measured, "%.3g %s", value, unit);
    else
      std::snprintf(measured, sizeof measured, "not run");
    if (target == nullptr) {
      std::printf("%-52s %12s\n", what.c_str(), measured);
      return;
    }
    std::printf("%-52s %12s %8s %-3s %s\n", what.c_str(), measured, target, unit,
                value <= 0 ? "" : (met ? "met" : "MISSED"));
  }

  std::map<std::string, Figure> figures_;
  std::map<std::string, bool> medians_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TableReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintTable();
  benchmark::Shutdown();
  return 0;
}
