// The outputs of a flight listen to the run: the runner announces what
// happens and each output keeps what it needs, reaching into nothing.
#pragma once

#include <string>

#include "sim/core/host.h"

namespace vsim {

struct FlightEvent {
  int step = 0;
  double time = 0;
  std::string text;
};

class RunObserver {
public:
  virtual ~RunObserver() = default;
  // Before the first command; the host has no module yet.
  virtual void RunStarted(Host&) {}
  virtual void VesselCreated(const Host&, const VesselRecord&) {}
  virtual void StepDone(const Host&) {}
  virtual void EventHappened(const FlightEvent&) {}
  // After the module unloaded. A completed run finishes its output (a
  // FileError if that fails), any other discards it.
  virtual void RunEnded(Host&, bool completed) = 0;
  // Once every output of a completed run is finished: puts it in place (a
  // FileError if that fails). Outputs appear together or not at all.
  virtual void Publish() {}
  // Drops whatever the output had not yet put in place; after Publish it
  // does nothing. A run stopped by a command that failed publishes what it
  // ran and is then abandoned, which discards: its outputs must stay.
  virtual void Discard() {}
};

}  // namespace vsim
