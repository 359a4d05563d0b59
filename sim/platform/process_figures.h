// What the system can tell of this process's use of resources, for checks
// that nothing grows over many cycles.
#pragma once

namespace vsim::platform {

// Whether this build runs under the address sanitizer, which holds freed
// memory back: memory growth then says nothing of leaks.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

// Whether this Windows program runs under Wine, whose loader keeps some
// memory for every library load: growth over many loads is then its own.
bool UnderWine();

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
