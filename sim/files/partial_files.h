// The partial output files alive in this process, so that a process about
// to die (a crash, Ctrl-C) can remove them: nothing half-written is left.
#pragma once

#include <string>

namespace vsim {

// Remembers a partial file until it is forgotten; returns its slot, or -1
// when it cannot be kept (the table is full or the path too long: the file
// is then removed only by a normal end).
// `descriptor`, the file's own when open, is closed first where an open file
// cannot be removed (Windows).
int RememberPartial(const std::string& path, int descriptor = -1);
void ForgetPartial(int slot);
// Removes every remembered file; safe in a signal handler.
void RemovePartialsNow();

}  // namespace vsim
