// A substitute for the optional sound library: gives each vessel its own
// identifier and records every request in the host's journal. Built as the
// library file the module looks for; test variants leave exports out.
// Nothing here throws or formats text: the host records what it is told,
// and only when its journal is on.
#include "host/host_api.h"
#include "sim/core/host.h"
#include "sim/core/sound_requests.h"
#include "sim/journal/operations.h"

namespace {

constexpr int kMaxVessels = 60;
OBJHANDLE vessels[kMaxVessels] = {};

OBJHANDLE VesselOf(int id) { return id >= 0 && id < kMaxVessels ? vessels[id] : nullptr; }

int Note(int id, const vsim::SoundRequest& request, int result = 1) noexcept {
  if (vsim::Host* host = vsim::ActiveHost()) vsim::NoteSoundRequest(*host, VesselOf(id), request);
  return result;
}

// The two playing requests differ only in their name.
vsim::SoundRequest Play(const char* call, int id, int slot, int loop, int volume, int frequency) {
  vsim::SoundRequest request{call, {id, slot, loop, volume, frequency}, 5, nullptr};
  request.slot = slot;
  request.kind = "play";
  request.loop = loop;
  request.volume = volume;
  request.frequency = frequency;
  return request;
}

}  // namespace

DLLCLBK int LoadVesselWaveOBSound3(int id, int slot, const char* path, int type) noexcept {
  return Note(
      id, {vsim::op::kLoadVesselWave.name, {id, slot}, 2, path, type, true, nullptr, slot, "load"});
}

DLLCLBK int PlayVesselWaveOBSound3(int id, int slot, int loop, int volume, int frequency) noexcept {
  return Note(id, Play(vsim::op::kPlayVesselWave.name, id, slot, loop, volume, frequency));
}

DLLCLBK int PlayVesselExclusiveWaveOBSound3(int id, int slot, int loop, int volume,
                                            int frequency) noexcept {
  return Note(id, Play(vsim::op::kPlayVesselExclusiveWave.name, id, slot, loop, volume, frequency));
}

DLLCLBK int StopVesselWave3(int id, int slot) noexcept {
  return Note(
      id,
      {vsim::op::kStopVesselWave.name, {id, slot}, 2, nullptr, 0, false, nullptr, slot, "stop"});
}

DLLCLBK int IsPlayingVesselWave3(int id, int slot) noexcept {
  return Note(
      id,
      {vsim::op::kIsPlayingVesselWave.name, {id, slot}, 2, nullptr, 0, false, nullptr, 0, "query"},
      0);
}

DLLCLBK int IsPlayingRadioVesselWave(int id, int slot) noexcept {
  return Note(id,
              {vsim::op::kIsPlayingRadioVesselWave.name,
               {id, slot},
               2,
               nullptr,
               0,
               false,
               nullptr,
               0,
               "query"},
              0);
}

DLLCLBK int SoundOption3(int id, int option, int value) noexcept {
  return Note(id, {vsim::op::kSoundOption.name,
                   {id, option, value},
                   3,
                   nullptr,
                   0,
                   false,
                   nullptr,
                   0,
                   "option"});
}

#if !defined(WITHOUT_SET_FREQUENCY)
DLLCLBK int SetFrequency(int id, int slot, int frequency) noexcept {
  return Note(id, {vsim::op::kSetFrequency.name,
                   {id, slot, frequency},
                   3,
                   nullptr,
                   0,
                   false,
                   nullptr,
                   0,
                   "query"});
}
#endif

#if !defined(WITHOUT_GET_VESSEL_SOUND_ID)
DLLCLBK int GetVesselSoundID3(OBJHANDLE vessel) noexcept {
  vsim::Host* host = vsim::ActiveHost();
  // A vessel keeps its identifier; one whose vessel is gone is free again.
  int id = -1;
  for (int i = 0; i < kMaxVessels && id < 0; ++i)
    if (vessels[i] == vessel) id = i;
  for (int i = 0; i < kMaxVessels && id < 0; ++i)
    if (vessels[i] == nullptr || host == nullptr || host->VesselOf(vessels[i]) == nullptr) id = i;
  if (id >= 0) vessels[id] = vessel;
  if (host == nullptr) return id;
  vsim::NoteSoundRequest(
      *host, vessel, {vsim::op::kGetVesselSoundID.name, {}, 0, nullptr, 0, false, vessel, 0, "id"});
  vsim::NoteSoundId(*host, vessel, id);
  return id;
}
#endif

DLLCLBK int ReplaceStockOBSound3(int id, int which, const char* path) noexcept {
  return Note(
      id,
      {vsim::op::kReplaceStockSound.name, {id, which}, 2, path, 0, false, nullptr, 0, "option"});
}

#if !defined(WITHOUT_GET_VERSION)
constexpr int kVersion = 35;
DLLCLBK int GetVersionOBSound3() noexcept { return kVersion; }
#endif
