#include "tools/denoise.h"

#include <vector>

#include "bases/interpolate_table.h"
#include "bases/progress.h"

namespace {
// Samples between two progress reports.
constexpr int32_t reportEvery = 1 << 16;

struct Table {
  std::vector<double> x, y;
  void add(double px, double py) { x.push_back(px), y.push_back(py); }
  long double at(double t) const {
    return interpolateTable(x.data(), y.data(), static_cast<int32_t>(x.size()), t);
  }
};

}  // namespace

// The upper envelope joins the first sample, every inner local maximum and the last sample by
// straight lines; the lower one does the same with the local minima. Both comparisons are
// non-strict, so a plateau belongs to both. Each smoothed value is the midpoint of the two
// envelopes, which reproduces the end samples exactly. With fewer than two samples there is
// no envelope to form and the samples are their own smoothing.
ValuesTable denoise(const SamplesView& samples) {
  const int32_t n = samples.count;
  const double* x = samples.x;
  const double* y = samples.y;
  std::vector<double> smoothX(x, x + n);
  std::vector<double> smoothY(y, y + n);
  if (n >= 2) {
    Table upper, lower;
    upper.add(x[0], y[0]);
    lower.add(x[0], y[0]);
    for (int32_t i = 1; i + 1 < n; ++i) {
      if (y[i] >= y[i - 1] && y[i] >= y[i + 1]) upper.add(x[i], y[i]);
      if (y[i] <= y[i - 1] && y[i] <= y[i + 1]) lower.add(x[i], y[i]);
    }
    upper.add(x[n - 1], y[n - 1]);
    lower.add(x[n - 1], y[n - 1]);
    // One pass per envelope over the rising abscissae, so that the table search always
    // resumes where it stopped in the same table.
    const ProgressLoop progress(2 * static_cast<int64_t>(n));
    std::vector<long double> u(n);
    for (int32_t k = 0; k < n; ++k) {
      if (k % reportEvery == 0) progress.report(k);
      u[k] = upper.at(x[k]);
    }
    for (int32_t k = 0; k < n; ++k) {
      if (k % reportEvery == 0) progress.report(static_cast<int64_t>(n) + k);
      smoothY[k] = static_cast<double>((u[k] + lower.at(x[k])) * 0.5L);
    }
  }
  return {std::move(smoothX), std::move(smoothY), {}};
}
