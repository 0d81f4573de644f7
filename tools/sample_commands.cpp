#include "tools/sample_commands.h"

#include <algorithm>
#include <vector>

#include "app/data_view.h"
#include "app/long_command.h"
#include "bases/progress.h"
#include "tools/last_series.h"

namespace {

// The first sample index whose abscissa passes the test, or sampleCount when none does.
template <typename Test>
int32_t firstSample(const Workspace& ws, Test passes) {
  int32_t k = 0;
  while (k < ws.sampleCount && !passes(ws.samplesX[k]))
    ++k;
  return k;
}

void showValues(Workspace& ws, Window& window, std::vector<double> x, std::vector<double> y) {
  replaceValues(ws, std::move(x), std::move(y));
  showToolResult(ws, window);
}

// The samples from..to - 1 appended to a table.
void appendSamples(const Workspace& ws, int32_t from, int32_t to, std::vector<double>& x,
                   std::vector<double>& y) {
  x.insert(x.end(), ws.samplesX.begin() + from, ws.samplesX.begin() + to);
  y.insert(y.end(), ws.samplesY.begin() + from, ws.samplesY.begin() + to);
}

enum class Combine { Sample, Add, Subtract };

// Samples evaluated between two progress reports.
constexpr int32_t reportEvery = 4096;

// The series at each sample, combined with the sample's value. Without a series (nothing
// computed yet) there is nothing to evaluate and the series counts as 0.
void combineWith(Workspace& ws, Window& window, Combine how) {
  const int32_t n = ws.sampleCount;
  const int32_t terms = lastSeries(ws).termCount;
  std::vector<double> x(ws.samplesX.begin(), ws.samplesX.begin() + n), y(n, 0.0);
  if (terms > 0) {
    const ProgressLoop progress(n);
    for (int32_t k = 0; k < n; k += reportEvery) {
      progress.report(k);
      ws.basis.evaluateMany(ws.left, ws.right, ws.alpha, ws.beta, ws.coefficients.data(), terms,
                            &x[k], &y[k], std::min(reportEvery, n - k));
    }
  }
  for (int32_t k = 0; k < n; ++k) {
    switch (how) {
      case Combine::Sample:
        break;
      case Combine::Add:
        y[k] = y[k] + ws.samplesY[k];
        break;
      case Combine::Subtract:
        y[k] = ws.samplesY[k] - y[k];
        break;
    }
  }
  showValues(ws, window, std::move(x), std::move(y));
}

void combineWithSeries(Workspace& ws, Window& window, Combine how, const char* name) {
  runLongCommand(ws, window, name, [&] {
    combineWith(ws, window, how);
    return true;
  });
}

}  // namespace

void dropOutside(Workspace& ws, Window& window) {
  const int32_t i0 = firstSample(ws, [&](double x) { return x >= ws.left; });
  const int32_t i1 = firstSample(ws, [&](double x) { return x > ws.right; });
  std::vector<double> x, y;
  if (i1 > i0) appendSamples(ws, i0, i1, x, y);
  showValues(ws, window, std::move(x), std::move(y));
}

void dropInside(Workspace& ws, Window& window) {
  const int32_t l = firstSample(ws, [&](double x) { return x > ws.left; });
  const int32_t r = firstSample(ws, [&](double x) { return x >= ws.right; });
  std::vector<double> x, y;
  x.reserve(l + (ws.sampleCount - r));
  y.reserve(x.capacity());
  appendSamples(ws, 0, l, x, y);
  appendSamples(ws, r, ws.sampleCount, x, y);
  showValues(ws, window, std::move(x), std::move(y));
}

void sampleSeries(Workspace& ws, Window& window) {
  combineWithSeries(ws, window, Combine::Sample, "Sample");
}

void addSeries(Workspace& ws, Window& window) {
  combineWithSeries(ws, window, Combine::Add, "Add");
}

void subtractSeries(Workspace& ws, Window& window) {
  combineWithSeries(ws, window, Combine::Subtract, "Subtract");
}
