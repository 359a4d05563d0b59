#include "sim/core/sound_requests.h"

#include <string>

#include "sim/core/host.h"

namespace vsim {

namespace {

void Record(Host& host, const VesselRecord* vessel, const SoundRequest& r) {
  LineText& call = host.journal().Begin(host.StepCount(),
                                        vessel == nullptr ? "-" : std::string_view(vessel->name));
  call += r.call;
  call += '(';
  if (r.vessel != nullptr) AppendHandleText(call, host, vessel, "vessel", r.vessel);
  for (int i = 0; i < r.count; ++i) {
    if (i > 0) call += ", ";
    AppendInteger(call, r.numbers[i]);
  }
  if (r.text != nullptr) {
    call += ", ";
    AppendString(call, r.text);
  }
  if (r.has_trailing) {
    call += ", ";
    AppendInteger(call, r.trailing);
  }
  call += ')';
  host.journal().End();
}

}  // namespace

void NoteSoundRequest(Host& host, OBJHANDLE handle, const SoundRequest& request) {
  VesselRecord* vessel = host.VesselOf(handle);
  if (host.journal().enabled) Record(host, vessel, request);
  if (vessel == nullptr || request.slot == 0) return;
  SoundSlot& s = vessel->sound.slots[request.slot];
  s.last = request.kind;
  if (request.text != nullptr) s.wave = request.text;
  s.loop = request.loop;
  s.volume = request.volume;
  s.frequency = request.frequency;
}

void NoteSoundId(Host& host, OBJHANDLE handle, int id) {
  if (VesselRecord* vessel = host.VesselOf(handle)) vessel->sound.id = id;
}

}  // namespace vsim
