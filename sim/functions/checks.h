// The host's checks on what a module hands it. A failed check is recorded
// as a fault and the call goes on with a neutral value; nothing is thrown
// into the module.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/core/host.h"
#include "sim/handles/handles.h"

namespace vsim::functions {

// The vessel a VESSEL member acts on, or null (recorded as a fault) when
// no host runs or the host did not issue the handle.
VesselRecord* Resolve(Host* host, OBJHANDLE handle, const char* call);

// The host for a global function, or null when none runs.
Host* Running(const char* call);

// Index of a handle the host issued to this vessel, or kNoIndex: for a
// null handle quietly (the host may have handed out null), for any other
// unknown handle with a fault.
std::uint32_t IndexOf(Host& host, const VesselRecord& vessel, const void* handle, HandleKind kind,
                      std::size_t count, const char* call);

template <typename T>
T* Issued(Host& host, VesselRecord& vessel, const void* handle, HandleKind kind,
          std::vector<T>& store, const char* call) {
  const std::uint32_t index = IndexOf(host, vessel, handle, kind, store.size(), call);
  return index == kNoIndex ? nullptr : &store[index];
}

// An index the module passes (animation, mesh) that must lie below count.
bool InRange(Host& host, const VesselRecord& vessel, UINT index, std::size_t count,
             const char* what, const char* call);

// A record the module must pass and did not.
bool Present(Host& host, const VesselRecord* vessel, const void* pointer, const char* what,
             const char* call);

// Issues a new handle of this vessel.
void* NewHandle(Host& host, const VesselRecord& vessel, HandleKind kind, std::size_t index);

}  // namespace vsim::functions

// Every member resolves its vessel first; without one it does nothing.
#define VSIM_VESSEL_OR_RETURN(Name, ...)                                        \
  vsim::Host* host = vsim::ActiveHost();                                        \
  vsim::VesselRecord* vp = vsim::functions::Resolve(host, vessel_handle, Name); \
  if (vp == nullptr) return __VA_ARGS__;                                        \
  vsim::VesselRecord& v = *vp;                                                  \
  vsim::Declared& d = v.declared;                                               \
  static_cast<void>(d)
