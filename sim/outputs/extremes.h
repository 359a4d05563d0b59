// Samples reduced while they are recorded, so that a record needs the same
// memory however long the flight. A record holds its samples in pairs, each
// pair one interval of steps: while every step is kept, a pair is two
// steps; once reduced, a pair holds its interval's lowest and highest value
// in the order they came (so that a spike survives), or, for what marks the
// time (step, time, bits), the interval's first and last value. Reducing
// again joins two neighbouring pairs into one.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace vsim {

// The interval being gathered of a reduced record, for one series.
struct Gathering {
  long long count = 0;  // values that came
  double first = NAN, last = NAN;
  double low = NAN, high = NAN;  // of the finite values
  long long low_at = -1, high_at = -1;

  void Add(double x) {
    if (count == 0) first = x;
    last = x;
    if (std::isfinite(x)) {
      if (low_at < 0 || x < low) {
        low = x;
        low_at = count;
      }
      if (high_at < 0 || x > high) {
        high = x;
        high_at = count;
      }
    }
    ++count;
  }
};

// The interval's two extremes in the order they came; NaN where no finite
// value came.
inline void PutExtremes(std::vector<double>& v, Gathering& g) {
  const bool low_first = g.low_at <= g.high_at;
  v.push_back(low_first ? g.low : g.high);
  v.push_back(low_first ? g.high : g.low);
  g = {};
}

template <typename T>
void PutEnds(std::vector<T>& v, Gathering& g) {
  v.push_back(static_cast<T>(g.first));
  v.push_back(static_cast<T>(g.last));
  g = {};
}

// Two neighbouring pairs as one: their lowest and highest finite values in
// the order they came.
inline void JoinExtremes(std::vector<double>& v) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i + 3 < v.size(); i += 4) {
    std::size_t low = i, high = i;
    bool any = false;
    for (std::size_t j = i; j < i + 4; ++j) {
      if (!std::isfinite(v[j])) continue;
      if (!any || v[j] < v[low]) low = j;
      if (!any || v[j] > v[high]) high = j;
      any = true;
    }
    const double a = any ? v[std::min(low, high)] : NAN;
    const double b = any ? v[std::max(low, high)] : NAN;
    v[kept++] = a;
    v[kept++] = b;
  }
  v.resize(kept);
}

template <typename T>
void JoinEnds(std::vector<T>& v) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i + 3 < v.size(); i += 4) {
    const T first = v[i], last = v[i + 3];
    v[kept++] = first;
    v[kept++] = last;
  }
  v.resize(kept);
}

}  // namespace vsim
