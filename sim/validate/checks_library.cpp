// Checks of the library itself: its exports, loading and unloading it, and
// making and ending its vessels.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>

#include "sim/core/module_library.h"
#include "sim/platform/platform.h"
#include "sim/platform/process_figures.h"
#include "sim/validate/checks.h"
#include "sim/validate/exports.h"
#include "sim/validate/world.h"

namespace vsim::validate {

namespace {

const char* const kEntryPoints[] = {"ovcInit", "ovcExit", "ModuleDate", "GetModuleVersion"};
// Exit hooks the host looks up in a module's own exports.
const char* const kKnownHooks[] = {"ExitModule", "opcDLLExit"};

// The host's classes, by their mangled names: a module that exports their
// type information was built with a header that gave them default
// visibility, and hiding its own symbols does not hide these.
const char* const kHostClasses[] = {"6VESSEL", "7VESSEL2"};
const char* const kTypeInformation[] = {"_ZTI", "_ZTS"};

// Type information of function types ("_ZTIFivE": int()), which the
// undefined-behaviour sanitizer's function check exports from any
// instrumented library: the build's, not the module's own surface.
const char* const kFunctionTypeInformation[] = {"_ZTIF", "_ZTSF"};

bool FunctionTypeInformation(const std::string& name) {
  return std::any_of(std::begin(kFunctionTypeInformation), std::end(kFunctionTypeInformation),
                     [&](const char* prefix) { return name.rfind(prefix, 0) == 0; });
}

bool HostTypeInformation(const std::string& name) {
  for (const char* prefix : kTypeInformation)
    for (const char* host_class : kHostClasses)
      if (name == std::string(prefix) + host_class) return true;
  return false;
}

constexpr long kMaxGrowthKiB = 1024;
// A module that answers differently after a few calls shows it well within these.
constexpr int kCallsCompared = 100;

// A build date as the compiler writes it: "Nov 28 2010", "Nov  8 2010".
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr int kLastDay = 31;
constexpr int kFirstYear = 1900;
constexpr int kLastYear = 9999;

bool IsDate(const std::string& text) {
  char month[4] = {};
  int day = 0, year = 0, end = 0;
  if (std::sscanf(text.c_str(), "%3s %d %d%n", month, &day, &year, &end) != 3 ||
      static_cast<std::size_t>(end) != text.size())
    return false;
  return std::any_of(std::begin(kMonths), std::end(kMonths),
                     [&](const char* m) { return std::strcmp(m, month) == 0; }) &&
         day >= 1 && day <= kLastDay && year >= kFirstYear && year <= kLastYear;
}

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& n : names) text += (text.empty() ? "" : ", ") + n;
  return text;
}

// Memory and handles after the warm-up, against the end: a leak per cycle
// or per vessel shows; allocator noise does not.
class Growth {
public:
  void Mark() {
    memory_ = platform::ResidentKiB();
    handles_ = platform::OpenHandles();
  }
  // Memory growth that says nothing of the module is reported, not judged.
  void JudgeMemory(bool judge) { judge_memory_ = judge; }
  std::string Problem(const char* per) const {
    const long handles = platform::OpenHandles();
    if (handles_ >= 0 && handles > handles_)
      return "open files grew from " + std::to_string(handles_) + " to " + std::to_string(handles) +
             " over the " + per;
    const long memory = platform::ResidentKiB();
    if (judge_memory_ && !kSanitized && memory_ >= 0 && memory - memory_ > kMaxGrowthKiB)
      return "resident memory grew by " + std::to_string(memory - memory_) + " KiB over the " + per;
    return "";
  }
  // Memory not judged is reported without its limit.
  std::vector<Figure> Figures(const std::string& per) const {
    const auto memory = static_cast<double>(platform::ResidentKiB() - memory_);
    const auto handles = static_cast<double>(platform::OpenHandles() - handles_);
    const std::string memory_name = "memory growth over the " + per;
    return {judge_memory_ && !kSanitized
                ? AtMost(memory_name, memory, "KiB", static_cast<double>(kMaxGrowthKiB))
                : Measured(memory_name + " (not judged)", memory, "KiB"),
            AtMost("open files growth", handles, "", 0)};
  }

private:
  long memory_ = -1;
  long handles_ = -1;
  bool judge_memory_ = true;
};

}  // namespace

Result CheckExports(const Target& target) {
  const ExportTable table = ReadExports(target.module);
  if (!table.error.empty()) return Fail(table.error);
  for (const char* entry : kEntryPoints)
    if (std::find(table.names.begin(), table.names.end(), entry) == table.names.end())
      return Fail(std::string("the entry point \"") + entry + "\" is not exported by that name");
  std::vector<std::string> surface, extra, host_types;
  std::size_t function_types = 0;
  for (const std::string& name : table.names) {
    const auto is = [&](const char* n) { return name == n; };
    if (std::any_of(std::begin(kEntryPoints), std::end(kEntryPoints), is) ||
        std::any_of(std::begin(kKnownHooks), std::end(kKnownHooks), is))
      surface.push_back(name);
    else if (FunctionTypeInformation(name))
      ++function_types;
    else
      (HostTypeInformation(name) ? host_types : extra).push_back(name);
  }
  if (!extra.empty())
    return Fail("exports more than its entry points: " + Joined(extra) +
                " (hide them: -fvisibility=hidden and a version script, or no dllexport)");
  std::sort(host_types.begin(), host_types.end());
  if (!host_types.empty())
    return Fail("exports the host interface's type information: " + Joined(host_types) +
                " (the host's classes had default visibility in the header it was built "
                "with; build against the current host_api.h, or link with a version script "
                "that exports only the entry points, such as module/exports.map)");
  World world(target);
  std::set<std::string> dates;
  std::set<int> versions;
  for (int call = 1; call <= kCallsCompared; ++call) {
    const char* date = world.host.ModuleDate();
    world.Verify();
    if (date == nullptr)
      return Fail(
          "ModuleDate gave null at call " + std::to_string(call) + "; it must give its build date",
          "call " + std::to_string(call) + ", ModuleDate");
    dates.insert(date);
    versions.insert(world.host.ModuleVersion());
    world.Verify();
    if (dates.size() != 1)
      return Fail("ModuleDate gave \"" + *dates.begin() + "\" and then \"" + *dates.rbegin() +
                      "\" (by call " + std::to_string(call) + "): it must give one text",
                  "call " + std::to_string(call) + ", ModuleDate");
    if (versions.size() != 1)
      return Fail("GetModuleVersion gave " + std::to_string(*versions.begin()) + " and " +
                      std::to_string(*versions.rbegin()) + " (by call " + std::to_string(call) +
                      "): it must give one number",
                  "call " + std::to_string(call) + ", GetModuleVersion");
  }
  if (!IsDate(*dates.begin()))
    return Fail("ModuleDate gives \"" + *dates.begin() +
                    "\", not a date such as \"Nov 28 2010\" (month, day, year)",
                "ModuleDate");
  const std::vector<Figure> figures = {
      AtMost("names exported beyond the entry points", static_cast<double>(extra.size()), "", 0),
      AtLeast("calls answered alike", kCallsCompared, "", kCallsCompared)};
  return Pass(
      "exports exactly " + Joined(surface) +
          (function_types == 0 ? ""
                               : " (and the type information of " + std::to_string(function_types) +
                                     " function types, from the sanitizer's function check)") +
          "; date \"" + *dates.begin() + "\", version " + std::to_string(*versions.begin()) + "; " +
          FiguresText(figures),
      figures);
}

Result CheckLoadUnload(const Target& target) {
  Growth growth;
  growth.JudgeMemory(!platform::UnderWine());
  int attaches = -1;
  const Sizes& sizes = target.sizes();
  for (int cycle = 1; cycle <= sizes.load_cycles; ++cycle) {
    {
      World world(target);
      int seen = 0;
      for (const CallEntry& e : world.host.journal().Entries()) seen += e.Name() == "InitLib";
      if (seen > 1 || (attaches >= 0 && seen != attaches))
        return Fail("the library's attach ran " + std::to_string(seen) + " times in load " +
                        std::to_string(cycle),
                    "cycle " + std::to_string(cycle) + ", InitLib");
      attaches = seen;
      world.host.UnloadModule();
      world.Verify();
    }
    if (platform::LibraryLoaded(target.module))
      return Fail(
          "the library stays in memory after it was unloaded (pinned, e.g. by a GNU "
          "unique symbol or a thread of its own)",
          "cycle " + std::to_string(cycle));
    if (cycle == sizes.warm_up) growth.Mark();
  }
  const std::string problem = growth.Problem("cycles");
  if (!problem.empty()) return Fail(problem);
  std::vector<Figure> figures =
      growth.Figures(std::to_string(sizes.load_cycles - sizes.warm_up) +
                     " cycles after the first " + std::to_string(sizes.warm_up));
  figures.push_back(AtLeast("cycles unloaded", sizes.load_cycles, "", sizes.load_cycles));
  return Pass(std::to_string(sizes.load_cycles) + " cycles, unloaded each time; " +
                  FiguresText(figures) +
                  (platform::UnderWine()
                       ? " (memory not judged under Wine, whose loader keeps some per load)"
                       : ""),
              figures);
}

Result CheckCreateDestroy(const Target& target) {
  World world(target);
  Growth growth;
  const Sizes& sizes = target.sizes();
  for (int i = 1; i <= sizes.made_vessels; ++i) {
    world.Create("v");
    world.Step();
    world.Destroy("v");
    world.host.journal().Clear();
    if (i == sizes.warm_up) growth.Mark();
  }
  const std::string problem = growth.Problem("vessels");
  if (!problem.empty()) return Fail(problem);
  // A host may end a vessel it never got: the module must take null calmly.
  ModuleLibrary own(target.module);
  own.ovcExit(nullptr);
  world.Verify();
  const std::vector<Figure> figures =
      growth.Figures(std::to_string(sizes.made_vessels - sizes.warm_up) +
                     " vessels after the first " + std::to_string(sizes.warm_up));
  return Pass(std::to_string(sizes.made_vessels) +
                  " vessels made and ended, ovcExit(null) harmless; " + FiguresText(figures),
              figures);
}

}  // namespace vsim::validate
