#include "sim/functions/record.h"

namespace vsim::functions {

void AppendArg(LineText& out, Host&, const VesselRecord*, double value) {
  AppendNumber(out, value);
}
void AppendArg(LineText& out, Host&, const VesselRecord*, int value) { AppendInteger(out, value); }
void AppendArg(LineText& out, Host&, const VesselRecord*, unsigned value) {
  AppendInteger(out, value);
}
void AppendArg(LineText& out, Host&, const VesselRecord*, bool value) {
  out += value ? std::string_view("true") : std::string_view("false");
}
void AppendArg(LineText& out, Host&, const VesselRecord*, const char* value) {
  AppendString(out, value);
}
void AppendArg(LineText& out, Host&, const VesselRecord*, const VECTOR3& value) {
  AppendVector(out, value);
}
void AppendArg(LineText& out, Host& host, const VesselRecord* vessel, const HandleArg& value) {
  AppendHandleText(out, host, vessel, value.kind, value.handle);
}

}  // namespace vsim::functions
