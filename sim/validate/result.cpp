#include <cmath>
#include <cstdio>

#include "sim/validate/validation.h"

namespace vsim::validate {

Result Pass(std::string reason, std::vector<Figure> figures) {
  return {Verdict::kPass, std::move(reason), "", std::move(figures), {}};
}
Result Fail(std::string reason, std::string where) {
  return {Verdict::kFail, std::move(reason), std::move(where), {}, {}};
}
Result Skip(std::string reason) { return {Verdict::kSkip, std::move(reason), "", {}, {}}; }
Result Warn(std::string reason, std::vector<Figure> figures) {
  return {Verdict::kWarn, std::move(reason), "", std::move(figures), {}};
}

Figure Measured(std::string name, double value, std::string unit) {
  return {std::move(name), value, std::move(unit), Bound::kReported, NAN};
}
Figure AtMost(std::string name, double value, std::string unit, double limit) {
  return {std::move(name), value, std::move(unit), Bound::kAtMost, limit};
}
Figure AtLeast(std::string name, double value, std::string unit, double limit) {
  return {std::move(name), value, std::move(unit), Bound::kAtLeast, limit};
}

namespace {

// Four significant digits, but whole numbers and large ones as they are:
// "30000 steps", not "3e+04".
constexpr double kWholeFrom = 1000;

std::string Number(double value) {
  char text[32];
  if (std::abs(value) >= kWholeFrom || value == std::round(value))
    std::snprintf(text, sizeof text, "%.0f", value);
  else
    std::snprintf(text, sizeof text, "%.4g", value);
  return text;
}

std::string WithUnit(double value, const std::string& unit) {
  return Number(value) + (unit.empty() ? "" : " " + unit);
}

}  // namespace

std::string FigureText(const Figure& f) {
  std::string text = f.name + ": " + WithUnit(f.value, f.unit);
  if (f.bound == Bound::kAtMost) text += " (limit " + WithUnit(f.limit, f.unit) + ")";
  if (f.bound == Bound::kAtLeast) text += " (at least " + WithUnit(f.limit, f.unit) + ")";
  return text;
}

std::string FiguresText(const std::vector<Figure>& figures) {
  std::string text;
  for (const Figure& f : figures) text += (text.empty() ? "" : "; ") + FigureText(f);
  return text;
}

}  // namespace vsim::validate
