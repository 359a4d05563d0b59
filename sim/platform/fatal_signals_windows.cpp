#include <io.h>

#include <csignal>
#include <cstring>

#include "sim/platform/fatal_signals.h"
#include "sim/platform/windows_api.h"

namespace vsim::platform {

namespace {

using detail::FatalSignal;

// The C runtime's signals; the rest arrive as exceptions or console events.
constexpr FatalSignal kFatalSignals[] = {
    {SIGSEGV, "SIGSEGV", false}, {SIGILL, "SIGILL", false}, {SIGFPE, "SIGFPE", false},
    {SIGABRT, "SIGABRT", false}, {SIGINT, "SIGINT", true},  {SIGTERM, "SIGTERM", true},
};

const FatalSignal* Find(int number) {
  for (const FatalSignal& s : kFatalSignals)
    if (s.number == number) return &s;
  return nullptr;
}

// The C runtime turns a crash into a signal, and the signal's default
// action into exit code 3: a crash ends with the exception's own code, as
// it would with no handler, so that whoever waits on the process sees one.
DWORD CrashCode(int number) {
  switch (number) {
    case SIGSEGV: return EXCEPTION_ACCESS_VIOLATION;
    case SIGILL: return EXCEPTION_ILLEGAL_INSTRUCTION;
    case SIGFPE: return EXCEPTION_FLT_INVALID_OPERATION;
    default: return 0;
  }
}

void Handle(int number) {
  if (const FatalSignal* s = Find(number)) detail::SpeakLastWords(s->name, s->stop_request);
  if (const DWORD code = CrashCode(number)) TerminateProcess(GetCurrentProcess(), code);
  std::signal(number, SIG_DFL);
  std::raise(number);
}

// Ctrl-C, Ctrl-Break and the console window's closing arrive on a thread of
// their own; the process then ends as the system's default handler ends it.
BOOL WINAPI HandleConsoleEvent(DWORD event) {
  const char* name = event == CTRL_C_EVENT       ? "Ctrl-C"
                     : event == CTRL_BREAK_EVENT ? "Ctrl-Break"
                     : event == CTRL_CLOSE_EVENT ? "the console's closing"
                                                 : nullptr;
  if (name == nullptr) return FALSE;
  if (!detail::SpeakLastWords(name, true)) Sleep(INFINITE);
  constexpr DWORD kControlCExit = 0xC000013A;
  TerminateProcess(GetCurrentProcess(), kControlCExit);
  return TRUE;
}

LONG WINAPI HandleException(EXCEPTION_POINTERS* info) {
  const DWORD code = info != nullptr ? info->ExceptionRecord->ExceptionCode : 0;
  detail::SpeakLastWords(
      code == EXCEPTION_ACCESS_VIOLATION ? "an access violation" : "an unhandled exception", false);
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

void WriteError(const char* text) { _write(2, text, static_cast<unsigned>(std::strlen(text))); }

namespace detail {

void InstallFatalHandlers() {
  SetUnhandledExceptionFilter(HandleException);
  SetConsoleCtrlHandler(HandleConsoleEvent, TRUE);
  for (const FatalSignal& s : kFatalSignals) std::signal(s.number, Handle);
}

}  // namespace detail

}  // namespace vsim::platform
