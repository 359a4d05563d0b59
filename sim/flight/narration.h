// The flight's story: lift-off and touchdown of the focus vessel, key
// presses, and the script's marks when their conditions first hold.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "sim/core/host.h"
#include "sim/flight/evaluation.h"
#include "sim/script/commands.h"

namespace vsim {

class Narrator {
public:
  using Tell = std::function<void(const std::string&)>;
  explicit Narrator(Tell tell) : tell_(std::move(tell)) {}

  // A mark inside a repeat is added once.
  void AddMark(const MarkCommand& mark) {
    for (const Mark& m : marks_)
      if (m.command == &mark) return;
    marks_.push_back({&mark, false});
  }
  void KeyPressed(const Host& host, unsigned key);
  // The physics judges each touchdown and the runner tells it.
  void JudgedTouchdowns() { tell_touchdown_ = false; }
  // Around every step.
  void BeforeStep(const Host& host);
  void AfterStep(Host& host, const Variables& variables);

private:
  struct Mark {
    const MarkCommand* command;
    bool fired;
  };
  void CheckMarks(Host& host, const Variables& variables);

  Tell tell_;
  std::vector<Mark> marks_;
  std::map<unsigned, int> last_key_step_;
  bool was_on_ground_ = false;
  bool tell_touchdown_ = true;
};

}  // namespace vsim
