// Checks of the module at run time: with and without the sound library, and
// how fast its step is.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <set>

#include "sim/platform/process_figures.h"
#include "sim/validate/checks.h"
#include "sim/validate/world.h"

namespace vsim::validate {

namespace {

constexpr int kSoundSteps = 5;
constexpr std::uintmax_t kMaxWrittenBytes = std::uintmax_t{1} << 20;
constexpr double kKiB = 1024;
constexpr int kCountedSteps = 100;

namespace fs = std::filesystem;

std::set<std::string> Listing(const fs::path& dir) {
  std::set<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error))
    names.insert(it->path().filename().string());
  return names;
}

std::uintmax_t BytesUnder(const fs::path& dir) {
  std::uintmax_t bytes = 0;
  std::error_code error;
  for (fs::recursive_directory_iterator it(dir, error), end; !error && it != end;
       it.increment(error))
    if (it->is_regular_file(error)) bytes += it->file_size(error);
  return bytes;
}

const char* SoundName(Sound s) {
  return s == Sound::kAbsent ? "absent" : s == Sound::kPartial ? "partial" : "present";
}

}  // namespace

// Run in a working folder of its own: what a module writes there is counted.
Result CheckSound(const Target& target) {
  const fs::path module_dir = fs::absolute(target.module).parent_path();
  const std::set<std::string> beside = Listing(module_dir);
  std::string skipped;
  const int vessels = target.sizes().sound_vessels;
  int flown = 0;
  for (Sound sound : {Sound::kAbsent, Sound::kPartial, Sound::kPresent}) {
    const std::string& library = sound == Sound::kPartial ? target.partial_sound : target.sound;
    if (sound != Sound::kAbsent && library.empty()) {
      skipped += std::string(skipped.empty() ? "" : ", ") + SoundName(sound);
      continue;
    }
    World world(target, sound);
    try {
      flown += vessels;
      for (int i = 0; i < vessels; ++i) {
        world.Create("v");
        for (int k = 0; k < kSoundSteps; ++k) {
          world.host.DeliverKey("v", static_cast<DWORD>(k), true);
          world.Step();
        }
        world.Destroy("v");
        world.host.journal().Clear();
      }
    } catch (const Broken& b) {
      Result r = b.result;
      r.reason += std::string(" (sound library ") + SoundName(sound) + ")";
      return r;
    }
  }
  if (Listing(module_dir) != beside)
    return Fail("the module wrote beside itself, in " + module_dir.string() +
                ", rather than in the working folder");
  const std::uintmax_t written = BytesUnder(fs::current_path());
  if (written > kMaxWrittenBytes)
    return Fail("the module wrote " + std::to_string(written) +
                " bytes into the working folder for " + std::to_string(flown) +
                " vessels: not bounded");
  const std::vector<Figure> figures = {
      AtMost("written into the working folder", static_cast<double>(written) / kKiB, "KiB",
             static_cast<double>(kMaxWrittenBytes) / kKiB),
      AtMost("written beside the module", 0, "files", 0), Measured("vessels", flown, "")};
  return Pass(std::to_string(vessels) + " vessels each with the sound library absent, " +
                  "partial and present" + (skipped.empty() ? "" : " (not found: " + skipped + ")") +
                  "; " + FiguresText(figures),
              figures);
}

Result CheckSpeed(const Target& target) {
  World world(target, Sound::kPresent);
  world.Create("a");
  world.host.journal().enabled = false;
  std::vector<double> times;
  const int timed = target.sizes().timed_steps;
  times.reserve(static_cast<std::size_t>(timed));
  for (int i = 0; i < timed; ++i) {
    const auto start = std::chrono::steady_clock::now();
    world.host.Step();
    times.push_back(
        std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count());
  }
  world.Verify();
  std::nth_element(times.begin(), times.begin() + timed / 2, times.end());
  platform::InstructionCounter counter;
  std::vector<Figure> figures = {
      Measured("median step", times[static_cast<std::size_t>(timed / 2)], "ns")};
  if (counter.Available()) {
    counter.Start();
    for (int i = 0; i < kCountedSteps; ++i) world.host.Step();
    const long long counted = counter.Stop();
    if (counted > 0)
      figures.push_back(
          Measured("instructions per step", static_cast<double>(counted / kCountedSteps), ""));
  }
  world.host.journal().enabled = true;
  world.TakeCalls();
  world.Steps(kCountedSteps);
  std::size_t calls = 0;
  for (const auto& [vessel, list] : world.TakeCalls()) calls += list.size();
  figures.push_back(
      Measured("host calls per step", static_cast<double>(calls / kCountedSteps), ""));
  return Pass("one vessel, the host included, reported and never failed" +
                  std::string(figures.size() < 3 ? " (instructions not counted here)" : "") + "; " +
                  FiguresText(figures),
              figures);
}

}  // namespace vsim::validate
