#include "sim/flight/narration.h"

#include "sim/script/keys.h"

namespace vsim {

void Narrator::KeyPressed(const Host& host, unsigned key) {
  last_key_step_[key] = host.StepCount();
  tell_("key " + KeyName(key) + " pressed");
}

void Narrator::BeforeStep(const Host& host) {
  const VesselRecord* focus = host.Focus();
  was_on_ground_ = focus != nullptr && focus->readings.ground_contact;
}

void Narrator::AfterStep(Host& host, const Variables& variables) {
  const VesselRecord* focus = host.Focus();
  if (focus != nullptr) {
    const bool on_ground = focus->readings.ground_contact;
    if (was_on_ground_ && !on_ground) tell_("lift-off");
    if (!was_on_ground_ && on_ground && tell_touchdown_) tell_("touchdown");
  }
  CheckMarks(host, variables);
}

void Narrator::CheckMarks(Host& host, const Variables& variables) {
  for (Mark& m : marks_) {
    if (m.fired) continue;
    // A mark tied to a key waits for that key's first press.
    const auto& after = m.command->after_key;
    const auto key = after ? last_key_step_.find(*after) : last_key_step_.end();
    if (after && key == last_key_step_.end()) continue;
    if (!Evaluation{host, variables}.Holds(m.command->condition)) continue;
    m.fired = true;
    std::string text = m.command->text;
    if (after)
      text += ", " + std::to_string(host.StepCount() - key->second) + " steps after key " +
              KeyName(*after);
    tell_(text);
  }
}

}  // namespace vsim
