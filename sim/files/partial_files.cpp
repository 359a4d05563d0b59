#include "sim/files/partial_files.h"

#include <atomic>
#include <cstring>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

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

}  // namespace

int RememberPartial(const std::string& path, int descriptor) {
  if (path.size() >= kMaxPath) return -1;
  for (int i = 0; i < kSlots; ++i) {
    bool expected = false;
    if (!slots[i].taken.compare_exchange_strong(expected, true)) continue;
    std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
    slots[i].descriptor = descriptor;
    slots[i].ready = true;
    return i;
  }
  return -1;
}

void ForgetPartial(int slot) {
  if (slot < 0 || slot >= kSlots) return;
  slots[slot].ready = false;
  slots[slot].taken = false;
}

void RemovePartialsNow() {
  for (Slot& slot : slots)
    if (slot.ready) {
#if defined(_WIN32)
      if (slot.descriptor >= 0) _close(slot.descriptor);
      _unlink(slot.path);
#else
      unlink(slot.path);
#endif
    }
}

}  // namespace vsim
