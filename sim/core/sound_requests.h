// Requests the sound library passes to the host, kept with the vessel that
// made them so that scripts and outputs can read the last one of a slot.
#pragma once

#include "host/host_api.h"

namespace vsim {

class Host;

struct SoundRequest {
  const char* call;  // the library's export, e.g. "PlayVesselWaveOBSound3"
  int numbers[5];
  int count;         // numbers used, in front of the text
  const char* text;  // a file name argument, or null
  int trailing = 0;  // a number after the text
  bool has_trailing = false;
  OBJHANDLE vessel = nullptr;  // a vessel handle argument, in place of numbers
  int slot = 0;                // 0: a request that is not about one slot
  const char* kind = "";       // "load", "play", "stop", "query", "option", "id"
  int loop = 0, volume = 0, frequency = 0;
};

// Records the request under the vessel that owns the identifier's handle
// (or "-") and updates that vessel's slot. Formats nothing when the
// journal is off.
void NoteSoundRequest(Host& host, OBJHANDLE vessel, const SoundRequest& request);
void NoteSoundId(Host& host, OBJHANDLE vessel, int id);

}  // namespace vsim
