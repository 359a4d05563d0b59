#include "sim/core/host.h"

namespace vsim {

void AppendHandleText(LineText& out, Host& host, const VesselRecord* recorder, const char* kind,
                      const void* handle) {
  if (handle == nullptr) {
    out += "null";
    return;
  }
  const HandleCode code = DecodeHandle(handle);
  if (code.kind == HandleKind::kMesh && code.owner == host.Serial())
    return HandleNames::AppendIssued(out, code.kind, code.index);
  if (code.kind != HandleKind::kNone) {
    // A vessel has one handle of its own, whatever slot the host keeps it in.
    const std::uint32_t index = code.kind == HandleKind::kVessel ? 0 : code.index;
    if (recorder != nullptr && code.owner == recorder->serial)
      return HandleNames::AppendIssued(out, code.kind, index);
    if (const VesselRecord* owner = host.VesselBySerial(code.owner)) {
      out += owner->name;
      out += ':';
      return HandleNames::AppendIssued(out, code.kind, index);
    }
  }
  out += host.handle_names().ForeignName(recorder == nullptr ? 0 : recorder->serial, kind, handle);
}

std::string HandleText(Host& host, const VesselRecord* recorder, const char* kind,
                       const void* handle) {
  LineText out;
  AppendHandleText(out, host, recorder, kind, handle);
  return out.Str();
}

}  // namespace vsim
