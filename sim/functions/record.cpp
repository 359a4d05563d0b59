#include "sim/functions/record.h"

#include <charconv>

namespace vsim::functions {

namespace {

template <typename Integer>
void AppendInteger(std::string& out, Integer value) {
  char digits[16];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

}  // namespace

void AppendArg(std::string& out, Host&, const VesselRecord*, double value) {
  AppendNumber(out, value);
}
void AppendArg(std::string& out, Host&, const VesselRecord*, int value) {
  AppendInteger(out, value);
}
void AppendArg(std::string& out, Host&, const VesselRecord*, unsigned value) {
  AppendInteger(out, value);
}
void AppendArg(std::string& out, Host&, const VesselRecord*, bool value) {
  out += value ? "true" : "false";
}
void AppendArg(std::string& out, Host&, const VesselRecord*, const char* value) {
  AppendString(out, value);
}
void AppendArg(std::string& out, Host&, const VesselRecord*, const VECTOR3& value) {
  AppendVector(out, value);
}
void AppendArg(std::string& out, Host& host, const VesselRecord* vessel, const HandleArg& value) {
  AppendHandleText(out, host, vessel, value.kind, value.handle);
}

}  // namespace vsim::functions
