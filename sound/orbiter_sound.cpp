#include "sound/orbiter_sound.h"

#include <cstddef>
#include <iterator>

#include "module/os_layer.h"

namespace {

constexpr char kLibraryName[] = "OrbiterSound.dll";

enum Entry : std::size_t {
  kLoadWave,
  kPlayWave,
  kPlayExclusiveWave,
  kStopWave,
  kIsPlaying,
  kIsPlayingRadio,
  kSoundOption,
  kSetFrequency,
  kGetVesselSoundId,
  kReplaceStock,
  kGetVersion,
  kEntryCount
};

struct EntryRow {
  const char* name;
  bool required;
};
constexpr EntryRow kEntries[kEntryCount] = {
    {"LoadVesselWaveOBSound3", true},
    {"PlayVesselWaveOBSound3", true},
    {"PlayVesselExclusiveWaveOBSound3", true},
    {"StopVesselWave3", true},
    {"IsPlayingVesselWave3", true},
    {"IsPlayingRadioVesselWave", true},
    {"SoundOption3", true},
    {"SetFrequency", true},
    {"GetVesselSoundID3", true},
    {"ReplaceStockOBSound3", true},
    {"GetVersionOBSound3", false},
};

constexpr char kErrNullHandle[] =
    "ERR01= Vessel->ConnectToOrbiterSoundDLL3: A vessel passed a NULL handle to this function";
constexpr char kErrNotLoaded[] =
    "ERR01= Vessel->ConnectToOrbiterSoundDLL3: Unable to connect to OrbiterSound 3.5 - not "
    "installed or activated";
constexpr char kErrMissingRoutines[] =
    "ERR02= ConnectToOrbiterSoundDLL3: Unable to find routines missing OrbiterSound3.5 ?";
constexpr char kErrNoSoundId[] = "ERR03= unable to connect to GetMyID, Older OrbiterSound.dll ?";

constexpr unsigned kMaxSoundId = 59;
constexpr int kMinSlot = 1;
constexpr int kMaxSlot = 60;
constexpr int kMinOption = 1;
constexpr int kMaxOption = 17;

HMODULE sound_module = nullptr;
os::ProcAddress sound_api[kEntryCount] = {};

template <typename Fn>
Fn Api(Entry entry) {
  return reinterpret_cast<Fn>(sound_api[entry]);
}

bool ValidId(int id) { return static_cast<unsigned>(id) <= kMaxSoundId; }
bool ValidSlot(int slot) { return slot >= kMinSlot && slot <= kMaxSlot; }

int Fail(const char* message) {
  SoundLogEntry(message, "");
  return -1;
}

}  // namespace

int ConnectToOrbiterSoundDLL3(OBJHANDLE vessel) {
  if (vessel == nullptr) return Fail(kErrNullHandle);
  sound_module = GetModuleHandleA(kLibraryName);
  if (sound_module == nullptr) return Fail(kErrNotLoaded);
  for (std::size_t i = 0; i < kEntryCount; ++i)
    sound_api[i] = os::FindExport(sound_module, kEntries[i].name);
  for (std::size_t i = 0; i < kEntryCount; ++i)
    if (i != kGetVesselSoundId && kEntries[i].required && sound_api[i] == nullptr)
      return Fail(kErrMissingRoutines);
  if (sound_api[kGetVesselSoundId] == nullptr) return Fail(kErrNoSoundId);
  return Api<int (*)(OBJHANDLE)>(kGetVesselSoundId)(vessel);
}

int SoundLoadWave(int id, int slot, const char* path, int type) {
  auto load = Api<int (*)(int, int, const char*, int)>(kLoadWave);
  if (load == nullptr || !ValidId(id) || !ValidSlot(slot)) return 0;
  return load(id, slot, path, type);
}

int SoundPlayWave(int id, int slot, int loop, int volume, int frequency) {
  auto play = Api<int (*)(int, int, int, int, int)>(kPlayWave);
  if (play == nullptr || !ValidId(id) || !ValidSlot(slot)) return 0;
  return play(id, slot, loop, volume, frequency);
}

int SoundStopWave(int id, int slot) {
  auto stop = Api<int (*)(int, int)>(kStopWave);
  if (stop == nullptr || !ValidId(id) || !ValidSlot(slot)) return 0;
  return stop(id, slot);
}

int SoundSetOption(int id, int option, int value) {
  auto set_option = Api<int (*)(int, int, int)>(kSoundOption);
  if (set_option == nullptr || !ValidId(id) || option < kMinOption || option > kMaxOption) return 0;
  return set_option(id, option, value);
}
