// What vesselsim says when it dies of a crash or is stopped, or when the
// module ends the process through exit or quick_exit inside a callback (a
// failure, exit 1): where in the module it was, and that no partial output
// is left behind. _exit cannot be seen from inside the process.
#pragma once

namespace vesselsim {

void InstallLastWords();

// Called, after the message, when the module ends the process: a command
// may write what it can (check's report) before the process exits.
using ReportOnModuleExit = void (*)(const char* message);
void OnModuleExit(ReportOnModuleExit report);

}  // namespace vesselsim
