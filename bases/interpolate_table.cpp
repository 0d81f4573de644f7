#include "bases/interpolate_table.h"

namespace {
// One search cursor per thread: callers pass rising abscissae over a table, so
// the search resumes where the previous call stopped. It only speeds up the search; the
// value never depends on where it stood.
thread_local int32_t lo = 0;
thread_local int32_t hi = 1;
}  // namespace

long double interpolateTable(const double* x, const double* y, int32_t n, double t) {
  if (n <= 0) return 0.0L;
  if (hi >= n) lo = 0, hi = 1;
  if (t < x[lo]) lo = 0, hi = 1;
  while (hi < n - 1 && t >= x[hi])
    ++lo, ++hi;
  if (t < x[0]) return 0.0L;
  if (t > x[n - 1]) return 0.0L;
  double d = t - x[lo];
  if (d == 0) return y[lo];
  if (hi >= n) return d;  // a one-point table reaches here only with a not-a-number abscissa
  long double slope =
      (static_cast<long double>(y[hi]) - y[lo]) / (static_cast<long double>(x[hi]) - x[lo]);
  return slope * d + y[lo];
}
