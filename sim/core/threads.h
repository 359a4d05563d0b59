// Threads as the host names them: its functions may be called only from
// the thread that runs the module's callbacks, and a call from any other
// is a fault that says which thread made it.
#pragma once

#include <string>

namespace vsim {

// "thread 4242 \"worker\"" (its system identifier and, where threads have
// names, its name).
std::string ThisThreadText();

}  // namespace vsim
