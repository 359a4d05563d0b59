// The core's record of a vessel: its groups found by type as a search of
// their list in declaration order would find them.
#include "sim/core/vessel_record.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Members = std::vector<std::uint32_t>;

// The one value the type holds beyond its named groups (its enumerators
// need four bits).
constexpr auto kUnnamedGroup = static_cast<THGROUP_TYPE>(15);

TEST(VesselRecordGroups, TheFirstOfATypeIsFoundAndAMissingTypeIsNot) {
  vsim::VesselRecord v;
  v.declared.thrusters.resize(5);
  EXPECT_EQ(v.declared.AddGroup({THGROUP_HOVER, {1}}), 0u);
  EXPECT_EQ(v.declared.AddGroup({THGROUP_MAIN, {2}}), 1u);
  EXPECT_EQ(v.declared.AddGroup({THGROUP_HOVER, {3}}), 2u) << "a second group of a type";
  EXPECT_EQ(v.declared.AddGroup({kUnnamedGroup, {4}}), 3u);

  const struct {
    THGROUP_TYPE type;
    const vsim::ThrusterGroup* expected;
  } kLookups[] = {
      {THGROUP_HOVER, &v.declared.groups[0]},
      {THGROUP_MAIN, &v.declared.groups[1]},
      {kUnnamedGroup, &v.declared.groups[3]},
      {THGROUP_RETRO, nullptr},
      {THGROUP_ATT_BACK, nullptr},
  };
  for (const auto& l : kLookups) {
    EXPECT_EQ(v.Group(l.type), l.expected) << "type " << l.type;
    EXPECT_EQ(v.GroupMember(l.type),
              l.expected == nullptr ? nullptr : &v.declared.thrusters[l.expected->members.front()])
        << "type " << l.type;
  }

  // Past the indices a record keeps, a type's first group is still found.
  vsim::VesselRecord many;
  constexpr std::uint32_t kManyGroups = 300;
  for (std::uint32_t i = 0; i < kManyGroups; ++i) many.declared.AddGroup({THGROUP_RETRO, {i}});
  EXPECT_EQ(many.declared.AddGroup({THGROUP_MAIN, {7}}), kManyGroups);
  EXPECT_EQ(many.declared.AddGroup({THGROUP_MAIN, {8}}), kManyGroups + 1);
  EXPECT_EQ(many.Group(THGROUP_MAIN), &many.declared.groups[kManyGroups]);
  EXPECT_EQ(many.Group(THGROUP_HOVER), nullptr);

  // A copy finds its own groups, not the original's.
  const vsim::VesselRecord copy = v;
  EXPECT_EQ(copy.Group(THGROUP_MAIN), &copy.declared.groups[1]);
  EXPECT_EQ(copy.Group(THGROUP_MAIN)->members, Members{2});
}

}  // namespace
