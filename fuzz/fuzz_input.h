// A fuzzer's bytes taken as typed values, front to back; an exhausted input
// gives zeros and empty texts.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace vsim::fuzz {

class FuzzInput {
public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Empty() const { return at_ >= size_; }
  std::uint8_t Byte() { return Empty() ? 0 : data_[at_++]; }
  std::size_t Below(std::size_t limit) { return limit == 0 ? 0 : Byte() % limit; }
  double Double() {
    double value = 0;
    const std::size_t n = std::min(sizeof value, size_ - std::min(at_, size_));
    std::memcpy(&value, data_ + std::min(at_, size_), n);
    at_ += n;
    return value;
  }
  // A text of up to max bytes, its length the first byte.
  std::string Text(std::size_t max) {
    const std::size_t length = std::min<std::size_t>(Below(max + 1), size_ - std::min(at_, size_));
    std::string text(reinterpret_cast<const char*>(data_ + std::min(at_, size_)), length);
    at_ += length;
    return text;
  }

private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

}  // namespace vsim::fuzz
