#include <set>

#include "tests/support.h"

namespace {

using test::HostTest;

std::string Angle(double deg) { return vsim::FormatNumber(static_cast<float>(deg * RAD)); }

TEST_F(HostTest, SeventeenAnimationsWithTheirInitialStates) {
  vsim::VesselRecord& heli = Create();
  const double initial[17] = {0.5, 0, 0, 0, 0, 0, 0, 0, 0, 0.5, 0, 0, 0, 0, 0, 0, 0};
  ASSERT_EQ(heli.declared.animations.size(), 17u);
  for (std::size_t i = 0; i < 17; ++i)
    EXPECT_EQ(heli.declared.animations[i].initial_state, initial[i]) << i;
  const std::size_t per_animation[17] = {1, 3, 10, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2};
  std::size_t counted[17] = {};
  for (const vsim::AnimationComponent& c : heli.declared.components) {
    ASSERT_LT(c.animation, 17u);
    ++counted[c.animation];
  }
  for (std::size_t i = 0; i < 17; ++i) EXPECT_EQ(counted[i], per_animation[i]) << i;
}

TEST_F(HostTest, ComponentsAreRegisteredInOrderWithTheirValues) {
  Create();
  const auto calls = Calls("AddAnimationComponent");
  ASSERT_EQ(calls.size(), 29u);
  EXPECT_EQ(calls[0],
            "AddAnimationComponent(0, 0, 1, {mesh=0, grp=[0, 0], ref=(0.0013025, -3.946551, "
            "5.325749), axis=(0, 1, 0), angle=" +
                Angle(70) + "}, null)");
  EXPECT_EQ(calls[1],
            "AddAnimationComponent(1, 0, 1, {mesh=0, grp=[59, 60, 61, 62, 73, 74], "
            "ref=(0.197749, -3.954622, 5.326937), axis=(1, 0, 0), angle=" +
                Angle(360) + "}, component#1)");
  // The nose leg's axis is handed over unnormalised.
  EXPECT_EQ(calls[4],
            "AddAnimationComponent(2, 0, 0.5, {mesh=0, grp=[59, 60, 61, 62, 67, 68, 73, 74], "
            "ref=(-0.003111, -3.129507, 5.234954), axis=(1, 0, 0.6), angle=" +
                Angle(93) + "}, null)");
  EXPECT_EQ(calls[11],
            "AddAnimationComponent(2, 0.4, 0.7, {mesh=0, grp=[0, 0, 0], shift=(0, 0.2, 0)}, null)");
  EXPECT_EQ(calls[16],
            "AddAnimationComponent(5, 0, 1, {mesh=1, grp=[26], ref=(0.488233, 0.556082, "
            "0.350081), axis=(0, 0, 1), angle=" +
                Angle(-360) + "}, null)");
  EXPECT_EQ(calls[27],
            "AddAnimationComponent(16, 0, 1, {mesh=0, grp=[3, 4, 5, 6, 18, 19, 20, 21, 22, 23, "
            "24, 25, 38, 39, 40, 41], ref=(0.00012483, 0.180379, 2.220898), axis=(0, 1, 0), "
            "angle=" +
                Angle(-360) + "}, null)");
  // Animation index of each component, in order of registration.
  const UINT owner[29] = {0, 1, 1, 1, 2, 2, 2,  2,  2,  2,  2,  2,  2,  2, 3,
                          4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 16};
  const auto& components = host.Vessel("heli").declared.components;
  for (std::size_t i = 0; i < 29; ++i) EXPECT_EQ(components[i].animation, owner[i]) << i;
}

TEST_F(HostTest, GearComponentsMoveOverTheirIntervals) {
  vsim::VesselRecord& heli = Create();
  std::vector<const vsim::AnimationComponent*> gear;
  for (const vsim::AnimationComponent& c : heli.declared.components)
    if (c.animation == 2) gear.push_back(&c);
  ASSERT_EQ(gear.size(), 10u);
  const double intervals[10][2] = {{0, 0.5}, {0.2, 0.5}, {0.2, 0.5}, {0.5, 1}, {0.5, 1},
                                   {0.5, 1}, {0.5, 1},   {0.4, 0.7}, {0, 0.2}, {0, 0.2}};
  for (std::size_t i = 0; i < 10; ++i) {
    EXPECT_EQ(gear[i]->from, intervals[i][0]) << i;
    EXPECT_EQ(gear[i]->to, intervals[i][1]) << i;
    EXPECT_EQ(gear[i]->transform->Type(),
              i == 7 ? MGROUP_TRANSFORM::TRANSLATE : MGROUP_TRANSFORM::ROTATE);
  }
}

TEST_F(HostTest, SecondVesselSharesAllButItsOwnNoseWheelRoll) {
  vsim::VesselRecord& one = Create("one");
  vsim::VesselRecord& two = Create("two");
  ASSERT_EQ(one.declared.components.size(), 29u);
  ASSERT_EQ(two.declared.components.size(), 29u);
  std::set<MGROUP_TRANSFORM*> objects;
  for (const auto& c : one.declared.components) objects.insert(c.transform);
  EXPECT_EQ(objects.size(), 29u);
  std::size_t new_objects = 0;
  for (const auto& c : two.declared.components)
    new_objects += objects.insert(c.transform).second ? 1 : 0;
  EXPECT_EQ(new_objects, 1u);
  EXPECT_NE(one.declared.components[1].transform, two.declared.components[1].transform);
  // Each nose wheel follows its own vessel's steering pivot.
  EXPECT_EQ(one.declared.components[1].parent, 0u);
  EXPECT_EQ(two.declared.components[1].parent, 0u);
}

TEST_F(HostTest, SharedComponentsOutliveTheVesselThatBuiltThem) {
  Create("first");
  Create("second");
  host.DestroyVessel("first");
  vsim::VesselRecord& third = Create("third");
  vsim::VesselRecord& second = host.Vessel("second");
  for (std::size_t i = 0; i < 29; ++i) {
    if (i == 1) continue;
    ASSERT_EQ(second.declared.components[i].transform, third.declared.components[i].transform) << i;
    // Reading through the host's pointer: ASan would flag freed memory.
    EXPECT_LE(third.declared.components[i].transform->ngrp, 16u);
  }
}

}  // namespace
