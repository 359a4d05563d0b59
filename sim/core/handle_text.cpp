#include "sim/core/host.h"

namespace vsim {

std::string HandleText(Host& host, const VesselRecord* recorder, const char* kind,
                       const void* handle) {
  if (handle == nullptr) return "null";
  const HandleCode code = DecodeHandle(handle);
  if (code.kind == HandleKind::kMesh && code.owner == host.Serial())
    return HandleNames::Issued(code.kind, code.index);
  if (code.kind != HandleKind::kNone) {
    // A vessel has one handle of its own, whatever slot the host keeps it in.
    const std::string issued =
        HandleNames::Issued(code.kind, code.kind == HandleKind::kVessel ? 0 : code.index);
    if (recorder != nullptr && code.owner == recorder->serial) return issued;
    if (const VesselRecord* owner = host.VesselBySerial(code.owner))
      return owner->name + ":" + issued;
  }
  return host.handle_names().Foreign(recorder == nullptr ? 0 : recorder->serial, kind, handle);
}

}  // namespace vsim
