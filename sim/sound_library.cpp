// A substitute for the optional sound library: gives each vessel its own
// identifier and records every request in the host's journal. Built as the
// library file the module looks for; test variants leave exports out.
#include <string>

#include "host/host_api.h"
#include "sim/host.h"

namespace {

constexpr int kMaxVessels = 60;
OBJHANDLE vessels[kMaxVessels] = {};

OBJHANDLE VesselOf(int id) { return id >= 0 && id < kMaxVessels ? vessels[id] : nullptr; }

std::string Args(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += (out.empty() ? "" : ", ") + std::to_string(v);
  return out;
}

void Note(int id, const std::string& call, int slot, const char* kind, const char* wave = nullptr,
          int loop = 0, int volume = 0, int frequency = 0) {
  vsim::Host::Active().NoteSoundRequest(VesselOf(id), call, slot, kind, wave, loop, volume,
                                        frequency);
}

}  // namespace

#define SOUND_EXPORT extern "C" __attribute__((visibility("default")))

SOUND_EXPORT int LoadVesselWaveOBSound3(int id, int slot, const char* path, int type) {
  Note(id,
       "LoadVesselWaveOBSound3(" + Args({id, slot}) + ", " + vsim::FormatString(path) + ", " +
           std::to_string(type) + ")",
       slot, "load", path);
  return 1;
}

SOUND_EXPORT int PlayVesselWaveOBSound3(int id, int slot, int loop, int volume, int frequency) {
  Note(id, "PlayVesselWaveOBSound3(" + Args({id, slot, loop, volume, frequency}) + ")", slot,
       "play", nullptr, loop, volume, frequency);
  return 1;
}

SOUND_EXPORT int PlayVesselExclusiveWaveOBSound3(int id, int slot, int loop, int volume,
                                                 int frequency) {
  Note(id, "PlayVesselExclusiveWaveOBSound3(" + Args({id, slot, loop, volume, frequency}) + ")",
       slot, "play", nullptr, loop, volume, frequency);
  return 1;
}

SOUND_EXPORT int StopVesselWave3(int id, int slot) {
  Note(id, "StopVesselWave3(" + Args({id, slot}) + ")", slot, "stop");
  return 1;
}

SOUND_EXPORT int IsPlayingVesselWave3(int id, int slot) {
  Note(id, "IsPlayingVesselWave3(" + Args({id, slot}) + ")", 0, "query");
  return 0;
}

SOUND_EXPORT int IsPlayingRadioVesselWave(int id, int slot) {
  Note(id, "IsPlayingRadioVesselWave(" + Args({id, slot}) + ")", 0, "query");
  return 0;
}

SOUND_EXPORT int SoundOption3(int id, int option, int value) {
  Note(id, "SoundOption3(" + Args({id, option, value}) + ")", 0, "option");
  return 1;
}

#if !defined(WITHOUT_SET_FREQUENCY)
SOUND_EXPORT int SetFrequency(int id, int slot, int frequency) {
  Note(id, "SetFrequency(" + Args({id, slot, frequency}) + ")", 0, "query");
  return 1;
}
#endif

#if !defined(WITHOUT_GET_VESSEL_SOUND_ID)
SOUND_EXPORT int GetVesselSoundID3(OBJHANDLE vessel) {
  int id = -1;
  for (int i = 0; i < kMaxVessels && id < 0; ++i)
    if (vessels[i] == vessel || vessels[i] == nullptr) {
      vessels[i] = vessel;
      id = i;
    }
  vsim::Host& host = vsim::Host::Active();
  const std::string handle = host.HandleName(host.VesselFromHandle(vessel), "vessel", vessel);
  host.NoteSoundRequest(vessel, "GetVesselSoundID3(" + handle + ")", 0, "id");
  host.NoteSoundId(vessel, id);
  return id;
}
#endif

SOUND_EXPORT int ReplaceStockOBSound3(int id, int which, const char* path) {
  Note(id, "ReplaceStockOBSound3(" + Args({id, which}) + ", " + vsim::FormatString(path) + ")", 0,
       "option");
  return 1;
}

#if !defined(WITHOUT_GET_VERSION)
SOUND_EXPORT int GetVersionOBSound3() { return 35; }
#endif
