// Checks of what a hostile or careless host may hand a module: readings
// that are not numbers, odd step lengths, null handles, every key and click.
#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <vector>

#include "sim/validate/checks.h"
#include "sim/validate/world.h"

namespace vsim::validate {

namespace {

constexpr int kWarmUpSteps = 10;
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
  world.Steps(target.sizes().recovery_steps);
  world.TakeCalls();
  world.Step();
  return Operations(world.TakeCalls()["a"]);
}

}  // namespace

Result CheckHostileReadings(const Target& target) {
  const std::vector<std::string> untouched = LastOperations(target, nullptr);
  int tried = 0;
  const int recovery = target.sizes().recovery_steps;
  for (const QueryName& q : kQueries)
    for (double value : kHostileValues) {
      try {
        const Hostile hostile{q.query, value};
        const std::vector<std::string> got = LastOperations(target, &hostile);
        if (got != untouched)
          return Fail("one step of a " + Text(value) + " " + q.name +
                          " changed the vessel for good: " + std::to_string(recovery) +
                          " steps later it still calls " + FirstDifference(got, untouched),
                      "step " + std::to_string(kWarmUpSteps + recovery + 2) + ", vessel a");
      } catch (const Broken& b) {
        Result r = b.result;
        r.reason += " (after a " + Text(value) + " " + q.name + ")";
        return r;
      }
      ++tried;
    }
  const int hostile = static_cast<int>(std::size(kQueries) * std::size(kHostileValues));
  const std::vector<Figure> figures = {AtLeast("hostile readings survived", tried, "", hostile),
                                       Measured("steps given to recover", recovery, "")};
  return Pass("nan, +-inf, +-1e300 and -0 from each of " +
                  std::to_string(static_cast<int>(Query::kCount)) +
                  " queries: nothing non-finite passed on, states in range, back to normal; " +
                  FiguresText(figures),
              figures);
}

Result CheckTimeSteps(const Target& target) {
  for (double dt : kStepLengths)
    for (double factor : kTimeAccelerations) {
      World world(target);
      world.host.SetBaseStep(dt);
      world.host.SetTimeAcceleration(factor);
      world.Create("a");
      try {
        world.Steps(target.sizes().steps_per_setting);
      } catch (const Broken& b) {
        Result r = b.result;
        r.reason += " (steps of " + Text(dt) + " s at time acceleration " + Text(factor) + ")";
        return r;
      }
    }
  const auto settings =
      static_cast<double>(std::size(kStepLengths) * std::size(kTimeAccelerations));
  const std::vector<Figure> figures = {
      AtLeast("settings flown without a fault", settings, "", settings),
      Measured("steps per setting", target.sizes().steps_per_setting, "")};
  return Pass(
      "steps of 0, 1e-9, 1 and 100 s at time accelerations 0.1 to 100000: nothing "
      "non-finite reached the host; " +
          FiguresText(figures),
      figures);
}

Result CheckNullHandles(const Target& target) {
  World world(target);
  world.faults.NullHandles(true);
  world.Create("a");
  world.Create("b");
  world.host.LoadCockpit("a");
  const int steps = target.sizes().null_handle_steps;
  for (int i = 0; i < steps; ++i) {
    world.host.DeliverKey("a", static_cast<DWORD>(i % kKeyCodes), true);
    world.host.DeliverKey("a", static_cast<DWORD>(i % kKeyCodes), false);
    world.Step();
  }
  world.Destroy("a");
  world.Steps(1);
  const std::vector<Figure> figures = {
      AtLeast("steps with keys and null handles", steps, "", steps)};
  return Pass("every handle the host gave was null, no crash; " + FiguresText(figures), figures);
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
  const double every_key = kKeyCodes * 2 * 8;
  const std::vector<Figure> figures = {
      AtLeast("key events (every code, every modifier)", events, "", every_key),
      Measured(std::string("click areas") + (cockpit ? "" : " (no virtual cockpit)") +
                   " and one unregistered",
               static_cast<double>(areas.size()), "")};
  return Pass("every key and click answered without a fault; " + FiguresText(figures), figures);
}

}  // namespace vsim::validate
