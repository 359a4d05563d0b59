#include "tests/support.h"

namespace {

using test::HostTest;

class CockpitTest : public HostTest {
protected:
  void SetUp() override {
    Create();
    Airborne(100, 20);
  }
  bool Click(int area, const std::string& vessel = "heli") {
    return host.DeliverCockpitEvent(vessel, area, PANEL_MOUSE_LBDOWN, {0.1, 0.2, 0.3});
  }
  double& MainLevel(const std::string& vessel = "heli") { return Level(THGROUP_MAIN, vessel); }
};

std::vector<std::string> ExpectedLoadVC() {
  return {"SetCameraOffset((0.65, 1, 3.7))",
          "SetCameraDefaultDirection((0, 0, 1))",
          "SetCameraRotationRange(" + vsim::FormatNumber(60 * RAD) + ", " +
              vsim::FormatNumber(60 * RAD) + ", " + vsim::FormatNumber(40 * RAD) + ", " +
              vsim::FormatNumber(40 * RAD) + ")",
          "oapiVCRegisterHUD({nmesh=1, ngroup=199, hudcnt=(0, 1.4, 4.1), size=0.8})",
          "oapiVCRegisterMFD(0, {nmesh=2, ngroup=99})",
          "oapiVCRegisterMFD(1, {nmesh=2, ngroup=100})",
          "oapiVCRegisterArea(4, 1, 17)",
          "oapiVCSetAreaClickmode_Spherical(4, (1.056066, 0.861285, 4.55723466), 0.25)",
          "oapiVCRegisterArea(5, 1, 17)",
          "oapiVCSetAreaClickmode_Spherical(5, (0.926299, 0.759917, 4.265691), 0.25)",
          "oapiVCRegisterArea(6, 1, 17)",
          "oapiVCSetAreaClickmode_Spherical(6, (1.370454, 0.299641, 6.024575), 0.5)",
          "oapiVCRegisterArea(49, 1, 17)",
          "oapiVCSetAreaClickmode_Spherical(49, (0.993026, 0.299641, 6.024575), 0.5)"};
}

TEST_F(CockpitTest, LoadRegistersCameraDisplaysAndAreasInOrderEveryTime) {
  for (int load = 0; load < 2; ++load) {
    host.journal().Clear();
    EXPECT_TRUE(host.LoadCockpit("heli"));
    EXPECT_EQ(Calls(""), ExpectedLoadVC()) << "load " << load;
  }
  const vsim::Cockpit& vc = host.Vessel("heli").declared.cockpit;
  EXPECT_EQ(vc.camera_offset.y, 1.0);
  EXPECT_EQ(vc.rotation_range[2], 40 * RAD);
  ASSERT_TRUE(vc.hud.has_value());
  EXPECT_EQ(vc.hud->ngroup, 199u);
  EXPECT_EQ(vc.mfds.at(1).nmesh, 2u);
  ASSERT_EQ(vc.areas.size(), 4u);
  EXPECT_EQ(vc.areas[3].id, 49);
  EXPECT_EQ(vc.areas[3].radius, 0.5);
  EXPECT_EQ(vc.areas[0].mouse_events, PANEL_MOUSE_LBDOWN | PANEL_MOUSE_LBPRESSED);
}

TEST_F(CockpitTest, LeverStepsUpFromZeroWhateverItsMemoryHolds) {
  Place(&VesselState::vc_main_level, 0.7);
  EXPECT_TRUE(Click(4));
  EXPECT_EQ(MainLevel(), 0.0055);
  Step();
  EXPECT_EQ(AnimationState(7), 0.0055) << "the next step shows the lever";
  EXPECT_TRUE(Click(4));
  EXPECT_EQ(MainLevel(), 0.011) << "the lever remembers where it went";
}

TEST_F(CockpitTest, LeverDownAtZeroStaysAtZero) {
  EXPECT_TRUE(Click(5));
  EXPECT_EQ(MainLevel(), 0.0);
  EXPECT_EQ(Calls("SetThrusterLevel"), std::vector<std::string>{"SetThrusterLevel(thruster#1, 0)"});
  EXPECT_TRUE(Click(4));
  EXPECT_EQ(MainLevel(), 0.0055) << "nothing below zero was remembered";
}

TEST_F(CockpitTest, LeverStopsAtExactlyOne) {
  Place(&VesselState::vc_main_level, 0.998);
  MainLevel() = 0.998;
  EXPECT_TRUE(Click(4));
  EXPECT_EQ(MainLevel(), 1.0);
  EXPECT_TRUE(Click(4));
  EXPECT_EQ(MainLevel(), 1.0);
  EXPECT_TRUE(Click(5));
  EXPECT_EQ(MainLevel(), 1.0 - 0.0055) << "the lever remembers exactly one";
}

TEST_F(CockpitTest, LeverStepsFromItsOwnMemoryNotTheThrustersLevel) {
  Place(&VesselState::vc_main_level, 0.2);
  MainLevel() = 0.4;
  EXPECT_TRUE(Click(4));
  EXPECT_DOUBLE_EQ(MainLevel(), 0.2055);
}

TEST_F(CockpitTest, HeldButtonActsOnEveryDeliveredEvent) {
  const int n = 25;
  EXPECT_TRUE(host.DeliverCockpitEvent("heli", 4, PANEL_MOUSE_LBDOWN));
  for (int i = 1; i < n; ++i)
    EXPECT_TRUE(host.DeliverCockpitEvent("heli", 4, PANEL_MOUSE_LBPRESSED, {9, 9, 9}));
  EXPECT_NEAR(MainLevel(), n * 0.0055, 1e-12);
}

TEST_F(CockpitTest, GearSwitchOnTheGroundCommandsForTheFirstStepInTheAir) {
  Read().ground_contact = true;
  EXPECT_TRUE(Click(6));
  host.journal().Clear();
  Step(3);
  EXPECT_EQ(AnimationState(2), 0.0);
  EXPECT_EQ(FirstStepWith("SetAnimation(2, 0.00242)"), 0) << "the gear waits on the ground";
  Read().ground_contact = false;
  Step();
  EXPECT_DOUBLE_EQ(AnimationState(2), 0.00242);
}

TEST_F(CockpitTest, GearSwitchAtHalfwayRetracts) {
  Read().ground_contact = false;
  Place(&VesselState::gear_pos, 0.5);
  EXPECT_TRUE(Click(6));
  Step();
  EXPECT_DOUBLE_EQ(AnimationState(2), 0.5 + 0.00242) << "at halfway the switch raises the gear";
  Place(&VesselState::gear_pos, 0.500001);
  EXPECT_TRUE(Click(6));
  Step();
  EXPECT_DOUBLE_EQ(AnimationState(2), 0.500001 - 0.00242) << "past halfway it lowers it";
}

TEST_F(CockpitTest, SecondSwitchChangesNothingTheHostCanSee) {
  Step();
  const double level_before = MainLevel();
  host.journal().Clear();
  EXPECT_TRUE(Click(49));
  EXPECT_TRUE(Click(49));
  Step();
  const std::vector<std::string> with_switch = Changes();
  EXPECT_EQ(MainLevel(), level_before);
  host.journal().Clear();
  Step();
  EXPECT_EQ(Changes().size(), with_switch.size()) << "the switch adds nothing to the step";
}

TEST_F(CockpitTest, UnknownAreaIsRefusedAndChangesNothing) {
  Create("twin");
  host.Vessel("twin").readings = Read();
  host.journal().Clear();
  for (int area : {0, 3, 7, 48, 50, -1}) EXPECT_FALSE(Click(area)) << area;
  EXPECT_TRUE(Calls("").empty());
  Step();
  EXPECT_EQ(Changes("heli"), Changes("twin")) << "the step is that of a vessel never clicked";
}

TEST_F(CockpitTest, ClickInOneCockpitChangesOnlyThatHelicopter) {
  Create("other");
  host.Vessel("other").readings = Read();
  EXPECT_TRUE(Click(4, "heli"));
  EXPECT_TRUE(Click(6, "heli"));
  Step();
  EXPECT_EQ(MainLevel("heli"), 0.0055);
  EXPECT_EQ(MainLevel("other"), 0.0);
  EXPECT_DOUBLE_EQ(AnimationState(2, "heli"), 0.00242);
  EXPECT_EQ(AnimationState(2, "other"), 0.0);
  EXPECT_EQ(AnimationState(7, "other"), 0.0);
}

}  // namespace
