// The host's checks on what a module hands it. A failed check is recorded
// as a fault and the call goes on with a neutral value; nothing is thrown
// into the module.
#pragma once

#include <cmath>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "sim/core/host.h"
#include "sim/handles/handles.h"
#include "sim/platform/linkage.h"

namespace vsim::functions {

// The checks' failures, out of line: each records its fault.
[[gnu::cold, gnu::noinline]] VesselRecord* Unresolved(Host* host, const char* call,
                                                      OBJHANDLE handle);
[[gnu::cold, gnu::noinline]] std::uint32_t NotIssued(Host& host, const VesselRecord& vessel,
                                                     const void* handle, HandleKind kind,
                                                     const char* call);
[[gnu::cold, gnu::noinline]] bool OutOfRange(Host& host, const VesselRecord& vessel, UINT index,
                                             std::size_t count, const char* what, const char* call);

// The vessel a VESSEL member acts on, or null (recorded as a fault) when
// no host runs, the call comes from a thread other than the simulation
// thread, or the host did not issue the handle.
inline VesselRecord* Resolve(Host* host, OBJHANDLE handle, const char* call) {
  if (__builtin_expect(host != nullptr && host->OnSimulationThread(), 1))
    if (VesselRecord* vessel = host->VesselOf(handle)) return vessel;
  return Unresolved(host, call, handle);
}

// The host for a global function, or null (recorded as a fault) when none
// runs or the call comes from a thread other than the simulation thread.
Host* Running(const char* call);

// Index of a handle the host issued to this vessel, or kNoIndex: for a
// null handle quietly (the host may have handed out null), for any other
// unknown handle with a fault.
inline std::uint32_t IndexOf(Host& host, const VesselRecord& vessel, const void* handle,
                             HandleKind kind, std::size_t count, const char* call) {
  if (handle == nullptr) return kNoIndex;
  const HandleCode code = DecodeHandle(handle);
  if (__builtin_expect(code.kind == kind && code.owner == vessel.serial && code.index < count, 1))
    return code.index;
  return NotIssued(host, vessel, handle, kind, call);
}

template <typename T>
[[gnu::always_inline]] inline T* Issued(Host& host, VesselRecord& vessel, const void* handle,
                                        HandleKind kind, std::vector<T>& store, const char* call) {
  const std::uint32_t index = IndexOf(host, vessel, handle, kind, store.size(), call);
  return index == kNoIndex ? nullptr : &store[index];
}

// The vessel whose callback runs on the active host, when it began with
// nothing observing the host; null otherwise, and always null on any thread
// but the simulation thread, whose calls so take the full path and its
// thread check. The host fills it (see Host::ShareFastVessel); kept in this
// library, it is read directly.
extern VSIM_FAST_TLS VesselRecord* fast_vessel VSIM_LIBRARY_LOCAL;
// The core's answers for the fast path: they read only the vessel's record.
extern CoreAnswers core_answers VSIM_LIBRARY_LOCAL;

// On the fast path: the host, when a callback of the active host runs on
// this thread and nothing observes the host.
inline Host* FastHost() { return fast_vessel != nullptr ? ActiveHost() : nullptr; }

// On the fast path: the vessel's own object for a handle it was issued,
// or null for anything else (which the full path then checks).
template <typename T>
[[gnu::always_inline]] inline T* Own(const VesselRecord& vessel, const void* handle,
                                     HandleKind kind, std::vector<T>& store) {
  const std::uint32_t index = IndexWithPrefix(handle, HandlePrefix(vessel.serial, kind));
  return index < store.size() ? &store[index] : nullptr;
}

// An index the module passes (animation, mesh) that must lie below count.
inline bool InRange(Host& host, const VesselRecord& vessel, UINT index, std::size_t count,
                    const char* what, const char* call) {
  if (__builtin_expect(index < count, 1)) return true;
  return OutOfRange(host, vessel, index, count, what, call);
}

// Numbers a module hands the host must be finite: a NaN or an infinity
// would become the host's state. The fault names the argument (from 1).
[[gnu::cold, gnu::noinline]] bool NotFinite(Host& host, const VesselRecord* vessel,
                                            const char* call, int argument, double value);

inline bool IsFinite(double x) { return std::isfinite(x); }
inline bool IsFinite(const VECTOR3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}
inline bool FirstNonFinite(int, int&, double&) { return false; }
template <typename First, typename... Rest>
bool FirstNonFinite(int position, int& argument, double& value, const First& first,
                    const Rest&... rest) {
  if (!IsFinite(first)) {
    argument = position;
    if constexpr (std::is_same_v<First, VECTOR3>)
      value = !std::isfinite(first.x) ? first.x : (!std::isfinite(first.y) ? first.y : first.z);
    else
      value = first;
    return true;
  }
  return FirstNonFinite(position + 1, argument, value, rest...);
}

template <typename... Values>
inline bool Finite(Host& host, const VesselRecord* vessel, const char* call,
                   const Values&... values) {
  if (__builtin_expect((IsFinite(values) && ...), 1)) return true;
  int argument = 0;
  double value = 0;
  FirstNonFinite(1, argument, value, values...);
  return NotFinite(host, vessel, call, argument, value);
}

// A record the module must pass and did not.
bool Present(Host& host, const VesselRecord* vessel, const void* pointer, const char* what,
             const char* call);

// Issues a new handle of this vessel.
void* NewHandle(Host& host, const VesselRecord& vessel, HandleKind kind, std::size_t index);

}  // namespace vsim::functions

// A member on the hot path tries the fast path first and otherwise calls
// its full path, FullName(vessel_handle, args...), defined as a function.
#define VSIM_FAST_VESSEL(v)                                                                   \
  vsim::VesselRecord* const v = vsim::functions::fast_vessel != nullptr &&                    \
                                        vsim::functions::fast_vessel->handle == vessel_handle \
                                    ? vsim::functions::fast_vessel                            \
                                    : nullptr

// Every member resolves its vessel first; without one it does nothing.
#define VSIM_VESSEL_OR_RETURN(Name, ...)                                        \
  vsim::Host* host = vsim::ActiveHost();                                        \
  vsim::VesselRecord* vp = vsim::functions::Resolve(host, vessel_handle, Name); \
  if (vp == nullptr) return __VA_ARGS__;                                        \
  vsim::VesselRecord& v = *vp;                                                  \
  vsim::Declared& d = v.declared;                                               \
  static_cast<void>(d)
