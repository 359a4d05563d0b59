// Checks of what a hostile or careless host may hand a module: readings
// that are not numbers, odd step lengths, null handles, every key and click.
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "sim/validate/checks.h"
#include "sim/validate/world.h"

namespace vsim::validate {

namespace {

constexpr int kWarmUpSteps = 10;
constexpr int kRecoverySteps = 120;
constexpr int kStepsPerSetting = 20;
constexpr int kNullHandleSteps = 100;
constexpr int kKeyCodes = 256;
constexpr int kKeysPerStep = 64;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kHostileValues[] = {
    std::numeric_limits<double>::quiet_NaN(), kInf, -kInf, 1e300, -1e300, -0.0};

struct QueryName {
  Query query;
  const char* name;
};
constexpr QueryName kQueries[] = {
    {Query::kAltitude, "altitude"},
    {Query::kAirspeed, "airspeed"},
    {Query::kAOA, "angle of attack"},
    {Query::kBank, "bank"},
    {Query::kRudder, "rudder level"},
    {Query::kThrusterLevel, "thruster level"},
    {Query::kFuelMass, "fuel mass"},
    {Query::kTimeAcceleration, "time acceleration"},
    {Query::kFocusAirspeed, "focus airspeed"},
    {Query::kFocusHeading, "focus heading"},
};
static_assert(sizeof kQueries / sizeof kQueries[0] == static_cast<std::size_t>(Query::kCount),
              "every query the host can answer falsely is tried");

constexpr double kStepLengths[] = {0, 1e-9, 1, 100};
constexpr double kTimeAccelerations[] = {0.1, 1, 10, 100, 1000, 10000, 100000};

// The operations of a vessel's last step, after the warm-up, one step of
// one hostile reading (if any) and the recovery steps. One world at a time:
// the module calls the host that made it last.
struct Hostile {
  Query query;
  double value;
};
std::vector<std::string> LastOperations(const Target& target, const Hostile* hostile) {
  World world(target);
  world.Create("a");
  world.Steps(kWarmUpSteps);
  if (hostile != nullptr) world.faults.Override(hostile->query, hostile->value);
  world.Step();
  if (hostile != nullptr) world.faults.Clear(hostile->query);
  world.Steps(kRecoverySteps);
  world.TakeCalls();
  world.Step();
  return Operations(world.TakeCalls()["a"]);
}

}  // namespace

Result CheckHostileReadings(const Target& target) {
  const std::vector<std::string> untouched = LastOperations(target, nullptr);
  int tried = 0;
  for (const QueryName& q : kQueries)
    for (double value : kHostileValues) {
      try {
        const Hostile hostile{q.query, value};
        const std::vector<std::string> got = LastOperations(target, &hostile);
        if (got != untouched)
          return Fail("one step of a " + Text(value) + " " + q.name +
                          " changed the vessel for good: " + std::to_string(kRecoverySteps) +
                          " steps later it still calls " + FirstDifference(got, untouched),
                      "step " + std::to_string(kWarmUpSteps + kRecoverySteps + 2) + ", vessel a");
      } catch (const Broken& b) {
        Result r = b.result;
        r.reason += " (after a " + Text(value) + " " + q.name + ")";
        return r;
      }
      ++tried;
    }
  return Pass(std::to_string(tried) + " hostile readings (nan, +-inf, +-1e300, -0 from each of " +
              std::to_string(static_cast<int>(Query::kCount)) +
              " queries): nothing non-finite passed on, states in range, back to normal within " +
              std::to_string(kRecoverySteps) + " steps");
}

Result CheckTimeSteps(const Target& target) {
  for (double dt : kStepLengths)
    for (double factor : kTimeAccelerations) {
      World world(target);
      world.host.SetBaseStep(dt);
      world.host.SetTimeAcceleration(factor);
      world.Create("a");
      try {
        world.Steps(kStepsPerSetting);
      } catch (const Broken& b) {
        Result r = b.result;
        r.reason += " (steps of " + Text(dt) + " s at time acceleration " + Text(factor) + ")";
        return r;
      }
    }
  return Pass(
      "steps of 0, 1e-9, 1 and 100 s at time accelerations 0.1 to 100000: nothing "
      "non-finite reached the host");
}

Result CheckNullHandles(const Target& target) {
  World world(target);
  world.faults.NullHandles(true);
  world.Create("a");
  world.Create("b");
  world.host.LoadCockpit("a");
  for (int i = 0; i < kNullHandleSteps; ++i) {
    world.host.DeliverKey("a", static_cast<DWORD>(i % kKeyCodes), true);
    world.host.DeliverKey("a", static_cast<DWORD>(i % kKeyCodes), false);
    world.Step();
  }
  world.Destroy("a");
  world.Steps(1);
  return Pass("every handle the host gave was null: " + std::to_string(kNullHandleSteps) +
              " steps with keys, no crash");
}

Result CheckKeysAndClicks(const Target& target) {
  World world(target);
  world.Create("a");
  world.host.SetFocus("a");
  const bool cockpit = world.host.LoadCockpit("a");
  world.Verify();
  constexpr DWORD kModifiers[] = {OAPI_KEY_LSHIFT, OAPI_KEY_LCONTROL, OAPI_KEY_LALT};
  int events = 0;
  for (int combination = 0; combination < 8; ++combination) {
    char kstate[OAPI_KEYSTATE_SIZE] = {};
    for (int m = 0; m < 3; ++m)
      if ((combination >> m) & 1) kstate[kModifiers[m]] = static_cast<char>(0x80);
    for (int key = 0; key < kKeyCodes; ++key)
      for (bool down : {true, false}) {
        const int consumed = world.host.DeliverKey("a", static_cast<DWORD>(key), down, kstate);
        world.Verify();
        if (consumed != 0 && consumed != 1)
          return Fail(
              "clbkConsumeBufferedKey returned " + std::to_string(consumed) + ", neither 0 nor 1",
              "step " + std::to_string(world.host.StepCount()) +
                  ", vessel a, clbkConsumeBufferedKey");
        if (++events % kKeysPerStep == 0) world.Step();
      }
  }
  std::vector<int> areas;
  for (const ClickArea& a : world.host.Vessel("a").declared.cockpit.areas) areas.push_back(a.id);
  int unregistered = 0;
  for (int id : areas) unregistered = std::max(unregistered, id + 1);
  areas.push_back(unregistered);
  for (int id : areas)
    for (int event : {PANEL_MOUSE_LBDOWN, PANEL_MOUSE_LBPRESSED, PANEL_MOUSE_LBUP,
                      PANEL_MOUSE_RBDOWN, PANEL_MOUSE_RBPRESSED, PANEL_MOUSE_RBUP}) {
      world.host.DeliverCockpitEvent("a", id, event);
      world.Verify();
      world.Step();
    }
  return Pass(std::to_string(events) + " key events (every code, every modifier), " +
              std::to_string(areas.size() - 1) + " click areas " +
              (cockpit ? "" : "(no virtual cockpit) ") + "and one unregistered: no fault");
}

}  // namespace vsim::validate
