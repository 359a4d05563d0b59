#include "sim/core/host.h"

namespace vsim {

std::string HandleText(Host& host, const VesselRecord* recorder, const char* kind,
                       const void* handle) {
  if (handle == nullptr) return "null";
  const HandleCode code = DecodeHandle(handle);
  if (code.kind == HandleKind::kMesh && code.owner == host.Serial())
    return HandleNames::Issued(code.kind, code.index);
  if (code.kind != HandleKind::kNone) {
    const bool own = recorder != nullptr && code.owner == recorder->serial;
    if (own)
      return HandleNames::Issued(code.kind, code.kind == HandleKind::kVessel ? 0 : code.index);
    if (const VesselRecord* owner = host.VesselBySerial(code.owner))
      return owner->name + ":" +
             HandleNames::Issued(code.kind, code.kind == HandleKind::kVessel ? 0 : code.index);
  }
  return host.handle_names().Foreign(recorder == nullptr ? 0 : recorder->serial, kind, handle);
}

}  // namespace vsim
