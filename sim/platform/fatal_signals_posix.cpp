#include <unistd.h>

#include <csignal>
#include <cstring>

#include "sim/platform/fatal_signals.h"

namespace vsim::platform {

namespace {

using detail::FatalSignal;

constexpr FatalSignal kFatalSignals[] = {
    {SIGSEGV, "SIGSEGV", false}, {SIGILL, "SIGILL", false},      {SIGFPE, "SIGFPE", false},
    {SIGABRT, "SIGABRT", false}, {SIGINT, "SIGINT", true},       {SIGTERM, "SIGTERM", true},
    {SIGBUS, "SIGBUS", false},   {SIGSYS, "SIGSYS", false},      {SIGTRAP, "SIGTRAP", false},
    {SIGHUP, "SIGHUP", true},    {SIGQUIT, "SIGQUIT", true},     {SIGPIPE, "SIGPIPE", true},
    {SIGXFSZ, "SIGXFSZ", true},  {SIGXCPU, "SIGXCPU", true},     {SIGALRM, "SIGALRM", true},
    {SIGUSR1, "SIGUSR1", true},  {SIGVTALRM, "SIGVTALRM", true}, {SIGPROF, "SIGPROF", true},
};

const FatalSignal* Find(int number) {
  for (const FatalSignal& s : kFatalSignals)
    if (s.number == number) return &s;
  return nullptr;
}

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
  if (!detail::SpeakLastWords(s != nullptr ? s->name : "a signal",
                              s == nullptr || s->stop_request)) {
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

}  // namespace

void WriteError(const char* text) {
  ssize_t written = write(STDERR_FILENO, text, std::strlen(text));
  static_cast<void>(written);
}

namespace detail {

void InstallFatalHandlers() {
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
}

}  // namespace detail

}  // namespace vsim::platform
