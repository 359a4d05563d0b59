// Checks of a module over many steps: a long run at changing step lengths
// and time accelerations, and a steady state in which a vessel declares
// nothing more once it has been made.
#include <algorithm>
#include <string_view>

#include "sim/validate/checks.h"
#include "sim/validate/world.h"

namespace vsim::validate {

namespace {

constexpr int kStepsPerSetting = 250;

struct StepSetting {
  double step_s;
  double time_acceleration;
};
constexpr StepSetting kMixedSettings[] = {
    {1.0 / 60, 1}, {0.01, 10}, {0.1, 1}, {1.0 / 60, 100}, {0.5, 0.1}, {0.02, 1000}, {1e-3, 1},
};
constexpr std::size_t kSettingCount = sizeof kMixedSettings / sizeof kMixedSettings[0];

constexpr int kKeyCodes = 256;

// What a vessel declares of itself: made in clbkSetClassCaps (or by
// clbkPostCreation), never while it flies.
constexpr std::string_view kDeclarations[] = {
    "CreatePropellantResource",
    "CreateThruster",
    "CreateThrusterGroup",
    "AddExhaustStream",
    "AddBeacon",
    "CreateAirfoil",
    "CreateVariableDragElement",
    "AddMesh",
    "CreateAnimation",
    "AddAnimationComponent",
    "oapiLoadMeshGlobal",
};

bool Declares(std::string_view operation) {
  return std::find(std::begin(kDeclarations), std::end(kDeclarations), operation) !=
         std::end(kDeclarations);
}

// The first declaration in the journal since it was last cleared.
const CallEntry* FirstDeclaration(const Journal& journal) {
  for (const CallEntry& e : journal.Entries())
    if (!e.from_host && Declares(e.Name())) return &e;
  return nullptr;
}

}  // namespace

Result CheckLongRun(const Target& target) {
  World world(target);
  const Sizes& sizes = target.sizes();
  for (int i = 0; i < sizes.long_run_vessels; ++i) world.Create("v" + std::to_string(i + 1));
  // What the vessels call is not compared here: only faults and states count.
  world.host.journal().enabled = false;
  const StepSetting* setting = nullptr;
  try {
    for (int step = 0; step < sizes.long_run_steps; ++step) {
      if (step % kStepsPerSetting == 0) {
        setting =
            &kMixedSettings[static_cast<std::size_t>(step / kStepsPerSetting) % kSettingCount];
        world.host.SetBaseStep(setting->step_s);
        world.host.SetTimeAcceleration(setting->time_acceleration);
      }
      world.Step();
    }
  } catch (const Broken& b) {
    Result r = b.result;
    r.reason += " (steps of " + Text(setting->step_s) + " s at time acceleration " +
                Text(setting->time_acceleration) + ")";
    return r;
  }
  const auto [shortest, longest] = std::minmax_element(
      std::begin(kMixedSettings), std::end(kMixedSettings),
      [](const StepSetting& a, const StepSetting& b) { return a.step_s < b.step_s; });
  const auto [slowest, fastest] =
      std::minmax_element(std::begin(kMixedSettings), std::end(kMixedSettings),
                          [](const StepSetting& a, const StepSetting& b) {
                            return a.time_acceleration < b.time_acceleration;
                          });
  const std::vector<Figure> figures = {
      AtLeast("vessel steps without a fault", sizes.long_run_vessels * sizes.long_run_steps, "",
              sizes.long_run_vessels * sizes.long_run_steps),
      Measured("vessels", sizes.long_run_vessels, "")};
  return Pass("step lengths " + Text(shortest->step_s) + " to " + Text(longest->step_s) +
                  " s at time accelerations " + Text(slowest->time_acceleration) + " to " +
                  Text(fastest->time_acceleration) + " changing every " +
                  std::to_string(kStepsPerSetting) + " steps: states in range; " +
                  FiguresText(figures),
              figures);
}

Result CheckSteadyState(const Target& target) {
  World world(target);
  // One vessel: what vessels do to each other is for the independence check.
  world.Create("a");
  world.host.SetFocus("a");
  world.host.LoadCockpit("a");
  world.Verify();
  world.host.journal().Clear();
  const auto& areas = world.host.Vessel("a").declared.cockpit.areas;
  const int steps = target.sizes().compared_steps;
  for (int step = 1; step <= steps; ++step) {
    const auto key = static_cast<DWORD>(step % kKeyCodes);
    world.host.DeliverKey("a", key, true);
    world.host.DeliverKey("a", key, false);
    if (!areas.empty())
      world.host.DeliverCockpitEvent("a", areas[static_cast<std::size_t>(step) % areas.size()].id,
                                     PANEL_MOUSE_LBDOWN);
    world.Step();
    if (const CallEntry* e = FirstDeclaration(world.host.journal()))
      return Fail("vessel " + e->vessel + " declared " + e->call + " = " + e->result +
                      " while flying; a vessel declares its thrusters, animations and "
                      "resources when it is made (clbkSetClassCaps), not during steps",
                  "step " + std::to_string(e->step) + ", vessel " + e->vessel + ", " +
                      std::string(e->Name()));
    world.host.journal().Clear();
  }
  const std::vector<Figure> figures = {AtMost("declarations while flying", 0, "", 0),
                                       Measured("steps with keys and clicks", steps, "")};
  return Pass("a vessel declared nothing after clbkPostCreation; " + FiguresText(figures), figures);
}

}  // namespace vsim::validate
