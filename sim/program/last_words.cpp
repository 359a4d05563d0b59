#include "sim/program/last_words.h"

#include <cstddef>

#include "sim/core/host.h"
#include "sim/files/partial_files.h"
#include "sim/platform/fatal_signals.h"

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

void SayLastWords(const char* signal, bool stop_request) {
  vsim::RemovePartialsNow();
  const volatile vsim::ModuleSite& site = vsim::CurrentModuleSite();
  message << "vesselsim: " << (stop_request ? "stopped by " : "crashed with ") << signal;
  if (site.callback != nullptr) {
    message << " in the module's " << site.callback;
    if (site.vessel != nullptr) message << " of vessel \"" << site.vessel << "\"";
    message << " at step " << site.step;
  }
  message << "; partial outputs removed\n";
  vsim::platform::WriteError(message.text());
}

}  // namespace

void InstallLastWords() { vsim::platform::OnFatalSignal(SayLastWords); }

}  // namespace vesselsim
