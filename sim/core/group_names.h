// The thruster groups by the names scripts and the log give them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "host/host_api.h"

namespace vsim {

struct GroupName {
  THGROUP_TYPE type;
  const char* name;
};

inline constexpr GroupName kGroupNames[] = {
    {THGROUP_MAIN, "main"},
    {THGROUP_RETRO, "retro"},
    {THGROUP_HOVER, "hover"},
    {THGROUP_ATT_PITCHUP, "pitchup"},
    {THGROUP_ATT_PITCHDOWN, "pitchdown"},
    {THGROUP_ATT_YAWLEFT, "yawleft"},
    {THGROUP_ATT_YAWRIGHT, "yawright"},
    {THGROUP_ATT_BANKLEFT, "bankleft"},
    {THGROUP_ATT_BANKRIGHT, "bankright"},
    {THGROUP_ATT_RIGHT, "right"},
    {THGROUP_ATT_LEFT, "left"},
    {THGROUP_ATT_UP, "up"},
    {THGROUP_ATT_DOWN, "down"},
    {THGROUP_ATT_FORWARD, "forward"},
    {THGROUP_ATT_BACK, "back"},
};

inline const char* NameOf(THGROUP_TYPE type) {
  for (const GroupName& g : kGroupNames)
    if (g.type == type) return g.name;
  return "group";
}

inline std::optional<THGROUP_TYPE> GroupNamed(const std::string& name) {
  for (const GroupName& g : kGroupNames)
    if (name == g.name) return g.type;
  return std::nullopt;
}

}  // namespace vsim
