// A vessel's last state that was finite throughout, put back when a step
// (or anything else) makes it otherwise: one bad value never poisons the
// rest of the run.
#pragma once

#include "sim/core/vessel_record.h"

namespace vsim {

bool StateFinite(const VesselRecord& vessel);
// Keeps the state as the last good one if it is finite.
void Remember(VesselRecord& vessel);
// Keeps it, known to be finite.
void Keep(VesselRecord& vessel);
// Puts the last good state back; an undone step burned no fuel, a fuel
// mass set from outside stays if it is finite.
void Restore(VesselRecord& vessel, bool undo_step);

}  // namespace vsim
