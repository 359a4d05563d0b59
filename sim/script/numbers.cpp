#include "sim/script/numbers.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "sim/script/units.h"

namespace vsim {

namespace {
constexpr std::size_t kMaxIndexDigits = 9;
}  // namespace

bool ParseNumber(const std::string& text, double& value, std::string* dimension) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text.front())) != 0) return false;
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || errno == ERANGE || !std::isfinite(v)) return false;
  const std::string suffix(end);
  double scale = 1;
  std::string unit_dimension;
  if (!suffix.empty()) {
    const Unit* unit = FindUnit(suffix);
    if (unit == nullptr) return false;
    scale = unit->scale;
    unit_dimension = unit->dimension;
  }
  if (!std::isfinite(v * scale)) return false;
  value = v * scale;
  if (dimension != nullptr) *dimension = unit_dimension;
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
