#include "tools/sample_commands.h"

#include <algorithm>
#include <vector>

#include "bases/progress.h"

namespace {

// The first sample index whose abscissa passes the test, or the sample count when none does.
template <typename Test>
int32_t firstSample(const SamplesView& samples, Test passes) {
  int32_t k = 0;
  while (k < samples.count && !passes(samples.x[k]))
    ++k;
  return k;
}

// The samples from..to - 1 appended to a table.
void appendSamples(const SamplesView& samples, int32_t from, int32_t to, ValuesTable& table) {
  table.x.insert(table.x.end(), samples.x + from, samples.x + to);
  table.y.insert(table.y.end(), samples.y + from, samples.y + to);
}

enum class Combine { Sample, Add, Subtract };

// Samples evaluated between two progress reports.
constexpr int32_t reportEvery = 4096;

// The series at each sample, combined with the sample's value. Without a series (nothing
// computed yet) there is nothing to evaluate and the series counts as 0.
ValuesTable combineWith(const SamplesView& samples, Combine how) {
  const int32_t n = samples.count;
  const SeriesView& s = samples.series;
  std::vector<double> x(samples.x, samples.x + n), y(n, 0.0);
  if (s.termCount > 0) {
    const ProgressLoop progress(n);
    for (int32_t k = 0; k < n; k += reportEvery) {
      progress.report(k);
      s.basis.evaluateMany(s.left, s.right, s.alpha, s.beta, s.coefficients, s.termCount, &x[k],
                           &y[k], std::min(reportEvery, n - k));
    }
  }
  for (int32_t k = 0; k < n; ++k) {
    switch (how) {
      case Combine::Sample:
        break;
      case Combine::Add:
        y[k] = y[k] + samples.y[k];
        break;
      case Combine::Subtract:
        y[k] = samples.y[k] - y[k];
        break;
    }
  }
  return {std::move(x), std::move(y), {}};
}

}  // namespace

ValuesTable dropOutside(const SamplesView& samples) {
  const double left = samples.series.left, right = samples.series.right;
  const int32_t i0 = firstSample(samples, [&](double x) { return x >= left; });
  const int32_t i1 = firstSample(samples, [&](double x) { return x > right; });
  ValuesTable kept;
  if (i1 > i0) appendSamples(samples, i0, i1, kept);
  return kept;
}

ValuesTable dropInside(const SamplesView& samples) {
  const double left = samples.series.left, right = samples.series.right;
  const int32_t l = firstSample(samples, [&](double x) { return x > left; });
  const int32_t r = firstSample(samples, [&](double x) { return x >= right; });
  ValuesTable kept;
  kept.x.reserve(l + (samples.count - r));
  kept.y.reserve(kept.x.capacity());
  appendSamples(samples, 0, l, kept);
  appendSamples(samples, r, samples.count, kept);
  return kept;
}

ValuesTable sampleSeries(const SamplesView& samples) {
  return combineWith(samples, Combine::Sample);
}

ValuesTable addSeries(const SamplesView& samples) {
  return combineWith(samples, Combine::Add);
}

ValuesTable subtractSeries(const SamplesView& samples) {
  return combineWith(samples, Combine::Subtract);
}
