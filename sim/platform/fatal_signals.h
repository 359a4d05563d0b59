// The process's last words: a handler that runs when the process is about to
// die of a crash (a bad memory access, an abort) or is asked to stop
// (Ctrl-C, a termination request), before it dies as it would have.
#pragma once

namespace vsim::platform {

// Called in the dying process with the signal's name ("SIGSEGV") and whether
// it was a request to stop rather than a crash. It may use only what is safe
// in a signal handler: no allocation, no locks, no stdio.
using LastWords = void (*)(const char* signal, bool stop_request);

// Installs the handler for every fatal signal (on Windows also for
// unhandled exceptions); the process then dies of the same signal.
void OnFatalSignal(LastWords handler);

// Writes text to the standard error stream, safely in a signal handler.
void WriteError(const char* text);

namespace detail {

struct FatalSignal {
  int number;
  const char* name;
  bool stop_request;
};

// Runs the last words unless they have run already; returns whether this
// call ran them.
bool SpeakLastWords(const char* name, bool stop_request);
// The system's handlers for each of its fatal signals and events.
void InstallFatalHandlers();

}  // namespace detail

}  // namespace vsim::platform
