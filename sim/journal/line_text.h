// Text built in place, one character range after another, with no check of
// its own beyond the room each piece asks for: the journal writes its lines
// into one of these, and they reach the file from it.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace vsim {

// The appenders are inlined even where their callers are built for size:
// they are a few instructions each.
#define VSIM_LINE_INLINE [[gnu::always_inline]] inline

class LineText {
public:
  // Room for n more characters at the end; write them there, then Advance.
  VSIM_LINE_INLINE char* Room(std::size_t n) {
    if (capacity_ - size_ < n) Grow(n);
    return data_.get() + size_;
  }
  VSIM_LINE_INLINE bool HasRoom(std::size_t n) const { return capacity_ - size_ >= n; }
  VSIM_LINE_INLINE void Advance(const char* end) {
    size_ = static_cast<std::size_t>(end - data_.get());
  }

  VSIM_LINE_INLINE void Put(char c) {
    *Room(1) = c;
    ++size_;
  }
  VSIM_LINE_INLINE void Put(std::string_view text) {
    char* at = Room(text.size());
    if (!text.empty()) std::memcpy(at, text.data(), text.size());
    size_ += text.size();
  }
  VSIM_LINE_INLINE LineText& operator+=(char c) {
    Put(c);
    return *this;
  }
  VSIM_LINE_INLINE LineText& operator+=(std::string_view text) {
    Put(text);
    return *this;
  }

  const char* data() const { return data_.get(); }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::string_view View(std::size_t from = 0) const { return {data_.get() + from, size_ - from}; }
  std::string_view View(std::size_t from, std::size_t to) const {
    return {data_.get() + from, to - from};
  }
  std::string Str() const { return std::string(View()); }
  // Drops everything from `size` on.
  void Truncate(std::size_t size) { size_ = size; }
  void Clear() { size_ = 0; }

private:
  void Grow(std::size_t n);

  std::unique_ptr<char[]> data_;
  std::size_t size_ = 0, capacity_ = 0;
};

#undef VSIM_LINE_INLINE

}  // namespace vsim
