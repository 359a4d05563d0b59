// The host's side of the boundary: handles it did not issue to a vessel,
// indices out of range and calls with no host are faults, recorded and
// answered with a neutral value, never thrown into the module.
#include "tests/support.h"

namespace {

using test::HostTest;

TEST_F(HostTest, ModuleLevelHandleIsReportedAsAnotherVesselsThruster) {
  host.LoadModule(CARELESS_PATH);
  host.CreateVessel("a");
  host.CreateVessel("b");
  host.Step();
  ASSERT_EQ(host.Faults().size(), 1u) << "b's own step is sound";
  const vsim::HostFault& fault = host.Faults().front();
  EXPECT_EQ(fault.Line(),
            "1 a fault \"SetThrusterLevel: the thruster handle belongs to vessel b\"");
  EXPECT_EQ(host.Vessel("b").declared.thrusters[0].level, 1.0);
  EXPECT_EQ(host.Vessel("a").declared.thrusters[0].level, 0.0)
      << "a refused handle changes nothing";
  EXPECT_EQ(Calls("fault", "a").size(), 1u) << "the fault is in the journal";
  EXPECT_EQ(Calls("SetThrusterLevel", "a"),
            std::vector<std::string>{"SetThrusterLevel(b:thruster#1, 1)"});
}

TEST_F(HostTest, HelicopterStepsWithoutFaults) {
  Create("one");
  Create("two");
  Airborne(100, 20, "one");
  Step(20);
  EXPECT_TRUE(host.Faults().empty()) << host.Faults().front().Line();
}

struct BadCall {
  const char* name;
  void (*call)(VESSEL& vessel);
  const char* fault;
};

void PrintTo(const BadCall& c, std::ostream* out) { *out << c.name; }

class BadHandleTest : public HostTest, public ::testing::WithParamInterface<BadCall> {};

TEST_P(BadHandleTest, IsAFaultAndChangesNothing) {
  Create();
  host.journal().Clear();
  VESSEL& vessel = *host.Vessel("heli").vessel;
  const double main_level = Level(THGROUP_MAIN);
  GetParam().call(vessel);
  ASSERT_EQ(host.Faults().size(), 1u);
  EXPECT_EQ(host.Faults()[0].text, GetParam().fault);
  EXPECT_EQ(Level(THGROUP_MAIN), main_level);
}

// A value that no host would issue, and one of the wrong kind.
THRUSTER_HANDLE Stray() { return reinterpret_cast<THRUSTER_HANDLE>(0x1234); }

INSTANTIATE_TEST_SUITE_P(
    Calls, BadHandleTest,
    ::testing::Values(
        BadCall{"StrayThruster", [](VESSEL& v) { v.SetThrusterLevel(Stray(), 1); },
                "SetThrusterLevel: unknown thruster handle"},
        BadCall{"MeshHandleAsThruster",
                [](VESSEL& v) { v.SetThrusterMax0(oapiLoadMeshGlobal("x"), 1); },
                "SetThrusterMax0: a mesh handle where a thruster handle belongs"},
        BadCall{"AnimationOutOfRange", [](VESSEL& v) { v.SetAnimation(17, 0.5); },
                "SetAnimation: animation 17 out of range (the vessel has 17)"},
        BadCall{"MeshIndexOutOfRange", [](VESSEL& v) { v.SetMeshVisibilityMode(2, 1); },
                "SetMeshVisibilityMode: mesh 2 out of range (the vessel has 2)"},
        BadCall{"StrayMesh", [](VESSEL& v) { v.AddMesh(Stray()); }, "AddMesh: unknown mesh handle"},
        BadCall{"StrayParentComponent",
                [](VESSEL& v) { v.AddAnimationComponent(0, 0, 1, nullptr, Stray()); },
                "AddAnimationComponent: unknown component handle"},
        BadCall{"NullBeacon", [](VESSEL& v) { v.AddBeacon(nullptr); }, "AddBeacon: null beacon"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HostTest, AVesselHandleTheHostNeverIssuedIsAFault) {
  Create();
  struct Impostor : VESSEL2 {
    using VESSEL2::VESSEL2;
  } impostor(reinterpret_cast<OBJHANDLE>(0x42));
  EXPECT_EQ(impostor.GetAltitude(), 0.0);
  ASSERT_EQ(host.Faults().size(), 1u);
  EXPECT_EQ(host.Faults()[0].text, "GetAltitude: unknown vessel handle");
}

TEST(ActiveHost, IsTheOneHostAliveAndASecondIsRefused) {
  EXPECT_EQ(vsim::ActiveHost(), nullptr);
  {
    vsim::Host first;
    EXPECT_EQ(vsim::ActiveHost(), &first);
    try {
      vsim::Host second;
      ADD_FAILURE() << "a second live host was made";
    } catch (const vsim::HostError& e) {
      EXPECT_NE(std::string(e.what()).find("another host is alive"), std::string::npos) << e.what();
    }
    EXPECT_EQ(vsim::ActiveHost(), &first) << "the refused host took nothing over";
    first.SetTimeAcceleration(4);
    EXPECT_EQ(oapiGetTimeAcceleration(), 4.0) << "the module's calls reach the live host";
  }
  EXPECT_EQ(vsim::ActiveHost(), nullptr);
  EXPECT_EQ(oapiGetTimeAcceleration(), 1.0) << "no host: a neutral answer, not a throw";
  vsim::Host next;
  EXPECT_EQ(vsim::ActiveHost(), &next) << "once the first has ended, another may run";
}

}  // namespace
