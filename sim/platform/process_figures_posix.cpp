#include <linux/perf_event.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "sim/platform/process_figures.h"

namespace vsim::platform {

bool UnderWine() { return false; }

long ResidentKiB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  if (!(statm >> pages >> resident)) return -1;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long OpenHandles() {
  std::error_code error;
  long count = 0;
  for (std::filesystem::directory_iterator it("/proc/self/fd", error), end; !error && it != end;
       it.increment(error))
    ++count;
  return error ? -1 : count;
}

InstructionCounter::InstructionCounter() {
  perf_event_attr attr{};
  attr.type = PERF_TYPE_HARDWARE;
  attr.size = sizeof attr;
  attr.config = PERF_COUNT_HW_INSTRUCTIONS;
  attr.disabled = 1;
  attr.exclude_kernel = 1;
  attr.exclude_hv = 1;
  fd_ = static_cast<int>(syscall(SYS_perf_event_open, &attr, 0, -1, -1, 0));
}

InstructionCounter::~InstructionCounter() {
  if (fd_ >= 0) close(fd_);
}

void InstructionCounter::Start() {
  if (fd_ < 0) return;
  ioctl(fd_, PERF_EVENT_IOC_RESET, 0);
  ioctl(fd_, PERF_EVENT_IOC_ENABLE, 0);
}

long long InstructionCounter::Stop() {
  if (fd_ < 0) return -1;
  ioctl(fd_, PERF_EVENT_IOC_DISABLE, 0);
  long long count = 0;
  return read(fd_, &count, sizeof count) == static_cast<ssize_t>(sizeof count) ? count : -1;
}

}  // namespace vsim::platform
