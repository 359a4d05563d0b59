#include "tests/support.h"

namespace {

using test::HostTest;

class KeyboardTest : public HostTest {
protected:
  void SetUp() override {
    Create();
    Airborne(100, 20);
  }
  std::vector<std::string> DebugLines() {
    std::vector<std::string> out;
    for (const vsim::CallEntry& e : host.journal().Entries())
      if (e.Name() == "debug") out.push_back(e.call);
    return out;
  }
};

const DWORD kKeys[] = {OAPI_KEY_W, OAPI_KEY_F, OAPI_KEY_B, OAPI_KEY_K, OAPI_KEY_G};

TEST_F(KeyboardTest, ReleasesAndOtherKeysAreNotConsumedAndChangeNothing) {
  Create("twin");
  host.Vessel("twin").readings = Read();
  host.journal().Clear();
  for (DWORD key : kKeys) EXPECT_EQ(Key(key, false), 0) << key;
  for (DWORD key : {0x10u, 0x1Eu, 0x39u, 0x01u, 0xFFu}) {
    EXPECT_EQ(Key(key, true), 0) << key;
    EXPECT_EQ(Key(key, false), 0) << key;
  }
  EXPECT_TRUE(DebugLines().empty());
  // Gear, thrust direction, refuel and beacons: the next steps are those
  // of a vessel that got no key at all.
  Step(3);
  EXPECT_EQ(Changes("heli"), Changes("twin"));
  EXPECT_EQ(host.Vessel("heli").declared.beacons[0]->active,
            host.Vessel("twin").declared.beacons[0]->active);
}

TEST_F(KeyboardTest, ModifiersAreIgnored) {
  char kstate[OAPI_KEYSTATE_SIZE] = {};
  kstate[OAPI_KEY_LCONTROL] = static_cast<char>(0x80);
  kstate[OAPI_KEY_LSHIFT] = static_cast<char>(0x80);
  EXPECT_EQ(host.DeliverKey("heli", OAPI_KEY_G, true, kstate), 1);
  Step();
  EXPECT_DOUBLE_EQ(AnimationState(2), 0.00242);
}

TEST_F(KeyboardTest, DirectionKeysWriteTheDebugLineOnChangeOnly) {
  host.journal().Clear();
  EXPECT_EQ(Key(OAPI_KEY_F), 1);
  EXPECT_TRUE(DebugLines().empty()) << "F right after creation changes nothing";
  EXPECT_EQ(Key(OAPI_KEY_B), 1);
  EXPECT_STREQ(host.DebugLine(), "Move Backwards ");
  EXPECT_EQ(Key(OAPI_KEY_B), 1);
  EXPECT_EQ(Key(OAPI_KEY_F), 1);
  EXPECT_STREQ(host.DebugLine(), "Move Forwards");
  EXPECT_EQ(DebugLines(),
            (std::vector<std::string>{"debug \"Move Backwards \"", "debug \"Move Forwards\""}));
}

TEST_F(KeyboardTest, BeaconsSwitchOnlyWithRudderCentred) {
  vsim::VesselRecord& heli = host.Vessel("heli");
  for (double rudder : {0.1, -0.1}) {
    heli.controls.rudder = rudder;
    EXPECT_EQ(Key(OAPI_KEY_K), 1);
    Step();
    EXPECT_FALSE(heli.declared.beacons[0]->active) << rudder;
  }
  heli.controls.rudder = 0;
  EXPECT_EQ(Key(OAPI_KEY_K), 1);
  EXPECT_FALSE(heli.declared.beacons[0]->active) << "the step switches them";
  Step();
  EXPECT_TRUE(heli.declared.beacons[0]->active);
  EXPECT_TRUE(heli.declared.beacons[1]->active);
  EXPECT_EQ(Key(OAPI_KEY_K), 1);
  Step();
  EXPECT_FALSE(heli.declared.beacons[0]->active);
  EXPECT_FALSE(heli.declared.beacons[1]->active);
}

TEST_F(KeyboardTest, BeaconKeyTwiceBeforeAStepLeavesThemAsTheyWere) {
  EXPECT_EQ(Key(OAPI_KEY_K), 1);
  EXPECT_EQ(Key(OAPI_KEY_K), 1);
  Step();
  EXPECT_FALSE(host.Vessel("heli").declared.beacons[0]->active);
  Step();
  EXPECT_FALSE(host.Vessel("heli").declared.beacons[0]->active) << "no switch was left pending";
  EXPECT_EQ(Key(OAPI_KEY_K), 1);
  Step();
  EXPECT_TRUE(host.Vessel("heli").declared.beacons[0]->active) << "the switch still works";
}

TEST_F(KeyboardTest, GearKeyOnTheGroundDoesNothing) {
  Read().ground_contact = true;
  EXPECT_EQ(Key(OAPI_KEY_G), 1);
  Airborne(100, 20);
  host.journal().Clear();
  Step(3);
  EXPECT_EQ(FirstStepWith("SetAnimation(2, 0.00242)"), 0) << "no command waits for the air";
  EXPECT_EQ(AnimationState(2), 0.0);
}

TEST_F(KeyboardTest, GearKeyChoosesTheCommandByPosition) {
  Place(&VesselState::gear_pos, 0.5);
  EXPECT_EQ(Key(OAPI_KEY_G), 1);
  Step();
  EXPECT_DOUBLE_EQ(AnimationState(2), 0.5 + 0.00242) << "at halfway G raises the gear";
  Place(&VesselState::gear_pos, 0.51);
  Place(&VesselState::aux_gear_pos, 0.51);
  EXPECT_EQ(Key(OAPI_KEY_G), 1);
  Step();
  EXPECT_DOUBLE_EQ(AnimationState(2), 0.51 - 0.00242) << "past halfway it lowers it";
}

TEST_F(KeyboardTest, TwoHelicoptersKeepTheirOwnState) {
  Create("other");
  host.Vessel("other").readings = Read();
  EXPECT_EQ(Key(OAPI_KEY_G, true, "heli"), 1);
  EXPECT_EQ(Key(OAPI_KEY_B, true, "heli"), 1);
  Step(10);
  EXPECT_DOUBLE_EQ(AnimationState(2, "heli"), 10 * 0.00242);
  EXPECT_EQ(AnimationState(2, "other"), 0.0);
  EXPECT_EQ(host.Vessel("heli").GroupMember(THGROUP_MAIN)->dir.z, -1);
  EXPECT_EQ(host.Vessel("other").GroupMember(THGROUP_MAIN)->dir.z, 1);
  // Each vessel's steps set its own thrusters and read its own drag level.
  EXPECT_DOUBLE_EQ(*host.Vessel("heli").declared.drag_elements[0].level, 1 - 10 * 0.00242);
  EXPECT_EQ(*host.Vessel("other").declared.drag_elements[0].level, 1.0);
  EXPECT_NE(host.Vessel("heli").GroupMember(THGROUP_MAIN),
            host.Vessel("other").GroupMember(THGROUP_MAIN));
  EXPECT_DOUBLE_EQ(AnimationState(13, "heli"), 10 * 0.0002);
  EXPECT_DOUBLE_EQ(AnimationState(13, "other"), 10 * 0.0002);
}

}  // namespace
