// The benchmark program counts every allocation made through operator new,
// by the host and by the modules it loads alike.
#pragma once

#include <cstddef>

namespace bench {

struct Allocations {
  std::size_t bytes = 0;   // live, as the allocator sized the blocks
  std::size_t blocks = 0;  // live
};

Allocations LiveAllocations();

}  // namespace bench
