#include "sim/functions/argument_checks.h"

#include <cstdio>
#include <string>

#include "sim/core/threads.h"
#include "sim/functions/perform.h"

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

void NoHost(Operation op) {
  std::fprintf(stderr, "vesselsim: fault \"%s: no host is running\"\n", op.name);
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

VesselRecord* Unresolved(Host* host, Operation op, OBJHANDLE handle) {
  if (host == nullptr)
    NoHost(op);
  else if (!host->OnSimulationThread())
    host->ForeignCall(op.name, ThisThreadText());
  else
    host->Fault(host->Current(), op.name, UnknownVessel(*host, handle));
  return nullptr;
}

Host* Running(Operation op) {
  Host* host = ActiveHost();
  if (host == nullptr) {
    NoHost(op);
  } else if (__builtin_expect(!host->OnSimulationThread(), 0)) {
    host->ForeignCall(op.name, ThisThreadText());
    return nullptr;
  }
  return host;
}

std::uint32_t NotIssued(Site site, const void* handle, HandleKind kind) {
  site.Fault(Describe(site.host(), *site.vessel, handle, kind));
  return kNoIndex;
}

bool OutOfRange(Site site, UINT index, std::size_t count, const char* what) {
  site.Fault(std::string(what) + " " + std::to_string(index) + " out of range (the vessel has " +
             std::to_string(count) + ")");
  return false;
}

bool NotFinite(Site site, int argument, double value) {
  site.Fault("argument " + std::to_string(argument) + " is " + FormatNumber(value) +
             ", not a finite number");
  return false;
}

bool Absent(Site site, const char* what) {
  site.Fault(std::string("null ") + what);
  return false;
}

void* NewHandle(Site site, HandleKind kind, std::size_t index) {
  if (index > kMaxHandleIndex) return nullptr;
  return site.host().answers().Issue(
      EncodeHandle(site.vessel->serial, kind, static_cast<std::uint32_t>(index)));
}

}  // namespace vsim::functions
