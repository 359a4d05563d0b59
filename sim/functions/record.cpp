#include "sim/functions/record.h"

namespace vsim::functions {

void AppendArg(std::string& out, Host&, const VesselRecord*, double value) {
  AppendNumber(out, value);
}
void AppendArg(std::string& out, Host&, const VesselRecord*, int value) {
  out += std::to_string(value);
}
void AppendArg(std::string& out, Host&, const VesselRecord*, unsigned value) {
  out += std::to_string(value);
}
void AppendArg(std::string& out, Host&, const VesselRecord*, bool value) {
  out += value ? "true" : "false";
}
void AppendArg(std::string& out, Host&, const VesselRecord*, const char* value) {
  out += FormatString(value);
}
void AppendArg(std::string& out, Host&, const VesselRecord*, const VECTOR3& value) {
  out += FormatVector(value);
}
void AppendArg(std::string& out, Host& host, const VesselRecord* vessel, const HandleArg& value) {
  out += HandleText(host, vessel, value.kind, value.handle);
}

}  // namespace vsim::functions
