#include "sim/functions/checks.h"

#include <cstdio>
#include <string>

#include "sim/core/threads.h"

namespace vsim::functions {

VSIM_FAST_TLS VesselRecord* fast_vessel = nullptr;
CoreAnswers core_answers;

namespace {

VesselRecord** ThisThreadsFastVessel() { return &fast_vessel; }

// Hands the fast path's vessel over to the host while this library is loaded.
struct FastVesselShare {
  FastVesselShare() { Host::ShareFastVessel(ThisThreadsFastVessel); }
  ~FastVesselShare() { Host::ShareFastVessel(nullptr); }
} fast_vessel_share;

}  // namespace

namespace {

void NoHost(const char* call) {
  std::fprintf(stderr, "vesselsim: fault \"%s: no host is running\"\n", call);
}

std::string Describe(Host& host, const VesselRecord& vessel, const void* handle, HandleKind kind) {
  const HandleCode code = DecodeHandle(handle);
  const std::string wanted = HandleKindName(kind);
  if (code.kind == HandleKind::kNone) return "unknown " + wanted + " handle";
  if (code.kind != kind)
    return "a " + std::string(HandleKindName(code.kind)) + " handle where a " + wanted +
           " handle belongs";
  if (code.owner == vessel.serial)
    return wanted + " handle #" + std::to_string(code.index + 1) + " was never issued";
  if (const VesselRecord* owner = host.VesselBySerial(code.owner))
    return "the " + wanted + " handle belongs to vessel " + owner->name;
  return "the " + wanted + " handle belongs to no vessel alive";
}

// A vessel handle the host does not know now: one of a vessel that has
// ended says so.
std::string UnknownVessel(const Host& host, OBJHANDLE handle) {
  const HandleCode code = DecodeHandle(handle);
  if (code.kind == HandleKind::kVessel)
    if (const Host::EndedVessel* ended = host.Ended(code.owner))
      return "the vessel handle is vessel " + ended->name +
             "'s, which had ended (its ovcExit ran at step " + std::to_string(ended->step) +
             "); nothing may be called through a vessel after its ovcExit";
  return "unknown vessel handle";
}

}  // namespace

VesselRecord* Unresolved(Host* host, const char* call, OBJHANDLE handle) {
  if (host == nullptr)
    NoHost(call);
  else if (!host->OnSimulationThread())
    host->ForeignCall(call, ThisThreadText());
  else
    host->Fault(host->Current(), call, UnknownVessel(*host, handle));
  return nullptr;
}

Host* Running(const char* call) {
  Host* host = ActiveHost();
  if (host == nullptr) {
    NoHost(call);
  } else if (__builtin_expect(!host->OnSimulationThread(), 0)) {
    host->ForeignCall(call, ThisThreadText());
    return nullptr;
  }
  return host;
}

std::uint32_t NotIssued(Host& host, const VesselRecord& vessel, const void* handle, HandleKind kind,
                        const char* call) {
  host.Fault(&vessel, call, Describe(host, vessel, handle, kind));
  return kNoIndex;
}

bool OutOfRange(Host& host, const VesselRecord& vessel, UINT index, std::size_t count,
                const char* what, const char* call) {
  host.Fault(&vessel, call,
             std::string(what) + " " + std::to_string(index) + " out of range (the vessel has " +
                 std::to_string(count) + ")");
  return false;
}

bool NotFinite(Host& host, const VesselRecord* vessel, const char* call, int argument,
               double value) {
  host.Fault(vessel, call,
             "argument " + std::to_string(argument) + " is " + FormatNumber(value) +
                 ", not a finite number");
  return false;
}

bool Present(Host& host, const VesselRecord* vessel, const void* pointer, const char* what,
             const char* call) {
  if (pointer != nullptr) return true;
  host.Fault(vessel, call, std::string("null ") + what);
  return false;
}

void* NewHandle(Host& host, const VesselRecord& vessel, HandleKind kind, std::size_t index) {
  if (index > kMaxHandleIndex) return nullptr;
  return host.answers().Issue(EncodeHandle(vessel.serial, kind, static_cast<std::uint32_t>(index)));
}

}  // namespace vsim::functions
