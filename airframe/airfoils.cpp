#include "airframe/airfoils.h"

#include <cmath>
#include <cstddef>

#include "host/host_api.h"

namespace {

struct VerticalLiftRow {
  double aoa_deg;
  double lift;
  double moment;
};

constexpr VerticalLiftRow kVerticalLift[] = {
    {-180, 0.1, 0},     {-165, 0.17, 0},     {-150, 0.2, 0},      {-135, 0.2, 0},
    {-120, 0.17, 0},    {-105, 0.1, 0},      {-90, 0, 0},         {-75, -0.11, 0},
    {-60, -0.24, 0},    {-45, -0.38, 0.002}, {-30, -0.5, 0.004},  {-15, -0.5, 0.0025},
    {0, -0.02, 0.0012}, {15, 0.6355, 0},     {30, 0.63, -0.0012}, {45, 0.46, -0.0007},
    {60, 0.28, 0},      {75, 0.13, 0},       {90, 0, 0},          {105, -0.16, 0},
    {120, -0.26, 0},    {135, -0.29, 0},     {150, -0.24, 0},     {165, -0.1, 0},
    {180, 0.1, 0},
};
constexpr double kVerticalStepDeg = 15.0;
constexpr double kVerticalAspect = 2.266;
constexpr double kVerticalZeroLiftDrag = 0.06;

struct HorizontalLiftRow {
  double beta_deg;
  double lift;
};

constexpr HorizontalLiftRow kHorizontalLift[] = {
    {-180, 0},   {-157.5, 0.2}, {-135, 0.3}, {-112.5, 0.2}, {-90, 0},  {-67.5, -0.2},
    {-45, -0.3}, {-22.5, -0.2}, {0, 0},      {22.5, 0.2},   {45, 0.3}, {67.5, 0.2},
    {90, 0},     {112.5, -0.2}, {135, -0.3}, {157.5, -0.2}, {180, 0},
};
constexpr double kHorizontalStepDeg = 22.5;
constexpr double kHorizontalAspect = 1.5;
constexpr double kHorizontalZeroLiftDrag = 0.02;

constexpr double kOswaldEfficiency = 0.6;

template <typename Row, std::size_t N>
constexpr std::size_t LastSegment(const Row (&)[N]) {
  return N - 2;
}

// The tables are evenly spaced from -180 to 180 degrees.
template <typename Row, std::size_t N, typename AngleOf>
constexpr bool EvenlySpaced(const Row (&table)[N], double step_deg, AngleOf angle_of) {
  for (std::size_t i = 0; i < N; ++i)
    if (angle_of(table[i]) != -180.0 + static_cast<double>(i) * step_deg) return false;
  return angle_of(table[N - 1]) == 180.0;
}
static_assert(EvenlySpaced(kVerticalLift, kVerticalStepDeg,
                           [](const VerticalLiftRow& r) { return r.aoa_deg; }));
static_assert(EvenlySpaced(kHorizontalLift, kHorizontalStepDeg,
                           [](const HorizontalLiftRow& r) { return r.beta_deg; }));

struct StepWidth {
  double step;
  double per_step;
};

StepWidth MakeStepWidth(double step_deg) {
  const double step = step_deg * RAD;
  return {step, 1.0 / step};
}

// Position of a flow angle in a table spanning -pi..pi: the segment index,
// chosen from the position limited to the table, and the fraction along it,
// taken from the unlimited position so that angles outside the table extend
// the end segment's line. Valid for every non-NaN angle.
struct Segment {
  std::size_t index;
  double fraction;
};

Segment Locate(double angle, double per_step, std::size_t last_segment) {
  const double x = (angle + PI) * per_step;
  const double limited = std::fmin(std::fmax(x, 0.0), static_cast<double>(last_segment));
  const auto index = static_cast<std::size_t>(limited);
  return {index, x - static_cast<double>(index)};
}

double Lerp(double a, double b, double f) { return a + f * (b - a); }

}  // namespace

void vlift_coeff(double aoa, double /*M*/, double /*Re*/, double* cl, double* cm, double* cd) {
  static const StepWidth width = MakeStepWidth(kVerticalStepDeg);
  if (std::isnan(aoa)) {
    *cl = aoa;
    *cm = aoa;
  } else {
    const Segment s = Locate(aoa, width.per_step, LastSegment(kVerticalLift));
    const VerticalLiftRow& lo = kVerticalLift[s.index];
    const VerticalLiftRow& hi = kVerticalLift[s.index + 1];
    *cl = Lerp(lo.lift, hi.lift, s.fraction);
    *cm = Lerp(lo.moment, hi.moment, s.fraction);
  }
  *cd = oapiGetInducedDrag(*cl, kVerticalAspect, kOswaldEfficiency) + kVerticalZeroLiftDrag;
}

void hlift_coeff(double beta, double /*M*/, double /*Re*/, double* cl, double* cm, double* cd) {
  static const StepWidth width = MakeStepWidth(kHorizontalStepDeg);
  if (std::isnan(beta)) {
    *cl = beta;
  } else {
    const Segment s = Locate(beta, width.per_step, LastSegment(kHorizontalLift));
    *cl = Lerp(kHorizontalLift[s.index].lift, kHorizontalLift[s.index + 1].lift, s.fraction);
  }
  *cm = 0.0;
  *cd = oapiGetInducedDrag(*cl, kHorizontalAspect, kOswaldEfficiency) + kHorizontalZeroLiftDrag;
}
