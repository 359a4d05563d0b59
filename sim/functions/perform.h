// How a host function runs. Each has one effect: a function of the call's
// site (and the answers in force, for a query) that checks its arguments,
// raises their faults and does what the call does. Two paths run it:
//  - the fast path, when nothing observes the host and a VESSEL member is
//    called through the vessel whose callback runs (decided once per
//    callback by the host): the effect, nothing else; a call whose check
//    fails there is made again on the full path (see Site);
//  - the full path otherwise: the vessel resolved from its handle, the
//    effect, the call recorded with its result, and the effect's faults
//    journaled after the call's own line.
#pragma once

#include <type_traits>

#include "sim/functions/argument_checks.h"
#include "sim/functions/record.h"
#include "sim/platform/linkage.h"

// An effect is written once and inlined into both paths.
#define VSIM_EFFECT __attribute__((always_inline))

namespace vsim::functions {

// The vessel whose callback runs on the active host, when it began with
// nothing observing the host; null otherwise, and always null on any thread
// but the simulation thread, whose calls so take the full path and its
// thread check. The host fills it (see Host::ShareFastVessel); kept in this
// library, it is read directly.
extern VSIM_FAST_TLS VesselRecord* fast_vessel VSIM_LIBRARY_LOCAL;
// The core's answers for the fast path: they read only the vessel's record.
extern CoreAnswers core_answers VSIM_LIBRARY_LOCAL;

// On the fast path: the vessel of a member's handle, when it is the one
// whose callback runs; null for any other handle.
[[gnu::always_inline]] inline VesselRecord* FastVessel(OBJHANDLE vessel_handle) {
  VesselRecord* vessel = fast_vessel;
  return vessel != nullptr && vessel->handle == vessel_handle ? vessel : nullptr;
}

// How a call's result is shown in the journal: as it is, as a handle of a
// kind, or not at all.
struct AsIs {
  template <typename T>
  T operator()(T value) const {
    return value;
  }
};
struct AsHandle {
  const char* kind;
  HandleArg operator()(const void* handle) const { return {kind, handle}; }
};
struct NoResult {};

// Runs the effect at a site and records the call, when the journal is on,
// with the faults the effect raised after it.
template <typename Effect, typename Show, typename... Args>
auto Perform(Host& host, Site site, const Effect& effect, const Show& show, const Args&... args) {
  const auto run = [&] { return host.Ask([&](auto& answers) { return effect(site, answers); }); };
  using Result = decltype(run());
  if (__builtin_expect(!host.journal().enabled, 1)) return run();
  const Host::FaultLinesAfterCall hold(host);
  if constexpr (std::is_void_v<Result>) {
    run();
    RecordCall(host, site.vessel, site.op, args...);
  } else {
    const Result result = run();
    if constexpr (std::is_same_v<Show, NoResult>)
      RecordCall(host, site.vessel, site.op, args...);
    else
      RecordCall(host, site.vessel, site.op, args..., Returns(show(result)));
    return result;
  }
}

// A VESSEL member's full path; without a vessel for its handle it does
// nothing and returns the neutral value.
template <typename Neutral, typename Effect, typename Show, typename... Args>
[[gnu::noinline]] auto Full(OBJHANDLE vessel_handle, Operation op, Neutral neutral, Effect effect,
                            Show show, Args... args) {
  Host* host = ActiveHost();
  VesselRecord* vessel = Resolve(host, vessel_handle, op);
  using Result = decltype(Perform(*host, Site{vessel, op}, effect, show, args...));
  if (vessel == nullptr) {
    if constexpr (std::is_void_v<Result>)
      return;
    else
      return static_cast<Result>(neutral);
  }
  return Perform(*host, Site{vessel, op}, effect, show, args...);
}

// A VESSEL member called in every step: the fast path when it applies,
// otherwise the full path.
template <typename Neutral, typename Effect, typename Show, typename... Args>
[[gnu::always_inline]] inline auto Hot(OBJHANDLE vessel_handle, Operation op, Neutral neutral,
                                       Effect effect, Show show, Args... args) {
  if (VesselRecord* fast = FastVessel(vessel_handle)) {
    bool refused = false;
    if constexpr (std::is_void_v<decltype(effect(Site{fast, op}, core_answers))>) {
      effect(Site{fast, op, &refused}, core_answers);
      if (__builtin_expect(!refused, 1)) return;
    } else {
      const auto result = effect(Site{fast, op, &refused}, core_answers);
      if (__builtin_expect(!refused, 1)) return result;
    }
  }
  return Full(vessel_handle, op, neutral, effect, show, args...);
}

// Whom a global function's call belongs to: the vessel whose callback
// runs, or the world (calls that serve the module's library as a whole).
enum class Caller { kCurrentVessel, kWorld };

// A global function's full path; with no host running it returns the
// neutral value.
template <typename Neutral, typename Effect, typename Show, typename... Args>
[[gnu::noinline]] auto FullGlobal(Operation op, Caller caller, Neutral neutral, Effect effect,
                                  Show show, Args... args) {
  Host* host = Running(op);
  const auto site = [&] { return Site{caller == Caller::kWorld ? nullptr : host->Current(), op}; };
  using Result = decltype(Perform(*host, site(), effect, show, args...));
  if (host == nullptr) {
    if constexpr (std::is_void_v<Result>)
      return;
    else
      return static_cast<Result>(neutral);
  }
  return Perform(*host, site(), effect, show, args...);
}

// A global function called in every step: on the fast path the effect
// alone, for the vessel whose callback runs.
template <typename Neutral, typename Effect, typename Show, typename... Args>
[[gnu::always_inline]] inline auto HotGlobal(Operation op, Neutral neutral, Effect effect,
                                             Show show, Args... args) {
  if (VesselRecord* fast = fast_vessel) {
    bool refused = false;
    const auto result = effect(Site{fast, op, &refused}, core_answers);
    if (__builtin_expect(!refused, 1)) return result;
  }
  return FullGlobal(op, Caller::kCurrentVessel, neutral, effect, show, args...);
}

// For calls that return nothing.
struct Nothing {};

}  // namespace vsim::functions
