#include "sim/program/last_words.h"

#include <cstddef>
#include <cstdlib>

#include "sim/core/host.h"
#include "sim/files/partial_files.h"
#include "sim/platform/exit_hooks.h"
#include "sim/platform/fatal_signals.h"
#include "sim/platform/platform.h"

namespace vesselsim {

namespace {

constexpr std::size_t kMessage = 512;
constexpr int kDecimal = 10;

// Text built without allocating: the process may be dying of a broken heap.
class Message {
public:
  Message& operator<<(const char* text) {
    for (const char* c = text; c != nullptr && *c != '\0' && length_ + 1 < kMessage; ++c)
      text_[length_++] = *c;
    text_[length_] = '\0';
    return *this;
  }
  Message& operator<<(int number) {
    char digits[16];
    int count = 0;
    unsigned value =
        number < 0 ? 0u - static_cast<unsigned>(number) : static_cast<unsigned>(number);
    do {
      digits[count++] = static_cast<char>('0' + value % kDecimal);
      value /= kDecimal;
    } while (value != 0 && count < static_cast<int>(sizeof digits));
    if (number < 0) *this << "-";
    char one[2] = {0, 0};
    while (count > 0) {
      one[0] = digits[--count];
      *this << one;
    }
    return *this;
  }
  const char* text() const { return text_; }

private:
  char text_[kMessage] = {};
  std::size_t length_ = 0;
};

Message message;
ReportOnModuleExit report_on_module_exit = nullptr;

constexpr int kExitFailed = 1;

void SayWhere(const volatile vsim::ModuleSite& site, const char* in) {
  message << in << site.callback;
  if (site.vessel != nullptr) message << " of vessel \"" << site.vessel << "\"";
  message << " at step " << site.step;
}

void SayLastWords(const char* signal, bool stop_request) {
  vsim::RemovePartialsNow();
  const volatile vsim::ModuleSite& site = vsim::CurrentModuleSite();
  message << "vesselsim: " << (stop_request ? "stopped by " : "crashed with ") << signal;
  if (site.callback != nullptr) SayWhere(site, " in the module's ");
  message << "; partial outputs removed\n";
  vsim::platform::WriteError(message.text());
}

// The process is ending normally: if the host is inside the module, the
// module ended it, which is a failure and not the host's own exit.
void ModuleEndedProcess(const char* how, int status, bool status_known) {
  const volatile vsim::ModuleSite& site = vsim::CurrentModuleSite();
  if (site.callback == nullptr) return;
  vsim::RemovePartialsNow();
  message << "vesselsim: the module ended the process with " << how;
  if (status_known) message << "(" << status << ")";
  SayWhere(site, " in ");
  message << "; partial outputs removed\n";
  vsim::platform::WriteError(message.text());
  if (report_on_module_exit != nullptr) report_on_module_exit(message.text());
  vsim::platform::ExitNow(kExitFailed);
}

}  // namespace

void InstallLastWords() {
  vsim::platform::OnFatalSignal(SayLastWords);
  vsim::platform::OnProcessExit(ModuleEndedProcess);
}

void OnModuleExit(ReportOnModuleExit report) { report_on_module_exit = report; }

}  // namespace vesselsim
