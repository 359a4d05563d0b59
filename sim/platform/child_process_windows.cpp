#include <cstdio>

#include "sim/platform/child_process.h"
#include "sim/platform/windows_api.h"

namespace vsim::platform {

namespace {

std::string CommandLine(const std::vector<std::string>& argv) {
  std::string line;
  for (const std::string& arg : argv) {
    if (!line.empty()) line += ' ';
    line += '"';
    for (char c : arg) {
      if (c == '"') line += '\\';
      line += c;
    }
    line += '"';
  }
  return line;
}

}  // namespace

ChildOutcome RunChild(const std::vector<std::string>& argv, double time_limit_s,
                      const std::string& scratch_dir) {
  ChildOutcome outcome;
  const std::string out_path = detail::ChildOutputFile(scratch_dir);
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  PROCESS_INFORMATION process{};
  std::string line = CommandLine(argv);
  // A loaded machine (Wine under a parallel test run) now and then fails to
  // start a process that starts the next time.
  constexpr int kStartAttempts = 5;
  constexpr DWORD kRetryPause_ms = 200;
  bool created = false;
  for (int attempt = 0; attempt < kStartAttempts && !created; ++attempt) {
    if (attempt > 0) Sleep(kRetryPause_ms);
    HANDLE out = CreateFileA(out_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) continue;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = out;
    created = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                             nullptr, nullptr, &startup, &process) != 0;
    CloseHandle(out);
  }
  if (!created) return outcome;
  outcome.started = true;
  const auto limit_ms = static_cast<DWORD>(time_limit_s * 1000);
  if (WaitForSingleObject(process.hProcess, limit_ms) == WAIT_TIMEOUT) {
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, INFINITE);
    outcome.timed_out = true;
    outcome.how = "timed out";
  } else {
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    // Exception codes have the top bits set; a program's own exit codes do not.
    if ((code & 0xC0000000u) == 0xC0000000u) {
      char text[32];
      std::snprintf(text, sizeof text, "exception 0x%08lX", static_cast<unsigned long>(code));
      outcome.crashed = true;
      outcome.how = text;
    } else {
      outcome.exit_code = static_cast<int>(code);
      outcome.how = "exit " + std::to_string(code);
    }
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  outcome.output = detail::TakeChildOutput(out_path);
  return outcome;
}

}  // namespace vsim::platform
