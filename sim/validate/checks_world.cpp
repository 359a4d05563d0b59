// Checks of vessels among others: what one vessel does must not depend on
// what the others do, on when it was made, or on others ending.
#include <random>

#include "sim/validate/checks.h"
#include "sim/validate/world.h"

namespace vsim::validate {

namespace {

constexpr int kDestroyAt = 100;
constexpr int kKeyCodes = 256;
constexpr int kCrowds[] = {2, 10};

// The host's world-wide answers, held alike in every world compared: the
// driven vessel has the focus, and its airspeed must not reach the others.
void HoldWorldAnswers(World& world) {
  world.faults.Override(Query::kFocusAirspeed, 0);
  world.faults.Override(Query::kFocusHeading, 0);
  world.faults.Override(Query::kTimeAcceleration, 1);
}

// A pilot at the controls of one vessel: keys with modifiers, every thruster,
// clicks on the areas it registered.
class Pilot {
public:
  Pilot(World& world, std::string vessel, std::uint32_t seed)
      : world_(world), vessel_(std::move(vessel)), random_(seed) {}

  void Act() {
    char kstate[OAPI_KEYSTATE_SIZE] = {};
    for (DWORD modifier : {OAPI_KEY_LSHIFT, OAPI_KEY_LCONTROL, OAPI_KEY_LALT})
      if (random_() % 3 == 0) kstate[modifier] = static_cast<char>(0x80);
    const auto key = static_cast<DWORD>(random_() % kKeyCodes);
    world_.host.DeliverKey(vessel_, key, true, kstate);
    world_.host.DeliverKey(vessel_, key, false, kstate);
    VesselRecord& v = world_.host.Vessel(vessel_);
    for (Thruster& t : v.declared.thrusters) t.level = static_cast<double>(random_() % 101) / 100;
    const auto& areas = v.declared.cockpit.areas;
    if (!areas.empty())
      world_.host.DeliverCockpitEvent(vessel_, areas[random_() % areas.size()].id,
                                      PANEL_MOUSE_LBDOWN);
    // A module may ask for another time acceleration: it would reach every
    // vessel through the step length, which is the host's, not theirs.
    world_.host.SetTimeAcceleration(1);
    world_.Verify();
  }

private:
  World& world_;
  std::string vessel_;
  std::mt19937 random_;
};

using CallsByStep = std::vector<std::vector<std::string>>;

// The calls of `watched`, made first, step by step; `others` made after it.
// Made first, it has the same sound identifier in every world.
CallsByStep Watch(const Target& target, const std::string& watched, int others, bool driven,
                  std::uint32_t seed, Sound sound) {
  World world(target, sound);
  HoldWorldAnswers(world);
  world.Create(watched);
  for (int i = 0; i < others; ++i) world.Create("other" + std::to_string(i + 1));
  Pilot pilot(world, "other1", seed);
  if (driven) {
    world.host.SetFocus("other1");
    world.host.LoadCockpit("other1");
    world.Verify();
  }
  CallsByStep calls;
  world.TakeCalls();
  for (int step = 0; step < target.sizes().compared_steps; ++step) {
    if (driven) pilot.Act();
    world.Step();
    calls.push_back(world.TakeCalls()[watched]);
  }
  return calls;
}

// The calls of one vessel in two worlds, step by step: `reference` as it
// should be, `other` as the check varies it; each named as a message says
// it ("flown alone"), with what more there is to say of it.
struct Flown {
  const CallsByStep& calls;
  std::string name;
  std::string detail = "";
};

Result Compare(const Flown& reference, const Flown& other, const std::string& vessel,
               const std::string& hint) {
  for (std::size_t s = 0; s < reference.calls.size() && s < other.calls.size(); ++s)
    if (reference.calls[s] != other.calls[s])
      return Fail(
          "vessel " + vessel + " " + other.name + other.detail + " does not do what it does " +
              reference.name + ": " +
              FirstDifference(other.calls[s], other.name, reference.calls[s], reference.name) +
              hint,
          "step " + std::to_string(s + 1) + ", vessel " + vessel);
  return Pass("");
}

constexpr char kSharedStateHint[] =
    "; state shared between vessels (a variable of the module rather than of the vessel) "
    "does this";

}  // namespace

Result CheckIndependence(const Target& target) {
  const Sound sound = target.sound.empty() ? Sound::kAbsent : Sound::kPresent;
  const CallsByStep alone = Watch(target, "watched", 0, false, target.seed, sound);
  for (int crowd : kCrowds) {
    const CallsByStep among = Watch(target, "watched", crowd - 1, true, target.seed, sound);
    const Result r = Compare({alone, "flown alone"},
                             {among, "flown beside others",
                              " (among " + std::to_string(crowd) + " vessels, one of them driven)"},
                             "watched", kSharedStateHint);
    if (r.verdict == Verdict::kFail) return r;
  }
  const std::vector<Figure> figures = {
      AtMost("steps whose calls differed", 0, "", 0),
      Measured("steps compared in each crowd", static_cast<double>(alone.size()), "")};
  return Pass(
      "a vessel among 2 and among 10, one driven by keys, thrust and clicks, made the "
      "calls it makes alone, step for step; " +
          FiguresText(figures),
      figures);
}

Result CheckLifecycleOrder(const Target& target) {
  // Without the sound library: identifiers follow the order of creation.
  const CallsByStep first = Watch(target, "watched", 2, false, target.seed, Sound::kAbsent);
  CallsByStep last, survivor;
  {
    World world(target);
    HoldWorldAnswers(world);
    world.Create("other1");
    world.Create("other2");
    world.Create("watched");
    world.TakeCalls();
    for (int step = 0; step < target.sizes().compared_steps; ++step) {
      world.Step();
      last.push_back(world.TakeCalls()["watched"]);
    }
  }
  Result r = Compare({first, "made first of three"}, {last, "made last of three"}, "watched",
                     kSharedStateHint);
  if (r.verdict == Verdict::kFail) return r;
  {
    World world(target);
    HoldWorldAnswers(world);
    world.Create("watched");
    world.Create("other1");
    world.Create("other2");
    world.TakeCalls();
    for (int step = 0; step < target.sizes().compared_steps; ++step) {
      if (step == kDestroyAt) world.Destroy("other1");
      world.Step();
      auto calls = world.TakeCalls();
      if (step >= kDestroyAt && calls["other2"].empty())
        return Fail("vessel other2 stopped stepping when vessel other1 ended",
                    "step " + std::to_string(step + 1) + ", vessel other2");
      survivor.push_back(calls["watched"]);
    }
  }
  r = Compare({first, "beside two others"}, {survivor, "after another ended"}, "watched",
              kSharedStateHint);
  if (r.verdict == Verdict::kFail) return r;
  const std::vector<Figure> figures = {
      AtMost("steps whose calls differed", 0, "", 0),
      Measured("steps compared", static_cast<double>(first.size()), "")};
  return Pass("a vessel made first or last, and beside one that ended at step " +
                  std::to_string(kDestroyAt) + ", made the same calls; " + FiguresText(figures),
              figures);
}

}  // namespace vsim::validate
