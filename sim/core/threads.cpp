#include "sim/core/threads.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace vsim {

namespace {

// The longest thread name Linux keeps, with its terminating zero.
constexpr std::size_t kThreadName = 16;

}  // namespace

std::string ThisThreadText() {
#if defined(_WIN32)
  return "thread " + std::to_string(GetCurrentThreadId());
#else
  std::string text = "thread " + std::to_string(static_cast<long>(syscall(SYS_gettid)));
  char name[kThreadName] = {};
  if (pthread_getname_np(pthread_self(), name, sizeof name) == 0 && name[0] != '\0')
    text += " \"" + std::string(name) + "\"";
  return text;
#endif
}

}  // namespace vsim
