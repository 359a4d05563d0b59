#include <cstdio>

#include "sound/orbiter_sound.h"

namespace {

constexpr char kLogFile[] = "OrbiterSound_Log.txt";
constexpr char kBanner[] = "Orbiter Sound Log Started\n*****************************\n\n";
constexpr char kSeparator[] = "--------------------------------------";
constexpr int kMaxEntryIndex = 100;

int sound_log_count = 0;

}  // namespace

// Appending never empties an existing log; the banner goes only into a log
// that was empty, i.e. just created.
void SoundLogEntry(const char* message, const char* detail) {
  if (sound_log_count > kMaxEntryIndex) return;
  std::FILE* log = std::fopen(kLogFile, "at");
  if (log == nullptr) return;
  std::fseek(log, 0, SEEK_END);
  if (std::ftell(log) == 0) std::fputs(kBanner, log);
  std::fprintf(log, "%s\n", kSeparator);
  if (message != nullptr) std::fprintf(log, "%s\n", message);
  if (detail != nullptr) std::fprintf(log, "%s\n", detail);
  ++sound_log_count;
  std::fclose(log);
}
