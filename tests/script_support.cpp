#include "tests/script_support.h"

#include "sim/script/parser.h"

namespace {

const bool shared_scripts_found = [] {
  vsim::SetSharedScriptsFolder(SHARED_SCRIPTS_FOLDER);
  return true;
}();

}  // namespace
