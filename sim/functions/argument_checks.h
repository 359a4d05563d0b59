// The host's checks on what a module hands it: handles, indices, numbers,
// records. A failed check is recorded as a fault of the call and the call
// goes on with a neutral value; nothing is thrown into the module.
#pragma once

#include <cmath>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "sim/core/host.h"
#include "sim/handles/handles.h"
#include "sim/journal/operations.h"

namespace vsim::functions {

// A call under way: the vessel it acts for (null for a global function
// called between callbacks) and the operation faults are named after.
//
// On the fast path a failed check raises no fault: it marks the call
// refused, the effect returns at once, and the call is made again on the
// full path, which raises the fault. So the fast path calls nothing out of
// line, and an effect that runs there checks all its arguments before it
// changes anything.
struct Site {
  VesselRecord* vessel;
  Operation op;
  bool* refused = nullptr;  // set on the fast path

  // The host the call reached: the active host, the only one alive.
  Host& host() const { return *ActiveHost(); }
  // A fault of the call, for effects that run on the full path only; an
  // effect on the fast path faults through the checks below.
  void Fault(const std::string& what) const { host().Fault(vessel, op.name, what); }
  // On the fast path: marks the call refused and says so.
  [[gnu::always_inline]] bool Refused() const {
    if (refused == nullptr) return false;
    *refused = true;
    return true;
  }
};

// The checks' failures, out of line: each records its fault.
[[gnu::cold, gnu::noinline]] VesselRecord* Unresolved(Host* host, Operation op, OBJHANDLE handle);
[[gnu::cold, gnu::noinline]] std::uint32_t NotIssued(Site site, const void* handle,
                                                     HandleKind kind);
[[gnu::cold, gnu::noinline]] bool OutOfRange(Site site, UINT index, std::size_t count,
                                             const char* what);
[[gnu::cold, gnu::noinline]] bool NotFinite(Site site, int argument, double value);

// The vessel a VESSEL member acts on, or null (recorded as a fault) when
// no host runs, the call comes from a thread other than the simulation
// thread, or the host did not issue the handle.
inline VesselRecord* Resolve(Host* host, OBJHANDLE handle, Operation op) {
  if (__builtin_expect(host != nullptr && host->OnSimulationThread(), 1))
    if (VesselRecord* vessel = host->VesselOf(handle)) return vessel;
  return Unresolved(host, op, handle);
}

// The host for a global function, or null (recorded as a fault) when none
// runs or the call comes from a thread other than the simulation thread.
Host* Running(Operation op);

// Index of a handle the host issued to the site's vessel, or kNoIndex: for
// a null handle quietly (the host may have handed out null), for any other
// unknown handle with a fault.
inline std::uint32_t IndexOf(Site site, const void* handle, HandleKind kind, std::size_t count) {
  const std::uint32_t index = IndexWithPrefix(handle, HandlePrefix(site.vessel->serial, kind));
  if (__builtin_expect(index < count, 1)) return index;
  if (handle == nullptr || site.Refused()) return kNoIndex;
  return NotIssued(site, handle, kind);
}

// The object of a handle the host issued to the site's vessel, or null:
// for a null handle quietly, for any other unknown handle with a fault.
template <typename T>
[[gnu::always_inline]] inline T* Issued(Site site, const void* handle, HandleKind kind,
                                        std::vector<T>& store) {
  const std::uint32_t index = IndexWithPrefix(handle, HandlePrefix(site.vessel->serial, kind));
  if (__builtin_expect(index < store.size(), 1)) return &store[index];
  if (site.Refused() || handle == nullptr) return nullptr;
  NotIssued(site, handle, kind);
  return nullptr;
}

// An index the module passes (animation, mesh) that must lie below count.
[[gnu::always_inline]] inline bool InRange(Site site, UINT index, std::size_t count,
                                           const char* what) {
  if (__builtin_expect(index < count, 1)) return true;
  return !site.Refused() && OutOfRange(site, index, count, what);
}

// Numbers a module hands the host must be finite: a NaN or an infinity
// would become the host's state. The fault names the argument (from 1);
// an argument that is not a number is given as 0.0 to keep the count.
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
[[gnu::always_inline]] inline bool Finite(Site site, const Values&... values) {
  if (__builtin_expect((IsFinite(values) && ...), 1)) return true;
  if (site.Refused()) return false;
  int argument = 0;
  double value = 0;
  FirstNonFinite(1, argument, value, values...);
  return NotFinite(site, argument, value);
}

// A record the module must pass.
[[gnu::cold, gnu::noinline]] bool Absent(Site site, const char* what);
[[gnu::always_inline]] inline bool Present(Site site, const void* pointer, const char* what) {
  if (__builtin_expect(pointer != nullptr, 1)) return true;
  return !site.Refused() && Absent(site, what);
}

// Issues a new handle of the site's vessel.
void* NewHandle(Site site, HandleKind kind, std::size_t index);

}  // namespace vsim::functions
