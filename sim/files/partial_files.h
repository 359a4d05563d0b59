// The partial output files alive in this process, so that a process about
// to die (a crash, Ctrl-C) can remove them: nothing half-written is left.
// A partial file is named after its output and the process writing it, so
// that two runs writing one output never write into one file, and a run can
// remove what a process killed outright left behind.
#pragma once

#include <string>

namespace vsim {

// "out/flight.csv" -> "out/flight.csv.1234.partial" in process 1234.
std::string PartialPath(const std::string& path);

// Removes the partial files of `path` left by processes that no longer
// exist.
void SweepStalePartials(const std::string& path);

// Remembers a partial file until it is forgotten, before it is made, so that
// no moment exists when it is there and not remembered; returns its slot, or
// -1 when it cannot be kept (the table is full or the path too long: the
// file is then removed only by a normal end).
int RememberPartial(const std::string& path);
// The file's descriptor once open: closed first where an open file cannot
// be removed (Windows).
void RememberDescriptor(int slot, int descriptor);
void ForgetPartial(int slot);
// Removes every remembered file; safe in a signal handler.
void RemovePartialsNow();

}  // namespace vsim
