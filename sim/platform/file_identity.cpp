#include "sim/platform/file_identity.h"

#include <filesystem>
#include <system_error>

namespace vsim::platform {

namespace fs = std::filesystem;

bool IdentifyFile(const std::string& path, FileIdentity& identity, std::string& why) {
  std::error_code error;
  fs::path absolute = fs::absolute(path.empty() ? fs::path(".") : fs::path(path), error);
  if (error) {
    why = error.message();
    return false;
  }
  absolute = absolute.lexically_normal();
  fs::path rest;
  for (fs::path at = absolute;; at = at.parent_path()) {
    if (detail::IdentifyExisting(at, identity)) {
      identity.rest = detail::Folded(rest.lexically_normal().generic_string());
      if (identity.rest == ".") identity.rest.clear();
      return true;
    }
    if (at == at.parent_path() || at.empty()) break;
    rest = rest.empty() ? at.filename() : at.filename() / rest;
  }
  why = "no part of the path can be found";
  return false;
}

}  // namespace vsim::platform
