// What the system can tell of this process's use of resources, for checks
// that nothing grows over many cycles.
#pragma once

namespace vsim::platform {

// Resident memory in KiB, or -1 where the system does not tell.
long ResidentKiB();
// Open file descriptors (Linux) or handles (Windows), or -1.
long OpenHandles();
// Instructions this thread has retired since Start, where the processor's
// counters are open to the process; Available() is false otherwise.
class InstructionCounter {
public:
  InstructionCounter();
  ~InstructionCounter();
  InstructionCounter(const InstructionCounter&) = delete;
  InstructionCounter& operator=(const InstructionCounter&) = delete;
  bool Available() const { return fd_ >= 0; }
  void Start();
  long long Stop();

private:
  int fd_ = -1;
};

}  // namespace vsim::platform
