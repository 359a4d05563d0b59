#include "sim/journal/line_text.h"

#include <algorithm>

namespace vsim {

namespace {

constexpr std::size_t kFirstCapacity = 256;

}  // namespace

void LineText::Grow(std::size_t n) {
  const std::size_t capacity = std::max({kFirstCapacity, capacity_ * 2, size_ + n});
  auto grown = std::make_unique<char[]>(capacity);
  if (size_ != 0) std::memcpy(grown.get(), data_.get(), size_);
  data_ = std::move(grown);
  capacity_ = capacity;
}

}  // namespace vsim
