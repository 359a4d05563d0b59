// Recording a host call in the journal. The test of the journal's switch is
// inline; the formatting is out of line and runs only when something
// records.
#pragma once

#include <string>
#include <type_traits>
#include <utility>

#include "sim/core/host.h"

namespace vsim::functions {

struct HandleArg {
  const char* kind;
  const void* handle;
};

// An argument formatted only when the call is recorded.
template <typename Format>
struct LazyArg {
  Format format;
};
template <typename Format>
LazyArg<Format> Lazy(Format format) {
  return {std::move(format)};
}

// What a call returned, shown after its arguments.
template <typename T>
struct Result {
  T value;
};
template <typename T>
Result<T> Returns(T value) {
  return {value};
}

template <typename T>
struct IsResult : std::false_type {};
template <typename T>
struct IsResult<Result<T>> : std::true_type {};

void AppendArg(std::string& out, Host& host, const VesselRecord* vessel, double value);
void AppendArg(std::string& out, Host& host, const VesselRecord* vessel, int value);
void AppendArg(std::string& out, Host& host, const VesselRecord* vessel, unsigned value);
void AppendArg(std::string& out, Host& host, const VesselRecord* vessel, bool value);
void AppendArg(std::string& out, Host& host, const VesselRecord* vessel, const char* value);
void AppendArg(std::string& out, Host& host, const VesselRecord* vessel, const VECTOR3& value);
void AppendArg(std::string& out, Host& host, const VesselRecord* vessel, const HandleArg& value);
template <typename Format>
void AppendArg(std::string& out, Host&, const VesselRecord*, const LazyArg<Format>& value) {
  out += value.format();
}

// Arguments come by value, in registers where they fit: the caller keeps
// nothing in memory for a call that is seldom made.
template <typename... Args>
[[gnu::noinline, gnu::cold]] void RecordCall(Host& host, const VesselRecord* vessel,
                                             const char* name, Args... args) {
  // The journal's own buffers: no allocation for a call once they have
  // grown to the longest.
  std::string& call = host.journal().CallBuffer();
  std::string& result = host.journal().ResultBuffer();
  call.assign(name);
  call += '(';
  result.clear();
  bool first = true;
  [[maybe_unused]] auto append = [&](const auto& arg) {
    using Arg = std::decay_t<decltype(arg)>;
    if constexpr (IsResult<Arg>::value) {
      AppendArg(result, host, vessel, arg.value);
    } else {
      if (!first) call += ", ";
      first = false;
      AppendArg(call, host, vessel, arg);
    }
  };
  (append(args), ...);
  call += ')';
  host.journal().Add(host.StepCount(),
                     vessel == nullptr ? std::string_view("-") : std::string_view(vessel->name),
                     call, result);
}

template <typename... Args>
inline void Record(Host& host, const VesselRecord* vessel, const char* name, Args... args) {
  if (__builtin_expect(!host.journal().enabled, 1)) return;
  RecordCall(host, vessel, name, args...);
}

}  // namespace vsim::functions
