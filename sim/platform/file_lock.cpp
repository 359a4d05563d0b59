#include "sim/platform/file_lock.h"

namespace vsim::platform {

int FileLock::ParseHolder(const char* text) {
  int holder = 0;
  for (const char* c = text; *c >= '0' && *c <= '9' && holder < 100'000'000; ++c)
    holder = holder * 10 + (*c - '0');
  return holder;
}

}  // namespace vsim::platform
