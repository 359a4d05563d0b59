#include "sim/platform/fatal_signals.h"

#include <atomic>
#include <csignal>
#include <cstring>

#if defined(_WIN32)
#include <io.h>

#include "sim/platform/windows_api.h"
#else
#include <unistd.h>
#endif

namespace vsim::platform {

namespace {

LastWords last_words = nullptr;
std::atomic_flag dying = ATOMIC_FLAG_INIT;

struct FatalSignal {
  int number;
  const char* name;
  bool stop_request;
};

constexpr FatalSignal kFatalSignals[] = {
    {SIGSEGV, "SIGSEGV", false}, {SIGILL, "SIGILL", false},      {SIGFPE, "SIGFPE", false},
    {SIGABRT, "SIGABRT", false}, {SIGINT, "SIGINT", true},       {SIGTERM, "SIGTERM", true},
#if !defined(_WIN32)
    {SIGBUS, "SIGBUS", false},   {SIGSYS, "SIGSYS", false},      {SIGTRAP, "SIGTRAP", false},
    {SIGHUP, "SIGHUP", true},    {SIGQUIT, "SIGQUIT", true},     {SIGPIPE, "SIGPIPE", true},
    {SIGXFSZ, "SIGXFSZ", true},  {SIGXCPU, "SIGXCPU", true},     {SIGALRM, "SIGALRM", true},
    {SIGUSR1, "SIGUSR1", true},  {SIGVTALRM, "SIGVTALRM", true}, {SIGPROF, "SIGPROF", true},
#endif
};

// Only the first of several signals speaks, and only once: a second signal,
// or a crash inside the last words, must not run them again. Returns whether
// this call spoke.
bool Speak(const char* name, bool stop_request) {
  if (dying.test_and_set()) return false;
  if (last_words != nullptr) last_words(name, stop_request);
  return true;
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

// Ctrl-C, Ctrl-Break and the console window's closing arrive on a thread of
// their own; the process then ends as the system's default handler ends it.
BOOL WINAPI HandleConsoleEvent(DWORD event) {
  const char* name = event == CTRL_C_EVENT       ? "Ctrl-C"
                     : event == CTRL_BREAK_EVENT ? "Ctrl-Break"
                     : event == CTRL_CLOSE_EVENT ? "the console's closing"
                                                 : nullptr;
  if (name == nullptr) return FALSE;
  if (!Speak(name, true)) Sleep(INFINITE);
  constexpr DWORD kControlCExit = 0xC000013A;
  TerminateProcess(GetCurrentProcess(), kControlCExit);
  return TRUE;
}

LONG WINAPI HandleException(EXCEPTION_POINTERS* info) {
  const DWORD code = info != nullptr ? info->ExceptionRecord->ExceptionCode : 0;
  Speak(code == EXCEPTION_ACCESS_VIOLATION ? "an access violation" : "an unhandled exception",
        false);
  return EXCEPTION_CONTINUE_SEARCH;
}

#else

// Only if a signal's default action does not end the process.
constexpr int kStopExit = 128;

// A crash from a stack overflow needs a stack of its own to report on.
constexpr std::size_t kAlternateStack = 64 * 1024;
alignas(16) char alternate_stack[kAlternateStack];

// Every signal stays blocked while the first one cleans up, so a second
// (the same again, as `timeout` sends it to the process and then its group)
// waits; then this signal alone is unblocked with its default action and the
// process dies of it, as the shell expects to see.
void Handle(int number) {
  const FatalSignal* s = Find(number);
  if (!Speak(s != nullptr ? s->name : "a signal", s == nullptr || s->stop_request)) {
    // Another thread is cleaning up and will end the process.
    for (;;) pause();
  }
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(number, &fallback, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, number);
  sigprocmask(SIG_UNBLOCK, &only, nullptr);
  raise(number);
  // A signal whose default is to be ignored would come back here.
  _exit(kStopExit);
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
  SetConsoleCtrlHandler(HandleConsoleEvent, TRUE);
  for (const FatalSignal& s : kFatalSignals) std::signal(s.number, Handle);
#else
  stack_t stack{};
  stack.ss_sp = alternate_stack;
  stack.ss_size = sizeof alternate_stack;
  sigaltstack(&stack, nullptr);
  for (const FatalSignal& s : kFatalSignals) {
    struct sigaction action {};
    action.sa_handler = Handle;
    action.sa_flags = SA_ONSTACK;
    sigfillset(&action.sa_mask);
    sigaction(s.number, &action, nullptr);
  }
#endif
}

}  // namespace vsim::platform
