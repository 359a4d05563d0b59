#include "sim/program/check_command.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <thread>

#include "sim/outputs/check_report.h"
#include "sim/platform/child_process.h"
#include "sim/platform/file_identity.h"
#include "sim/platform/platform.h"
#include "sim/program/clash_check.h"
#include "sim/program/last_words.h"
#include "sim/script/parser.h"

namespace vesselsim {

namespace {

namespace fs = std::filesystem;

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kMaxJobs = 256;
// A script run in a process of its own may take this long.
constexpr double kChildTimeLimit_s = 24 * 3600;

// A script to check, and the folder it was found in (empty: named itself).
struct Found {
  std::string path;
  std::string folder;
};

// The scripts a check names: files as given, folders as their *.vsim files
// in name order. A folder with none is a failure of its own.
std::vector<Found> Expand(const std::vector<std::string>& paths,
                          std::vector<vsim::ScriptCheck>& empty_folders) {
  std::vector<Found> scripts;
  for (const std::string& path : paths) {
    std::error_code error;
    if (!fs::is_directory(path, error)) {
      scripts.push_back({path, ""});
      continue;
    }
    std::vector<std::string> found;
    // Forward slashes, so that reports name a script alike on every system.
    for (const auto& entry : fs::directory_iterator(path, error))
      if (entry.path().extension() == ".vsim") found.push_back(entry.path().generic_string());
    std::sort(found.begin(), found.end());
    if (found.empty()) {
      vsim::ScriptCheck none;
      none.file = path;
      none.error = "no *.vsim scripts in this folder";
      empty_folders.push_back(none);
    }
    for (const std::string& f : found) scripts.push_back({f, path});
  }
  return scripts;
}

std::vector<Found> Selected(const std::vector<Found>& found, const CheckSettings& s) {
  const std::regex include(s.include.empty() ? ".*" : s.include);
  const std::regex exclude(s.exclude.empty() ? "$^" : s.exclude);
  std::vector<Found> selected;
  for (const Found& f : found)
    if (std::regex_search(f.path, include) && !std::regex_search(f.path, exclude))
      selected.push_back(f);
  return selected;
}

int ExpectationCount(const vsim::Script& script) {
  return static_cast<int>(script.All<vsim::ExpectCommand>().size() +
                          script.All<vsim::ExpectCallCommand>().size() +
                          script.All<vsim::ExpectNoCallCommand>().size());
}

int List(const std::vector<Found>& scripts, vsim::FileSystem& files) {
  for (const Found& f : scripts) {
    try {
      std::printf("%s  %d expectations\n", f.path.c_str(),
                  ExpectationCount(vsim::LoadScript(f.path, files)));
    } catch (const vsim::ScriptError& e) {
      const std::string what = e.what();
      std::printf("%s  does not parse: %s\n", f.path.c_str(),
                  what.substr(0, what.find('\n')).c_str());
    }
  }
  return 0;
}

vsim::ScriptCheck Check(const vsim::Script& script, const vsim::FlightOptions& options) {
  const auto start = std::chrono::steady_clock::now();
  const vsim::FlightResult result = vsim::RunFlight(script, options);
  vsim::ScriptCheck check;
  check.file = script.file;
  check.passed = result.passed;
  check.failures = result.failures;
  check.error = result.error;
  if (check.error.empty() && result.passed + result.failed == 0)
    check.error = "no expectations: nothing was checked";
  check.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return check;
}

// The folder a failed script's outputs are kept in: its path below the
// folder it was found in, or as given, without its extension, so that
// a/x.vsim and b/x.vsim do not meet.
std::string KeptFolder(const std::string& keep, const Found& f) {
  fs::path relative =
      f.folder.empty() ? fs::path(f.path) : fs::path(f.path).lexically_relative(f.folder);
  if (!f.folder.empty()) relative = fs::path(f.folder).filename() / relative;
  fs::path kept;
  for (const fs::path& part : relative.lexically_normal().relative_path())
    if (part != ".." && part != ".") kept /= part;
  kept.replace_extension();
  return (fs::path(keep) / kept).generic_string();
}

// A failed script flown again with every output, so that a passing one
// pays nothing for them.
void KeepOutputs(const std::string& keep, const Found& f, const vsim::Script* script,
                 const vsim::ScriptCheck& check, vsim::FlightOptions options) {
  const std::string folder = KeptFolder(keep, f);
  std::error_code error;
  fs::create_directories(folder, error);
  if (script == nullptr) {
    std::ofstream(folder + "/errors.txt", std::ios::binary) << check.error << "\n";
    return;
  }
  options.out_dir = folder;
  options.trace_path = folder + "/trace.txt";
  options.html = true;
  options.host_dir = folder;
  options.progress = false;
  vsim::RunFlight(*script, options);
}

// A script checked in a process of its own: what it wrote as its result,
// or what became of the process.
vsim::ScriptCheck CheckInChild(const std::string& path, const vsim::FlightOptions& options,
                               const std::string& scratch, int serial) {
  const std::string result = scratch + "/result-" + std::to_string(serial) + ".json";
  std::vector<std::string> argv{vsim::platform::ExecutablePath(), "check", path, "--result-file",
                                result};
  if (!options.module_override.empty()) {
    argv.push_back("--module");
    argv.push_back(options.module_override);
  }
  const vsim::platform::ChildOutcome child =
      vsim::platform::RunChild(argv, kChildTimeLimit_s, scratch);
  std::ifstream in(result, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  if (!text.empty()) {
    try {
      return vsim::ScriptCheckFromJson(text);
    } catch (const std::runtime_error&) {
      // Told below as what became of the process.
    }
  }
  vsim::ScriptCheck failed;
  failed.file = path;
  std::string said = child.output;
  while (!said.empty() && said.back() == '\n') said.pop_back();
  failed.error = "its process " +
                 (child.started ? "ended with " + child.how : std::string("did not start")) +
                 (said.empty() ? "" : ": " + said.substr(said.rfind('\n') + 1));
  return failed;
}

struct ScratchFolder {
  std::string path = (fs::temp_directory_path() /
                      ("vesselsim-check-" + std::to_string(vsim::platform::CurrentProcessId())))
                         .string();
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
};

// A check under way, for the report written when the module ends the
// process: the scripts checked, the one running (failed) and those not run.
struct CheckUnderWay {
  const CheckSettings* settings = nullptr;
  const std::vector<vsim::ScriptCheck>* planned = nullptr;
  std::vector<vsim::ScriptCheck>* checks = nullptr;
  std::size_t running = 0;
};
CheckUnderWay check_under_way;

void Report(const CheckSettings& s, const std::vector<vsim::ScriptCheck>& checks);

void ReportEndedCheck(const char* message) {
  const CheckUnderWay& c = check_under_way;
  if (c.settings == nullptr) return;
  std::vector<vsim::ScriptCheck> checks = *c.checks;
  std::string text = message;
  while (!text.empty() && text.back() == '\n') text.pop_back();
  for (std::size_t i = checks.size(); i < c.planned->size(); ++i) {
    vsim::ScriptCheck check = (*c.planned)[i];
    if (i == c.running) check.error = text;
    check.not_run = i != c.running && !check.errored;
    checks.push_back(check);
  }
  Report(*c.settings, checks);
  // The process ends without flushing its streams.
  std::fflush(stdout);
}

void Report(const CheckSettings& s, const std::vector<vsim::ScriptCheck>& checks) {
  if (!s.result_file.empty()) {
    vsim::WriteReport(vsim::SystemFiles(), s.result_file, vsim::Json(checks));
    return;
  }
  if (s.json) {
    std::fputs(vsim::Json(checks).c_str(), stdout);
  } else {
    for (const vsim::ScriptCheck& c : checks) {
      for (const std::string& f : c.failures) std::printf("%s\n", f.c_str());
      if (!c.error.empty())
        std::printf("%s%s\n", c.error.rfind(c.file, 0) == 0 ? "" : (c.file + ": ").c_str(),
                    c.error.c_str());
    }
    const vsim::CheckTotals totals = vsim::Totals(checks);
    std::printf("%d passed, %d failed", totals.passed, totals.failed);
    if (totals.errored > 0) std::printf(", %d scripts did not parse", totals.errored);
    std::printf("\n");
  }
  if (!s.junit.empty()) vsim::WriteReport(vsim::SystemFiles(), s.junit, vsim::JUnitXml(checks));
}

}  // namespace

CLI::App* AddCheckCommand(CLI::App& app, CheckSettings& s) {
  CLI::App* check = app.add_subcommand(
      "check",
      "run flight scripts as tests, each script a test case: every expect line is a check; a "
      "script that checks nothing fails, one that does not parse is an error and the others "
      "still run");
  check->add_option("scripts", s.scripts, "flight scripts, or folders of *.vsim scripts")
      ->required()
      ->type_name("SCRIPTS");
  check->add_option("--junit", s.junit, "also write the results as JUnit XML to this file")
      ->type_name("FILE");
  check->add_flag("--json", s.json, "print the results as JSON instead of the summary line");
  check->add_flag("--list", s.list, "list the scripts and how many expectations each has");
  check->add_option("--include", s.include, "check only the scripts whose path matches")
      ->type_name("REGEX");
  check->add_option("--exclude", s.exclude, "leave out the scripts whose path matches")
      ->type_name("REGEX");
  check
      ->add_option(
          "--keep-outputs", s.keep_outputs,
          "keep flight.csv, flight.svg, flight.html and trace.txt of each failed script (and the "
          "messages of one that does not parse) in DIR/ + the script's path")
      ->type_name("DIR");
  check
      ->add_option("--jobs", s.jobs,
                   "check N scripts at once, each in a process of its own (same results, same "
                   "order)")
      ->type_name("N")
      ->check(CLI::Range(1, kMaxJobs));
  check->add_option("--result-file", s.result_file)->group("");
  return check;
}

int RunCheck(const CheckSettings& given, const vsim::FlightOptions& flight) {
  // The flights run in a folder of their own: reports are named from here.
  CheckSettings s = given;
  for (std::string* path : {&s.junit, &s.result_file, &s.keep_outputs})
    if (!path->empty()) *path = fs::absolute(*path).lexically_normal().string();
  std::vector<vsim::ScriptCheck> checks;
  std::vector<Found> found;
  try {
    found = Selected(Expand(s.scripts, checks), s);
  } catch (const std::regex_error& e) {
    std::fprintf(stderr, "vesselsim check: a bad --include or --exclude: %s\n", e.what());
    return kExitUsage;
  }
  if (s.list) return List(found, flight.Files());
  if (found.empty() && checks.empty()) {
    std::fprintf(stderr, "vesselsim check: no script matches: nothing would be checked\n");
    return kExitUsage;
  }
  // Every script read first; one that does not parse is an errored case.
  std::vector<std::unique_ptr<vsim::Script>> scripts;
  std::vector<vsim::ScriptCheck> planned;
  for (const Found& f : found) {
    vsim::ScriptCheck plan;
    plan.file = f.path;
    try {
      scripts.push_back(std::make_unique<vsim::Script>(vsim::LoadScript(f.path, flight.Files())));
    } catch (const vsim::ScriptError& e) {
      scripts.push_back(nullptr);
      plan.errored = true;
      plan.error = e.what();
    }
    planned.push_back(plan);
  }
  vsim::FlightOptions options = flight;
  options.out_dir.clear();
  options.trace_path.clear();
  // What the modules write of their own goes into a folder of the check's,
  // removed afterwards.
  const ScratchFolder host_dir;
  if (options.host_dir.empty()) options.host_dir = host_dir.path;
  std::vector<const vsim::Script*> read;
  for (const auto& script : scripts)
    if (script) read.push_back(script.get());
  std::vector<vsim::NamedPath> outputs{{"--junit", given.junit}};
  if (Clashes(RunInputs(read, options), outputs)) return kExitUsage;

  const std::size_t first = checks.size();
  checks.resize(first + planned.size());
  if (s.jobs > 1 && s.result_file.empty()) {
    const fs::path scratch = fs::path(host_dir.path) / "jobs";
    std::atomic<std::size_t> next{0};
    std::vector<std::thread> workers;
    // Each worker its own folder for its children's output files.
    const auto work = [&](int job) {
      const std::string folder = (scratch / ("job-" + std::to_string(job))).string();
      std::error_code error;
      fs::create_directories(folder, error);
      for (std::size_t i; (i = next++) < planned.size();)
        checks[first + i] = scripts[i]
                                ? CheckInChild(found[i].path, options, folder, static_cast<int>(i))
                                : planned[i];
    };
    for (int j = 0; j < s.jobs; ++j) workers.emplace_back(work, j);
    for (std::thread& w : workers) w.join();
  } else {
    checks.resize(first);
    std::vector<vsim::ScriptCheck> all = checks;
    all.insert(all.end(), planned.begin(), planned.end());
    check_under_way = {&s, &all, &checks, first};
    OnModuleExit(ReportEndedCheck);
    for (std::size_t i = 0; i < planned.size(); ++i, ++check_under_way.running)
      checks.push_back(scripts[i] ? Check(*scripts[i], options) : planned[i]);
    check_under_way = {};
  }
  if (!s.keep_outputs.empty())
    for (std::size_t i = 0; i < planned.size(); ++i)
      if (checks[first + i].Failed())
        KeepOutputs(s.keep_outputs, found[i], scripts[i].get(), checks[first + i], options);
  try {
    Report(s, checks);
  } catch (const vsim::FileError& e) {
    std::fprintf(stderr, "vesselsim: %s\n", e.what());
    return kExitFailed;
  }
  const vsim::CheckTotals totals = vsim::Totals(checks);
  if (totals.errored > 0) return kExitUsage;
  return totals.failed == 0 ? 0 : kExitFailed;
}

}  // namespace vesselsim
