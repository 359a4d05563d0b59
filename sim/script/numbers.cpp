#include "sim/script/numbers.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "host/host_api.h"

namespace vsim {

namespace {
constexpr char kDegrees[] = "deg";
constexpr std::size_t kDegreesLength = sizeof kDegrees - 1;
constexpr char kDegreesPerSecond[] = "deg/s";
constexpr std::size_t kDegreesPerSecondLength = sizeof kDegreesPerSecond - 1;

bool EndsWith(const std::string& text, const char* suffix, std::size_t length) {
  return text.size() > length && text.compare(text.size() - length, length, suffix) == 0;
}
constexpr std::size_t kMaxIndexDigits = 9;
}  // namespace

bool ParseNumber(const std::string& text, double& value) {
  std::string digits = text;
  double scale = 1;
  if (EndsWith(digits, kDegreesPerSecond, kDegreesPerSecondLength)) {
    digits.resize(digits.size() - kDegreesPerSecondLength);
    scale = RAD;
  } else if (EndsWith(digits, kDegrees, kDegreesLength)) {
    digits.resize(digits.size() - kDegreesLength);
    scale = RAD;
  }
  if (digits.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(digits.c_str(), &end);
  if (end != digits.c_str() + digits.size() || errno == ERANGE || !std::isfinite(v)) return false;
  value = v * scale;
  return true;
}

bool ParseIndex(const std::string& text, int& value) {
  if (text.empty() || text.size() > kMaxIndexDigits) return false;
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  value = std::atoi(text.c_str());
  return true;
}

}  // namespace vsim
