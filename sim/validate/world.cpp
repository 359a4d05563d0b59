#include "sim/validate/world.h"

#include <cmath>

#include "sim/journal/format.h"

namespace vsim::validate {

namespace {

// The range every animation state keeps, whatever the module was told.
constexpr double kLowestState = 0;
constexpr double kHighestState = 1;

std::string Where(const HostFault& f) {
  const std::size_t colon = f.text.find(':');
  return "step " + std::to_string(f.step) + ", vessel " + f.vessel +
         (colon != std::string::npos ? ", " + f.text.substr(0, colon) : "");
}

}  // namespace

World::World(const Target& target, Sound sound) {
  host.journal().enabled = true;
  host.journal().keep = true;
  host.SetAnswers(&faults);
  const std::string& library = sound == Sound::kPresent   ? target.sound
                               : sound == Sound::kPartial ? target.partial_sound
                                                          : std::string();
  if (!library.empty()) host.LoadSoundLibrary(library);
  host.LoadModule(target.module);
}

VesselRecord& World::Create(const std::string& name) {
  try {
    VesselRecord& v = host.CreateVessel(name);
    Verify();
    return v;
  } catch (const HostError& e) {
    throw Broken{Fail(
        e.what(), "step " + std::to_string(host.StepCount()) + ", vessel " + name + ", ovcInit")};
  }
}

void World::Destroy(const std::string& name) {
  host.DestroyVessel(name);
  Verify();
}

void World::Verify() {
  if (host.Faulted()) {
    const HostFault& f = host.Faults().front();
    throw Broken{Fail(f.text, Where(f))};
  }
}

void World::Step() {
  host.Step();
  Verify();
  for (const auto& v : host.Vessels()) {
    const auto& animations = v->declared.animations;
    for (std::size_t i = 0; i < animations.size(); ++i) {
      const double state = animations[i].state;
      if (!(state >= kLowestState && state <= kHighestState))
        throw Broken{Fail(
            "animation " + std::to_string(i) + " is at state " + Text(state) + ", outside 0..1",
            "step " + std::to_string(host.StepCount()) + ", vessel " + v->name + ", SetAnimation")};
    }
  }
}

void World::Steps(int count) {
  for (int i = 0; i < count; ++i) Step();
}

std::map<std::string, std::vector<std::string>> World::TakeCalls() {
  std::map<std::string, std::vector<std::string>> calls;
  for (const CallEntry& e : host.journal().Entries())
    calls[e.vessel].push_back(e.result.empty() ? e.call : e.call + " = " + e.result);
  host.journal().Clear();
  return calls;
}

std::vector<std::string> Operations(const std::vector<std::string>& calls) {
  std::vector<std::string> names;
  names.reserve(calls.size());
  for (const std::string& c : calls) names.push_back(c.substr(0, c.find('(')));
  return names;
}

std::string FirstDifference(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  return FirstDifference(a, "", b, "");
}

std::string FirstDifference(const std::vector<std::string>& a, const std::string& a_name,
                            const std::vector<std::string>& b, const std::string& b_name) {
  for (std::size_t i = 0; i < a.size() || i < b.size(); ++i) {
    const std::string x = i < a.size() ? a[i] : "(nothing)";
    const std::string y = i < b.size() ? b[i] : "(nothing)";
    if (x != y)
      return "\"" + x + "\"" + (a_name.empty() ? "" : " " + a_name) + " against \"" + y + "\"" +
             (b_name.empty() ? "" : " " + b_name);
  }
  return "";
}

std::string Text(double value) { return FormatNumber(value); }

}  // namespace vsim::validate
