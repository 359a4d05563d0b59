#include "sim/platform/fatal_signals.h"

#include <csignal>
#include <cstring>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace vsim::platform {

namespace {

LastWords last_words = nullptr;
volatile std::sig_atomic_t dying = 0;

struct FatalSignal {
  int number;
  const char* name;
  bool stop_request;
};

constexpr FatalSignal kFatalSignals[] = {
    {SIGSEGV, "SIGSEGV", false}, {SIGILL, "SIGILL", false}, {SIGFPE, "SIGFPE", false},
    {SIGABRT, "SIGABRT", false}, {SIGINT, "SIGINT", true},  {SIGTERM, "SIGTERM", true},
#if !defined(_WIN32)
    {SIGBUS, "SIGBUS", false},   {SIGHUP, "SIGHUP", true},
#endif
};

// Only the first of several signals speaks: a crash inside the last words
// must not run them again.
void Speak(const char* name, bool stop_request) {
  if (dying != 0) return;
  dying = 1;
  if (last_words != nullptr) last_words(name, stop_request);
}

const FatalSignal* Find(int number) {
  for (const FatalSignal& s : kFatalSignals)
    if (s.number == number) return &s;
  return nullptr;
}

#if defined(_WIN32)

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
  if (const FatalSignal* s = Find(number)) Speak(s->name, s->stop_request);
  if (const DWORD code = CrashCode(number)) TerminateProcess(GetCurrentProcess(), code);
  std::signal(number, SIG_DFL);
  std::raise(number);
}

LONG WINAPI HandleException(EXCEPTION_POINTERS* info) {
  const DWORD code = info != nullptr ? info->ExceptionRecord->ExceptionCode : 0;
  Speak(code == EXCEPTION_ACCESS_VIOLATION ? "an access violation" : "an unhandled exception",
        false);
  return EXCEPTION_CONTINUE_SEARCH;
}

#else

// A crash from a stack overflow needs a stack of its own to report on.
constexpr std::size_t kAlternateStack = 64 * 1024;
alignas(16) char alternate_stack[kAlternateStack];

void Handle(int number) {
  if (const FatalSignal* s = Find(number)) Speak(s->name, s->stop_request);
  // Installed with SA_RESETHAND: the signal, raised again, now kills.
  std::raise(number);
}

#endif

}  // namespace

void WriteError(const char* text) {
  const std::size_t length = std::strlen(text);
#if defined(_WIN32)
  _write(2, text, static_cast<unsigned>(length));
#else
  ssize_t written = write(STDERR_FILENO, text, length);
  static_cast<void>(written);
#endif
}

void OnFatalSignal(LastWords handler) {
  last_words = handler;
#if defined(_WIN32)
  SetUnhandledExceptionFilter(HandleException);
  for (const FatalSignal& s : kFatalSignals) std::signal(s.number, Handle);
#else
  stack_t stack{};
  stack.ss_sp = alternate_stack;
  stack.ss_size = sizeof alternate_stack;
  sigaltstack(&stack, nullptr);
  for (const FatalSignal& s : kFatalSignals) {
    struct sigaction action {};
    action.sa_handler = Handle;
    action.sa_flags = SA_RESETHAND | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    sigaction(s.number, &action, nullptr);
  }
#endif
}

}  // namespace vsim::platform
