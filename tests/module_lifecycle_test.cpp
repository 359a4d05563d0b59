#include <algorithm>
#include <cstdio>

#include "sim/platform/platform.h"
#include "tests/support.h"

namespace {

using test::HostTest;

int CountCalls(vsim::Host& host, const std::string& call) {
  const auto& entries = host.journal().Entries();
  return static_cast<int>(std::count_if(entries.begin(), entries.end(),
                                        [&](const vsim::CallEntry& e) { return e.call == call; }));
}

bool StillLoaded(const char* path) { return vsim::platform::LibraryLoaded(path); }

TEST_F(HostTest, ModuleDateIsFixedStaticText) {
  Load();
  const char* first = host.ModuleDate();
  EXPECT_STREQ(first, "Nov 28 2010");
  EXPECT_EQ(first, host.ModuleDate());
}

TEST_F(HostTest, VersionIsInterfaceDateComputedOnce) {
  Load();
  EXPECT_EQ(host.ModuleVersion(), 20100830);
  EXPECT_EQ(host.ModuleVersion(), 20100830);
  EXPECT_EQ(CountCalls(host, "Date2Int(\"Aug 30 2010\")"), 1);
}

TEST_F(HostTest, LoadCallsInitLibWithTheModuleInstance) {
  Load();
  ASSERT_FALSE(host.journal().Entries().empty());
  const vsim::CallEntry& first = host.journal().Entries().front();
  EXPECT_EQ(first.Line(), "0 - InitLib(instance#1)");
  EXPECT_NE(host.ModuleInstance(), nullptr);
}

TEST_F(HostTest, MissingModuleOrEntryPointIsAClearError) {
  try {
    host.LoadModule("/nonexistent/Corvane.so");
    FAIL() << "loading a missing file succeeded";
  } catch (const vsim::HostError& e) {
    EXPECT_NE(std::string(e.what()).find("/nonexistent/Corvane.so"), std::string::npos);
  }
  // The sound library is a loadable library without the vessel entry points.
  try {
    host.LoadModule(SOUND_PATH);
    FAIL() << "a library without entry points was accepted";
  } catch (const vsim::HostError& e) {
    EXPECT_NE(std::string(e.what()).find("\"ovcInit\" not found"), std::string::npos);
  }
  EXPECT_FALSE(host.ModuleLoaded());
}

TEST_F(HostTest, HostHoldsTheVesselViewNotTheObjectAddress) {
  vsim::VesselRecord& heli = Create();
  VESSEL* view = heli.vessel;
  VESSEL2* object = static_cast<VESSEL2*>(view);
  EXPECT_NE(static_cast<void*>(view), static_cast<void*>(object));
  // Callbacks reach the object through the converted pointer.
  EXPECT_TRUE(host.LoadCockpit("heli"));
}

TEST_F(HostTest, CreationRunsConstructionClassCapsThenPostCreation) {
  Create();
  const auto calls = Calls("");
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls[0], "oapiLoadMeshGlobal(\"Halvex\\Corvane\")");
  EXPECT_EQ(calls[1], "oapiLoadMeshGlobal(\"Halvex\\Corvane-Cpit\")");
  EXPECT_EQ(calls[2], "CreateAnimation(0.5)");
  const auto first_setup = std::find(calls.begin(), calls.end(), "SetSize(8)");
  const auto post_creation = std::find(calls.begin(), calls.end(), "GetHandle()");
  ASSERT_NE(first_setup, calls.end());
  ASSERT_NE(post_creation, calls.end());
  EXPECT_LT(first_setup, post_creation);
  EXPECT_EQ(Calls("CreateAnimation").size(), 17u);
}

TEST_F(HostTest, EveryConstructionLoadsBothMeshesAgain) {
  Create("one");
  Create("two");
  const std::vector<std::string> expected = {"Halvex\\Corvane", "Halvex\\Corvane-Cpit",
                                             "Halvex\\Corvane", "Halvex\\Corvane-Cpit"};
  EXPECT_EQ(host.LoadedMeshes(), expected);
  // Each vessel handed its own construction's meshes to the host.
  for (const char* name : {"one", "two"}) {
    const auto& meshes = host.Vessel(name).declared.meshes;
    ASSERT_EQ(meshes.size(), 2u);
    EXPECT_EQ(Calls("AddMesh", name)[0], "AddMesh(mesh#1)");
    EXPECT_EQ(Calls("AddMesh", name)[1], "AddMesh(mesh#2, (0, 0.2, 4.5))");
  }
}

TEST_F(HostTest, ExitWithNullDoesNothing) {
  Load();
  auto exit_fn = reinterpret_cast<void (*)(VESSEL*)>(
      vsim::platform::LoadedLibrarySymbol(MODULE_PATH, "ovcExit"));
  ASSERT_NE(exit_fn, nullptr);
  const std::size_t before = host.journal().Entries().size();
  exit_fn(nullptr);
  EXPECT_EQ(host.journal().Entries().size(), before);
}

TEST_F(HostTest, DestroyingOneVesselLeavesTheOtherWorking) {
  Create("one");
  Create("two");
  host.DestroyVessel("one");
  EXPECT_EQ(host.FindVessel("one"), nullptr);
  host.journal().Clear();
  Step();
  EXPECT_FALSE(Calls("SetAnimation", "two").empty());
  // Its components, shared ones included, are intact after the other's exit.
  const auto& components = host.Vessel("two").declared.components;
  ASSERT_EQ(components.size(), 29u);
  EXPECT_EQ(components[1].transform->Type(), MGROUP_TRANSFORM::ROTATE);
  EXPECT_EQ(components[1].transform->ngrp, 6u);
  EXPECT_EQ(components[1].transform->grp[0], 59u);
}

TEST_F(HostTest, UnloadReleasesTheModuleAndReloadStartsAfresh) {
  Create();
  EXPECT_EQ(host.ModuleVersion(), 20100830);
  host.UnloadModule();
  EXPECT_FALSE(StillLoaded(MODULE_PATH)) << "something pins the module in memory";
  host.journal().Clear();
  Load();
  EXPECT_EQ(host.ModuleVersion(), 20100830);
  EXPECT_EQ(CountCalls(host, "Date2Int(\"Aug 30 2010\")"), 1) << "version cache survived unload";
  vsim::VesselRecord& heli = Create();
  EXPECT_EQ(heli.declared.components.size(), 29u);
  EXPECT_EQ(heli.declared.animations.size(), 17u);
}

struct ExitHookCase {
  const char* name;
  const char* path;
  const char* expected_hook;  // null: no hook called
};

void PrintTo(const ExitHookCase& c, std::ostream* out) { *out << c.name; }

class ExitHookTest : public HostTest, public ::testing::WithParamInterface<ExitHookCase> {};

TEST_P(ExitHookTest, UnloadCallsTheExportedHookOnce) {
  Load(false, GetParam().path);
  Create();
  const HINSTANCE instance = host.ModuleInstance();
  host.journal().Clear();
  host.UnloadModule();
  std::vector<std::string> hooks;
  for (const vsim::CallEntry& e : host.journal().Entries())
    if (e.Name() == "Date2Int") hooks.push_back(e.call);
  if (GetParam().expected_hook == nullptr) {
    EXPECT_TRUE(hooks.empty());
    return;
  }
  char expected[96];
  std::snprintf(expected, sizeof expected, "Date2Int(\"%s %p\")", GetParam().expected_hook,
                static_cast<void*>(instance));
  EXPECT_EQ(hooks, std::vector<std::string>{expected});
}

INSTANTIATE_TEST_SUITE_P(Variants, ExitHookTest,
                         ::testing::Values(ExitHookCase{"NoHook", MODULE_PATH, nullptr},
                                           ExitHookCase{"ExitModule", EXIT_MODULE_PATH,
                                                        "ExitModule"},
                                           ExitHookCase{"opcDLLExit", DLL_EXIT_PATH, "opcDLLExit"},
                                           ExitHookCase{"Both", BOTH_EXITS_PATH, "ExitModule"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HostTest, JournalLinesNameStepVesselAndCall) {
  Create();
  host.journal().Clear();
  host.SetTimeAcceleration(1);
  Step();
  const std::string text = host.journal().Text();
  EXPECT_EQ(text.rfind("1 heli => clbkPostStep(0.016666666666666666, 0.016666666666666666, ", 0),
            0u)
      << "the host's call into the module comes first: " << text;
  EXPECT_NE(text.find("1 heli oapiGetTimeAcceleration() -> 1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("1 heli GroundContact() -> true\n"), std::string::npos) << text;
  EXPECT_NE(text.find("1 heli SetAnimation(16, 0) -> true\n"), std::string::npos) << text;
  EXPECT_NE(text.find("1 heli SetThrusterMax0(thruster#1, 25000)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("1 heli SetThrusterDir(thruster#1, (0, 0, 1))\n"), std::string::npos);
  EXPECT_NE(text.find("1 heli SetThrusterMax0(thruster#2, 45000)\n"), std::string::npos);
}

}  // namespace
