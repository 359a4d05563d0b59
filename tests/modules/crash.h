// A crash for test modules: a write through a null pointer the compiler
// cannot see coming; not instrumented, so that it reaches the host as the
// crash it is.
#pragma once

namespace test_modules {

inline int* volatile null_pointer = nullptr;

#if defined(__clang__) || defined(__GNUC__)
__attribute__((no_sanitize("undefined")))
#endif
inline void
Crash() {
  *null_pointer = 1;
}

}  // namespace test_modules
