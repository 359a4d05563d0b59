// "vesselsim validate" as a module's author runs it: the helicopter passes
// every check, and each module that breaks one rule fails that check alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "sim/platform/process_figures.h"
#include "sim/validate/exports.h"
#include "sim/validate/validation.h"
#include "tests/support.h"

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

std::string Module(const char* name) {
  return std::string(MISBEHAVING_FOLDER) + "/" + name + MODULE_SUFFIX;
}

// Each check's verdict from the report's lines: "  FAIL  exports  ...".
std::map<std::string, std::string> Verdicts(const std::string& report) {
  std::map<std::string, std::string> verdicts;
  static const std::regex line(R"(^  (PASS|FAIL|SKIP|WARN)  ([a-z-]+) )");
  std::istringstream in(report);
  for (std::string l; std::getline(in, l);) {
    std::smatch m;
    if (std::regex_search(l, m, line)) verdicts[m[2]] = m[1];
  }
  return verdicts;
}

std::map<std::string, std::string> JsonVerdicts(const std::string& text) {
  std::map<std::string, std::string> verdicts;
  const nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
  if (json.is_discarded()) return verdicts;
  for (const nlohmann::json& module : json.at("modules"))
    for (const nlohmann::json& check : module.at("checks"))
      verdicts[check.at("name").get<std::string>()] = check.at("verdict").get<std::string>();
  return verdicts;
}

std::map<std::string, std::string> JUnitVerdicts(const std::string& xml) {
  std::map<std::string, std::string> verdicts;
  static const std::regex testcase(
      R"re(name="([a-z-]+)" time="[0-9.]+">\n( *<(failure|skipped))?)re");
  for (std::sregex_iterator it(xml.begin(), xml.end(), testcase), end; it != end; ++it)
    verdicts[(*it)[1]] = (*it)[3] == "failure" ? "FAIL" : (*it)[3] == "skipped" ? "SKIP" : "PASS";
  return verdicts;
}

TEST(ValidateTest, TheHelicopterPassesEveryCheck) {
  test::ScratchDirectory scratch;
  std::string output;
  EXPECT_EQ(
      test::RunProgram(std::string("validate ") + MODULE_PATH + " --junit report.xml", output), 0)
      << output;
  auto verdicts = Verdicts(output);
  EXPECT_EQ(verdicts.size(), vsim::validate::Catalogue().size()) << output;
  // Its centre of mass behind its main points is its design: a warning.
  for (const auto& [check, verdict] : verdicts)
    EXPECT_EQ(verdict, check == "stands" || check == "ground-handling" ? "WARN" : "PASS")
        << check << "\n"
        << output;
  EXPECT_NE(output.find("its centre of mass lies 0.93 m outside the triangle of its points"),
            std::string::npos)
      << output;
  // By statics the nose would carry -5.2 kN, clipped to none, each main wheel 19.8 kN; the
  // hover balances the weight at 3500 kg x 9.81 / 45000 N.
  EXPECT_NE(output.find("loads on its points 0.0, 19.8, 19.8 kN"), std::string::npos) << output;
  EXPECT_NE(output.find("balance level 0.76300 at full fuel"), std::string::npos) << output;
  EXPECT_NE(output.find(std::to_string(verdicts.size()) +
                        " passed (2 with a warning), 0 failed, 0 skipped"),
            std::string::npos)
      << output;
  const std::string junit = test::ReadFile("report.xml");
  EXPECT_NE(junit.find("<system-out>warning: rests at "), std::string::npos) << junit;
  EXPECT_NE(output.find("WARN  ground-handling   yaw rate "), std::string::npos) << output;
  verdicts["stands"] = verdicts["ground-handling"] = "PASS";
  EXPECT_EQ(JUnitVerdicts(junit), verdicts) << "a warning passes in JUnit";
  // Every line but the speed's, which is reported and never judged, shows its limits.
  std::istringstream lines(output);
  for (std::string l; std::getline(lines, l);) {
    if (l.rfind("  PASS  ", 0) != 0 || l.rfind("  PASS  speed ", 0) == 0) continue;
    EXPECT_TRUE(l.find("(limit ") != std::string::npos || l.find("(at least ") != std::string::npos)
        << l;
  }
  // The summary: one row per check, its verdict, its key figure and its time.
  const std::size_t summary = output.find("summary of " + std::string(MODULE_PATH) + "\n");
  ASSERT_NE(summary, std::string::npos) << output;
  for (const auto& [check, verdict] : Verdicts(output)) {
    const std::regex row("\n  " + check + " +" + verdict + " +[^\n]+ [0-9]+[.][0-9]{2} s\n");
    EXPECT_TRUE(std::regex_search(output.substr(summary), row)) << check << "\n" << output;
  }
}

struct BrokenRule {
  const char* module;
  const char* check;   // the one check it must fail
  const char* reason;  // part of that check's reason
  // A check that needs the same ability and fails with it, or null.
  const char* also = nullptr;
};

void PrintTo(const BrokenRule& b, std::ostream* os) { *os << b.module; }

const BrokenRule kBrokenRules[] = {
#if defined(_WIN32)
    {"CrashesInInit", "create-destroy", "crashed with exception 0xC0000005"},
#else
    {"CrashesInInit", "create-destroy", "crashed with SIGSEGV"},
#endif
    {"ExportsMore", "exports", "exports more than its entry points: DebugCounter"},
    {"SharesState", "independence",
     "vessel watched flown beside others (among 2 vessels, one of them driven) does not do what "
     "it does flown alone: \"SetAnimation(0, 0.1) = true\" flown beside others against "
     "\"SetAnimation(0, 0) = true\" flown alone; state shared between vessels"},
    {"NanAfterNan", "hostile-readings",
     "SetAnimation: argument 2 is nan, not a finite number "
     "(after a nan altitude)"},
    {"LeaksPerVessel", "create-destroy", "resident memory grew by"},
    {"KeepsAHandle", "independence", "SetThrusterLevel: the thruster handle belongs to vessel"},
    {"NullDate", "exports", "ModuleDate gave null at call 1"},
    {"ShiftingVersion", "exports", "GetModuleVersion gave 1 and 2 (by call 7)"},
    {"NotADate", "exports", "ModuleDate gives \"the eighth of December\", not a date"},
    {"FaultsLate", "long-run", "SetAnimation: animation 1 out of range"},
    {"DeclaresInSteps", "steady-state", "declared CreateThruster("},
    {"WeakHover", "hovers", "its hover group cannot carry it: 1000 N of lift against", "envelope"},
    {"BackwardsPitch", "attitude", "its pitch up group turns it the wrong way"},
    {"NanDragLate", "envelope", "SetCW: argument 1 is nan, not a finite number [step 18002"},
    {"PointsAbove", "stands",
     "the plane of its touchdown points lies 0.50 m above its centre of mass"},
#if !defined(_WIN32)
    {"ExportsHostTypes", "exports",
     "exports the host interface's type information: _ZTI6VESSEL, _ZTS6VESSEL (the host's "
     "classes had default visibility"},
#endif
};

class BrokenRuleTest : public ::testing::TestWithParam<BrokenRule> {};

TEST_P(BrokenRuleTest, FailsItsCheckAndNoOther) {
  const BrokenRule& b = GetParam();
  if (std::string(b.module) == "LeaksPerVessel" && vsim::platform::kAddressSanitizer) {
    // Memory growth says nothing here; LeakSanitizer's report at the
    // check's exit fails it instead (and every other check that makes vessels).
    test::ScratchDirectory scratch;
    std::string text;
    EXPECT_EQ(test::RunProgram("validate --include create-destroy " + Module(b.module), text),
              kExitFailed);
    EXPECT_NE(text.find("FAIL  create-destroy    ended with exit"), std::string::npos) << text;
    EXPECT_NE(text.find("SUMMARY: AddressSanitizer: 65536000 byte(s) leaked"), std::string::npos)
        << text;
    return;
  }
  test::ScratchDirectory scratch;
  std::string text, json;
  EXPECT_EQ(test::RunProgram("validate " + Module(b.module), text), kExitFailed) << text;
  EXPECT_EQ(test::RunProgram("validate --json " + Module(b.module), json), kExitFailed) << json;
  const auto verdicts = Verdicts(text);
  ASSERT_EQ(verdicts.size(), vsim::validate::Catalogue().size()) << text;
  for (const auto& [check, verdict] : verdicts)
    EXPECT_EQ(verdict, check == b.check || (b.also != nullptr && check == b.also) ? "FAIL" : "PASS")
        << check << "\n"
        << text;
  EXPECT_NE(text.find(b.reason), std::string::npos) << text;
  EXPECT_EQ(JsonVerdicts(json), verdicts) << json;
}

INSTANTIATE_TEST_SUITE_P(Modules, BrokenRuleTest, ::testing::ValuesIn(kBrokenRules),
                         [](const auto& info) { return std::string(info.param.module); });

TEST(ValidateTest, SelectsListsAndRefusesWhatChecksNothing) {
  test::ScratchDirectory scratch;
  std::string output;
  EXPECT_EQ(test::RunProgram("validate --list", output), 0);
  for (const vsim::validate::Check& c : vsim::validate::Catalogue())
    EXPECT_NE(output.find(std::string(c.name) + " "), std::string::npos) << c.name;
  output.clear();
  EXPECT_EQ(
      test::RunProgram(std::string("validate --include exp --in-process ") + MODULE_PATH, output),
      0);
  EXPECT_EQ(Verdicts(output), (std::map<std::string, std::string>{{"exports", "PASS"}})) << output;
  output.clear();
  EXPECT_EQ(
      test::RunProgram("validate --include e --exclude \"^(exports|speed)$|-\" --only-failed " +
                           Module("ExportsMore"),
                       output),
      0)
      << output;
  EXPECT_NE(output.find("4 passed, 0 failed, 0 skipped"), std::string::npos)
      << "only independence, hovers, attitude and envelope have an e, no dash, and are neither "
         "exports nor speed:\n"
      << output;
  EXPECT_TRUE(Verdicts(output).empty()) << "--only-failed lists no passed check";
  for (const char* args : {"validate --include nothing-like-it ", "validate --include \"(\" "}) {
    output.clear();
    EXPECT_EQ(test::RunProgram(args + std::string(MODULE_PATH), output), kExitUsage) << args;
  }
  output.clear();
  EXPECT_EQ(test::RunProgram("validate", output), kExitUsage);
  output.clear();
  EXPECT_EQ(test::RunProgram("validate missing.so", output), kExitUsage);
  EXPECT_NE(output.find("vesselsim validate: missing.so: no such file"), std::string::npos)
      << output;
}

// A file that is no library fails once, with the reason, and runs no check.
TEST(ValidateTest, AFileThatIsNoLibraryFailsInOneLine) {
  test::ScratchDirectory scratch;
  { std::ofstream("notes.so") << "not a library\n"; }
  std::string output;
  EXPECT_EQ(test::RunProgram("validate notes.so", output), kExitFailed) << output;
  std::size_t failures = 0;
  std::istringstream lines(output);
  for (std::string l; std::getline(lines, l);) failures += l.rfind("  FAIL  ", 0) == 0 ? 1 : 0;
  EXPECT_EQ(failures, 1u) << output;
  EXPECT_NE(output.find("FAIL  library           "), std::string::npos) << output;
  EXPECT_NE(output.find("is neither an ELF nor a PE library; no check was run"), std::string::npos)
      << output;
  EXPECT_NE(output.find("0 passed, 1 failed, 0 skipped"), std::string::npos) << output;
}

struct RefusedTimeout {
  const char* name;
  const char* value;
  const char* message;
};
void PrintTo(const RefusedTimeout& t, std::ostream* os) { *os << t.name; }
const RefusedTimeout kRefusedTimeouts[] = {
    {"NotANumber", "nan", "--timeout: nan is not a finite number of seconds"},
    {"Infinite", "inf", "--timeout: inf is not a finite number of seconds"},
    {"Zero", "0", "--timeout: 0 is not a positive number of seconds"},
    {"Negative", "-1", "--timeout: -1 is not a positive number of seconds"},
};

class RefusedTimeoutTest : public ::testing::TestWithParam<RefusedTimeout> {};

TEST_P(RefusedTimeoutTest, IsBadUsage) {
  test::ScratchDirectory scratch;
  std::string output;
  EXPECT_EQ(test::RunProgram(
                std::string("validate --timeout ") + GetParam().value + " " + MODULE_PATH, output),
            kExitUsage)
      << output;
  EXPECT_NE(output.find(GetParam().message), std::string::npos) << output;
  EXPECT_EQ(output.find("PASS"), std::string::npos) << "nothing was checked:\n" << output;
}

INSTANTIATE_TEST_SUITE_P(Values, RefusedTimeoutTest, ::testing::ValuesIn(kRefusedTimeouts),
                         [](const auto& info) { return std::string(info.param.name); });

// A check that never ends is stopped at its time limit and fails, saying
// where the module was; the checks that would drive the same callback are
// not run, the others are.
TEST(ValidateTest, AHangNamesItsPlaceAndTheChecksThatWouldHangAreNotRun) {
  test::ScratchDirectory scratch;
  std::string output;
  // Loading a thousand times takes longer than the limit under Wine.
  EXPECT_EQ(test::RunProgram("validate --timeout 1 --include "
                             "\"^(exports|create-destroy|independence|speed)$\" " +
                                 Module("HangsInStep"),
                             output),
            kExitFailed);
  const auto verdicts = Verdicts(output);
  ASSERT_EQ(verdicts.size(), 4u) << output;
  EXPECT_EQ(verdicts.at("exports"), "PASS") << output;
  EXPECT_EQ(verdicts.at("create-destroy"), "FAIL") << output;
#if defined(_WIN32)
  // Ended at once, a child says nothing of where it was.
  EXPECT_NE(output.find("FAIL  create-destroy    timed out after 1 s"), std::string::npos)
      << output;
#else
  EXPECT_NE(output.find("FAIL  create-destroy    timed out after 1 s in the module's clbkPostStep "
                        "of vessel \"v\" at step 1 [step 1, vessel v, clbkPostStep]"),
            std::string::npos)
      << output;
  EXPECT_EQ(verdicts.at("independence"), "SKIP") << output;
  EXPECT_NE(output.find("SKIP  speed             not run: the module hung in clbkPostStep during "
                        "create-destroy"),
            std::string::npos)
      << output;
  EXPECT_NE(output.find("1 passed, 1 failed, 2 skipped"), std::string::npos) << output;
#endif
}

// Which checks a hang leaves unrun follows from where the module hung, as
// the host names the site.
TEST(ValidateTest, EveryCallbackBelongsToWhatDrivesIt) {
  using namespace vsim::validate;
  const std::pair<const char*, unsigned> kSites[] = {
      {"loading the module (its library entry)", kDrivesLibrary},
      {"unloading the module (its library exit)", kDrivesLibrary},
      {"ModuleDate", kDrivesBuild},
      {"ovcInit", kDrivesVessels},
      {"clbkPostCreation", kDrivesVessels},
      {"clbkPostStep", kDrivesSteps},
      {"clbkConsumeBufferedKey", kDrivesKeys},
      {"clbkVCMouseEvent", kDrivesCockpit},
      {"somewhere else", 0},
  };
  for (const auto& [site, drive] : kSites) EXPECT_EQ(DrivenBy(site), drive) << site;
  for (const Check& c : Catalogue())
    EXPECT_NE(c.drives & kDrivesLibrary, 0u) << c.name << " loads the library like every check";
}

TEST(ValidateTest, KeepGoingRunsTheChecksAfterAHang) {
  test::ScratchDirectory scratch;
  std::string output;
  EXPECT_EQ(
      test::RunProgram("validate --keep-going --include \"^(exports|time-steps|null-handles)$\" "
                       "--timeout 1 " +
                           Module("HangsInStep"),
                       output),
      kExitFailed);
  EXPECT_NE(output.find("FAIL  time-steps        timed out after 1 s"), std::string::npos)
      << output;
  EXPECT_NE(output.find("FAIL  null-handles      timed out after 1 s"), std::string::npos)
      << output;
  EXPECT_NE(output.find("PASS  exports"), std::string::npos) << output;
}

// The project's own modules built with hidden visibility and no version
// script export nothing but their entry points.
struct OwnModule {
  const char* name;
  const char* path;
};
void PrintTo(const OwnModule& m, std::ostream* os) { *os << m.name; }
const OwnModule kOwnModules[] = {
    {"Floor", FLOOR_PATH}, {"Empty", EMPTY_PATH}, {"Careless", CARELESS_PATH}};

class OwnModuleTest : public ::testing::TestWithParam<OwnModule> {};

TEST_P(OwnModuleTest, PassesTheExportsCheck) {
  test::ScratchDirectory scratch;
  std::string output;
  EXPECT_EQ(
      test::RunProgram(std::string("validate --include ^exports$ ") + GetParam().path, output), 0)
      << output;
  EXPECT_EQ(Verdicts(output), (std::map<std::string, std::string>{{"exports", "PASS"}})) << output;
}

INSTANTIATE_TEST_SUITE_P(Modules, OwnModuleTest, ::testing::ValuesIn(kOwnModules),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ValidateTest, ReadsExportsFromTheLibraryFile) {
  const vsim::validate::ExportTable helicopter = vsim::validate::ReadExports(MODULE_PATH);
  EXPECT_EQ(helicopter.error, "");
  EXPECT_EQ(std::multiset<std::string>(helicopter.names.begin(), helicopter.names.end()),
            (std::multiset<std::string>{"GetModuleVersion", "ModuleDate", "ovcExit", "ovcInit"}));
  const vsim::validate::ExportTable more = vsim::validate::ReadExports(Module("ExportsMore"));
  EXPECT_NE(std::find(more.names.begin(), more.names.end(), "DebugCounter"), more.names.end());
  EXPECT_NE(vsim::validate::ReadExports(DEFAULT_FLIGHT_PATH).error, "");
}

}  // namespace

namespace {

// Levels choose the checks (and the seeds); a warning fails only when asked.
TEST(ValidateTest, LevelsChooseTheChecksAndWarningsFailOnlyWhenAsked) {
  test::ScratchDirectory scratch;
  std::string output;
  EXPECT_EQ(test::RunProgram(std::string("validate --level quick ") + MODULE_PATH, output), 0)
      << output;
  std::map<std::string, std::string> quick;
  for (const vsim::validate::Check& c : vsim::validate::Catalogue())
    if (c.level == vsim::validate::Level::kQuick)
      quick[c.name] = std::string(c.name) == "stands" ? "WARN" : "PASS";
  EXPECT_EQ(Verdicts(output), quick) << output;
  EXPECT_EQ(quick.count("envelope"), 0u) << "the long flights are not quick";

  output.clear();
  EXPECT_EQ(
      test::RunProgram(std::string("validate --level thorough --include ^exports$ ") + MODULE_PATH,
                       output),
      0);
  for (const char* seed : {"exports (seed 1)", "exports (seed 2)", "exports (seed 3)"})
    EXPECT_NE(output.find(std::string("PASS  ") + seed), std::string::npos) << output;

  output.clear();
  EXPECT_EQ(test::RunProgram(std::string("validate --include stands ") + MODULE_PATH, output), 0);
  output.clear();
  EXPECT_EQ(
      test::RunProgram(std::string("validate --warnings-as-errors --include stands ") + MODULE_PATH,
                       output),
      kExitFailed);
  EXPECT_NE(output.find("1 checks passed with a warning (--warnings-as-errors)"), std::string::npos)
      << output;
  output.clear();
  EXPECT_EQ(test::RunProgram(std::string("validate --level slow ") + MODULE_PATH, output),
            kExitUsage);
}

// The figure each check leads with, as the summary shows it: what it
// measures, in what, against what.
struct KeyFigure {
  const char* check;
  const char* name;
  const char* unit;
  const char* bound;
  double limit;  // NaN: reported only
};

const KeyFigure kKeyFigures[] = {
    {"exports", "names exported beyond the entry points", "", "at most", 0},
    {"load-unload", "memory growth over the 900 cycles after the first 100", "KiB", "at most",
     1024},
    {"create-destroy", "memory growth over the 900 vessels after the first 100", "KiB", "at most",
     1024},
    {"independence", "steps whose calls differed", "", "at most", 0},
    {"lifecycle-order", "steps whose calls differed", "", "at most", 0},
    {"hostile-readings", "hostile readings survived", "", "at least", 60},
    {"time-steps", "settings flown without a fault", "", "at least", 28},
    {"null-handles", "steps with keys and null handles", "", "at least", 100},
    {"keys-and-clicks", "key events (every code, every modifier)", "", "at least", 4096},
    {"sound", "written into the working folder", "KiB", "at most", 1024},
    {"long-run", "vessel steps without a fault", "", "at least", 30000},
    {"steady-state", "declarations while flying", "", "at most", 0},
    {"speed", "median step", "ns", "reported", NAN},
    {"stands", "centre of mass outside the touchdown triangle", "m", "at most", 0},
    {"hovers", "largest altitude error under the hold", "m", "at most", 0.5},
    {"attitude", "tumble stopped after", "s", "at most", 20},
    {"envelope", "landing sink rate", "m/s", "at most", 3},
    {"ground-handling", "yaw rate 1 s after full rudder", "deg/s", "at most", 90},
};

// What the page's script reads: the data element's text, "<\/" read as "</".
nlohmann::json PageData(const std::string& page) {
  const std::string open = "<script id=\"report-data\" type=\"application/json\">";
  const std::size_t from = page.find(open);
  if (from == std::string::npos) return nlohmann::json();
  const std::size_t start = from + open.size();
  std::string data = page.substr(start, page.find("</script>", start) - start);
  for (std::size_t at = data.find("<\\/"); at != std::string::npos; at = data.find("<\\/", at))
    data.erase(at + 1, 1);
  return nlohmann::json::parse(data, nullptr, false);
}

TEST(ValidateTest, FiguresCarryTheirLimitsAndThePageTheReport) {
  test::ScratchDirectory scratch;
  std::string output;
  EXPECT_EQ(
      test::RunProgram(std::string("validate --json --html report.html ") + MODULE_PATH, output), 0)
      << output;
  const nlohmann::json json = nlohmann::json::parse(output, nullptr, false);
  ASSERT_FALSE(json.is_discarded()) << output;
  EXPECT_EQ(PageData(test::ReadFile("report.html")), json) << "the page's data is the JSON report";
  std::map<std::string, nlohmann::json> checks;
  for (const nlohmann::json& c : json["modules"][0]["checks"])
    checks[c["name"].get<std::string>()] = c;
  ASSERT_EQ(checks.size(), std::size(kKeyFigures)) << output;
  for (const KeyFigure& k : kKeyFigures) {
    SCOPED_TRACE(k.check);
    const nlohmann::json& c = checks[k.check];
    ASSERT_FALSE(c["figures"].empty());
    const nlohmann::json& key = c["figures"][0];
    EXPECT_EQ(key["unit"], k.unit);
    // Memory says nothing of the module in a sanitized build, nor of its
    // loads under Wine: reported, not judged.
    const bool memory =
        std::string(k.check) == "create-destroy" || std::string(k.check) == "load-unload";
    if (memory && (vsim::platform::kAddressSanitizer ||
                   (vsim::platform::UnderWine() && std::string(k.check) == "load-unload"))) {
      EXPECT_EQ(key["name"], std::string(k.name) + " (not judged)");
      EXPECT_EQ(key["bound"], "reported");
      EXPECT_TRUE(key["limit"].is_null());
      continue;
    }
    EXPECT_EQ(key["name"], k.name);
    EXPECT_EQ(key["bound"], k.bound);
    if (std::isnan(k.limit)) {
      EXPECT_TRUE(key["limit"].is_null());
    } else {
      EXPECT_EQ(key["limit"], k.limit);
    }
    // What passed met every bound it names.
    if (c["verdict"] != "PASS") continue;
    for (const nlohmann::json& f : c["figures"]) {
      if (f["bound"] == "at most") {
        EXPECT_LE(f["value"], f["limit"]) << f;
      }
      if (f["bound"] == "at least") {
        EXPECT_GE(f["value"], f["limit"]) << f;
      }
    }
  }
  // The checks that fly hand their flights back from their processes.
  for (const char* flying : {"stands", "hovers", "attitude", "envelope", "ground-handling"}) {
    SCOPED_TRACE(flying);
    ASSERT_FALSE(checks[flying]["flights"].empty());
    for (const nlohmann::json& flight : checks[flying]["flights"]) {
      const std::size_t samples = flight["time"].size();
      EXPECT_GT(samples, 1u);
      EXPECT_EQ(flight["series"][0]["key"], "altitude");
      for (const nlohmann::json& series : flight["series"])
        EXPECT_EQ(series["values"].size(), samples) << series["key"];
    }
  }
  EXPECT_TRUE(checks["exports"]["flights"].empty()) << "a check that does not fly has no flight";
  // The envelope's flight climbs to its 2000 m and comes down again.
  const nlohmann::json& envelope = checks["envelope"]["flights"][0]["series"][0]["values"];
  EXPECT_GT(*std::max_element(envelope.begin(), envelope.end()), 1990.0);
  EXPECT_LT(envelope.back(), 10.0);
}

TEST(ValidateTest, AChecksProcessHandsBackWhatItFlewInFull) {
  test::ScratchDirectory scratch;
  std::string child, here;
  const std::string args = std::string("validate --json --include ^stands$ ") + MODULE_PATH;
  EXPECT_EQ(test::RunProgram(args, child), 0) << child;
  EXPECT_EQ(test::RunProgram(args + " --in-process", here), 0) << here;
  const nlohmann::json a = nlohmann::json::parse(child, nullptr, false);
  const nlohmann::json b = nlohmann::json::parse(here, nullptr, false);
  ASSERT_FALSE(a.is_discarded() || b.is_discarded()) << child << here;
  EXPECT_EQ(a["modules"][0]["checks"][0]["figures"], b["modules"][0]["checks"][0]["figures"]);
  EXPECT_EQ(a["modules"][0]["checks"][0]["flights"], b["modules"][0]["checks"][0]["flights"]);
}

// Each level does its own share of the work inside a check.
struct LevelWork {
  vsim::validate::Level level;
  const char* check;
  const char* figure;
  int vsim::validate::Sizes::*size;
};

void PrintTo(const LevelWork& w, std::ostream* os) {
  *os << vsim::validate::LevelName(w.level) << " " << w.check;
}

const LevelWork kLevelWork[] = {
    {vsim::validate::Level::kQuick, "independence", "steps compared in each crowd",
     &vsim::validate::Sizes::compared_steps},
    {vsim::validate::Level::kStandard, "independence", "steps compared in each crowd",
     &vsim::validate::Sizes::compared_steps},
    {vsim::validate::Level::kThorough, "independence", "steps compared in each crowd",
     &vsim::validate::Sizes::compared_steps},
    {vsim::validate::Level::kQuick, "hostile-readings", "steps given to recover",
     &vsim::validate::Sizes::recovery_steps},
    {vsim::validate::Level::kThorough, "hostile-readings", "steps given to recover",
     &vsim::validate::Sizes::recovery_steps},
    {vsim::validate::Level::kQuick, "null-handles", "steps with keys and null handles",
     &vsim::validate::Sizes::null_handle_steps},
    {vsim::validate::Level::kThorough, "null-handles", "steps with keys and null handles",
     &vsim::validate::Sizes::null_handle_steps},
};

class LevelWorkTest : public ::testing::TestWithParam<LevelWork> {};

TEST_P(LevelWorkTest, ScalesWhatTheCheckDoes) {
  const LevelWork& w = GetParam();
  test::ScratchDirectory scratch;
  std::string output;
  EXPECT_EQ(test::RunProgram(std::string("validate --json --seed 5 --level ") +
                                 vsim::validate::LevelName(w.level) + " --include ^" + w.check +
                                 "$ " + MODULE_PATH,
                             output),
            0)
      << output;
  const nlohmann::json json = nlohmann::json::parse(output, nullptr, false);
  ASSERT_FALSE(json.is_discarded()) << output;
  const nlohmann::json& checks = json["modules"][0]["checks"];
  ASSERT_EQ(checks.size(), static_cast<std::size_t>(vsim::validate::SizesAt(w.level).seeds))
      << output;
  const int expected = vsim::validate::SizesAt(w.level).*w.size;
  for (const nlohmann::json& c : checks) {
    bool found = false;
    for (const nlohmann::json& f : c["figures"])
      if (f["name"] == w.figure) {
        found = true;
        EXPECT_EQ(f["value"], expected) << c["name"];
      }
    EXPECT_TRUE(found) << c;
  }
}

INSTANTIATE_TEST_SUITE_P(Levels, LevelWorkTest, ::testing::ValuesIn(kLevelWork),
                         [](const auto& info) {
                           std::string name =
                               std::string(LevelName(info.param.level)) + "_" + info.param.check;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

TEST(ValidateTest, ThePageIsRefusedWhereItWouldOverwriteAnInput) {
  test::ScratchDirectory scratch;
  const std::string module = test::ReadFile(MODULE_PATH);
  for (const std::string& args :
       {std::string("--html ") + MODULE_PATH, std::string("--html same.xml --junit same.xml")}) {
    std::string output;
    EXPECT_EQ(test::RunProgram("validate --include ^exports$ " + args + " " + MODULE_PATH, output),
              kExitUsage)
        << args << "\n"
        << output;
    EXPECT_NE(output.find("--html"), std::string::npos) << output;
  }
  EXPECT_EQ(test::ReadFile(MODULE_PATH), module) << "the module is untouched";
  EXPECT_FALSE(std::ifstream("same.xml").good()) << "nothing written";
}

}  // namespace
