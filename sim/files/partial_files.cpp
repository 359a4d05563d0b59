#include "sim/files/partial_files.h"

#include <atomic>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "sim/platform/file_identity.h"
#include "sim/platform/pause_points.h"
#include "sim/platform/platform.h"

namespace vsim {

namespace {

// A run writes at most a trace, a log, a plot and a report at once.
constexpr int kSlots = 16;
constexpr std::size_t kMaxPath = 4096;

struct Slot {
  std::atomic<bool> taken{false};
  std::atomic<bool> ready{false};
  std::atomic<int> descriptor{-1};
  char path[kMaxPath];
};

Slot slots[kSlots];

constexpr char kPartialSuffix[] = ".partial";

// The process that wrote a partial file of `output`, or 0 when the name is
// not one.
int WriterOf(const std::string& name, const std::string& output) {
  const std::string suffix = kPartialSuffix;
  if (name.size() <= output.size() + 1 + suffix.size() ||
      name.compare(0, output.size(), output) != 0 || name[output.size()] != '.' ||
      name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
    return 0;
  const std::string digits =
      name.substr(output.size() + 1, name.size() - output.size() - 1 - suffix.size());
  constexpr std::size_t kMaxDigits = 9;
  if (digits.empty() || digits.size() > kMaxDigits) return 0;
  for (char c : digits)
    if (std::isdigit(static_cast<unsigned char>(c)) == 0) return 0;
  return std::stoi(digits);
}

}  // namespace

std::string PartialPath(const std::string& path) {
  return path + "." + std::to_string(platform::CurrentProcessId()) + kPartialSuffix;
}

void SweepStalePartials(const std::string& path) {
  namespace fs = std::filesystem;
  const fs::path output(path);
  const fs::path folder = output.has_parent_path() ? output.parent_path() : fs::path(".");
  const std::string name = output.filename().string();
  const int self = platform::CurrentProcessId();
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const int writer = WriterOf(it->path().filename().string(), name);
    if (writer == 0 || writer == self || platform::ProcessExists(writer)) continue;
    std::error_code ignored;
    fs::remove(it->path(), ignored);
  }
}

int RememberPartial(const std::string& path) {
  if (path.size() >= kMaxPath) return -1;
  for (int i = 0; i < kSlots; ++i) {
    bool expected = false;
    if (!slots[i].taken.compare_exchange_strong(expected, true)) continue;
    std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
    slots[i].descriptor = -1;
    slots[i].ready = true;
    return i;
  }
  return -1;
}

void RememberDescriptor(int slot, int descriptor) {
  if (slot >= 0 && slot < kSlots) slots[slot].descriptor = descriptor;
}

void ForgetPartial(int slot) {
  if (slot < 0 || slot >= kSlots) return;
  slots[slot].ready = false;
  slots[slot].taken = false;
}

void RemovePartialsNow() {
  for (Slot& slot : slots)
    if (slot.ready) {
      platform::PausePointInHandler("mid-clean-up");
      platform::RemoveFileNow(slot.path, slot.descriptor);
    }
}

}  // namespace vsim
