// Recording a host call in the journal. The formatting is out of line and
// runs only when something records (see perform.h).
#pragma once

#include <string>
#include <type_traits>
#include <utility>

#include "sim/core/host.h"
#include "sim/journal/operations.h"

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

void AppendArg(LineText& out, Host& host, const VesselRecord* vessel, double value);
void AppendArg(LineText& out, Host& host, const VesselRecord* vessel, int value);
void AppendArg(LineText& out, Host& host, const VesselRecord* vessel, unsigned value);
void AppendArg(LineText& out, Host& host, const VesselRecord* vessel, bool value);
void AppendArg(LineText& out, Host& host, const VesselRecord* vessel, const char* value);
void AppendArg(LineText& out, Host& host, const VesselRecord* vessel, const VECTOR3& value);
void AppendArg(LineText& out, Host& host, const VesselRecord* vessel, const HandleArg& value);
// A format that names handles is given the host and the recording vessel.
template <typename Format>
void AppendArg(LineText& out, Host& host, const VesselRecord* vessel,
               const LazyArg<Format>& value) {
  if constexpr (std::is_invocable_v<const Format&, Host&, const VesselRecord*>)
    out += value.format(host, vessel);
  else
    out += value.format();
}

// An argument the module may leave out (a null pointer): shown only when given.
template <typename T>
struct MaybeArg {
  const T* value;
};
template <typename T>
MaybeArg<T> Maybe(const T* value) {
  return {value};
}
template <typename T>
struct IsMaybe : std::false_type {};
template <typename T>
struct IsMaybe<MaybeArg<T>> : std::true_type {};

// Arguments come by value, in registers where they fit: the caller keeps
// nothing in memory for a call that is seldom made.
template <typename... Args>
[[gnu::noinline]] void RecordCall(Host& host, const VesselRecord* vessel, Operation op,
                                  Args... args) {
  Journal& journal = host.journal();
  // Written straight into the journal's line: nothing built first and copied.
  LineText& line =
      journal.Begin(host.StepCount(), vessel == nullptr ? std::string_view("-") : vessel->name);
  line += op.Name();
  line += '(';
  bool first = true;
  [[maybe_unused]] auto append = [&](const auto& arg) {
    using Arg = std::decay_t<decltype(arg)>;
    if constexpr (IsResult<Arg>::value) {
      return;
    } else if constexpr (IsMaybe<Arg>::value) {
      if (arg.value == nullptr) return;
      if (!first) line += ", ";
      first = false;
      AppendArg(line, host, vessel, *arg.value);
    } else {
      if (!first) line += ", ";
      first = false;
      AppendArg(line, host, vessel, arg);
    }
  };
  (append(args), ...);
  line += ')';
  if constexpr ((IsResult<Args>::value || ...)) {
    journal.BeginResult();
    [[maybe_unused]] auto append_result = [&](const auto& arg) {
      if constexpr (IsResult<std::decay_t<decltype(arg)>>::value)
        AppendArg(line, host, vessel, arg.value);
    };
    (append_result(args), ...);
  }
  journal.End();
}

}  // namespace vsim::functions
