// What vesselsim says when it dies of a crash or is stopped: where in the
// module it was, and that no partial output is left behind.
#pragma once

namespace vesselsim {

void InstallLastWords();

}  // namespace vesselsim
