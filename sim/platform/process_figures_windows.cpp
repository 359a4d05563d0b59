#include <windows.h>
// After windows.h, whose types it uses.
#include <psapi.h>

#include "sim/platform/process_figures.h"

namespace vsim::platform {

long ResidentKiB() {
  PROCESS_MEMORY_COUNTERS counters{};
  if (!K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return -1;
  return static_cast<long>(counters.WorkingSetSize / 1024);
}

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

long OpenHandles() {
  DWORD count = 0;
  return GetProcessHandleCount(GetCurrentProcess(), &count) ? static_cast<long>(count) : -1;
}

InstructionCounter::InstructionCounter() = default;
InstructionCounter::~InstructionCounter() = default;
void InstructionCounter::Start() {}
long long InstructionCounter::Stop() { return -1; }

}  // namespace vsim::platform
