#include "bench/allocations.h"

#include <malloc.h>

#include <cstdlib>
#include <new>

namespace {

bench::Allocations live;

void* Allocate(std::size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block != nullptr) {
    live.bytes += malloc_usable_size(block);
    ++live.blocks;
  }
  return block;
}

void Free(void* block) {
  if (block == nullptr) return;
  live.bytes -= malloc_usable_size(block);
  --live.blocks;
  std::free(block);
}

}  // namespace

namespace bench {

Allocations LiveAllocations() { return live; }

}  // namespace bench

void* operator new(std::size_t size) {
  void* block = Allocate(size);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* block) noexcept { Free(block); }
void operator delete[](void* block) noexcept { Free(block); }
void operator delete(void* block, std::size_t) noexcept { Free(block); }
void operator delete[](void* block, std::size_t) noexcept { Free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Free(block); }
