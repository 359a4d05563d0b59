#include "sound/vessel_sounds.h"

#include "module/shuttle_pb.h"
#include "sound/orbiter_sound.h"

namespace {

enum Slot : int { kEngineSlot = 1, kGearSlot = 2, kSecondSwitchSlot = 3 };

constexpr int kLoadFlag = 4;
struct WaveRow {
  Slot slot;
  const char* file;
};
constexpr WaveRow kWaves[] = {
    {kEngineSlot, "Sound\\Corvane\\Corvane-Eng.wav"},
    {kGearSlot, "Sound\\Corvane\\Corvane-Gear.wav"},
};
constexpr int kOptionsOff[] = {5, 6, 1, 13, 14, 16, 17};
constexpr int kOff = 0;

constexpr int kLoop = 1;
constexpr int kOnce = 0;
constexpr int kFullVolume = 255;
constexpr int kCockpitVolume = 220;
constexpr int kDefaultFrequency = 0;

constexpr double kEnginePitchPerLevel = 6000.0;
constexpr double kEngineBaseFrequency = 14000.0;
constexpr double kEngineMinFrequency = 11500.0;
constexpr double kEngineMaxFrequency = 22500.0;
constexpr double kCockpitFrequencyDrop = 800.0;

}  // namespace

void PlayGearSound(int sound_id) {
  SoundPlayWave(sound_id, kGearSlot, kOnce, kFullVolume, kDefaultFrequency);
}

void PlaySecondSwitchSound(int sound_id) {
  SoundPlayWave(sound_id, kSecondSwitchSlot, kOnce, kFullVolume, kDefaultFrequency);
}

void ShuttlePB::ConnectSound() {
  sound_id = ConnectToOrbiterSoundDLL3(GetHandle());
  for (const WaveRow& wave : kWaves) SoundLoadWave(sound_id, wave.slot, wave.file, kLoadFlag);
  for (const int option : kOptionsOff) SoundSetOption(sound_id, option, kOff);
}

void ShuttlePB::PlayEngineSound() {
  const double main_level = GetThrusterLevel(state.th_main);
  const double hover_level = GetThrusterLevel(state.th_hover);
  if (main_level > 0.0 || hover_level > 0.0) {
    state.engine_sound_base = kEnginePitchPerLevel * (main_level > 0.0 ? main_level : hover_level);
    state.engine_sound_freq = state.engine_sound_base + kEngineBaseFrequency;
    if (state.engine_sound_freq < kEngineMinFrequency)
      state.engine_sound_freq = kEngineMinFrequency;
    if (state.engine_sound_freq > kEngineMaxFrequency)
      state.engine_sound_freq = kEngineMaxFrequency;
    if (oapiCameraInternal())
      SoundPlayWave(sound_id, kEngineSlot, kLoop, kCockpitVolume,
                    static_cast<int>(state.engine_sound_freq - kCockpitFrequencyDrop));
    else
      SoundPlayWave(sound_id, kEngineSlot, kLoop, kFullVolume,
                    static_cast<int>(state.engine_sound_freq));
  }
  if (main_level == 0.0 && hover_level == 0.0) SoundStopWave(sound_id, kEngineSlot);
}
