#include "tools/fractal_dimension.h"

#include <cmath>
#include <vector>

#include "app/busy_indicator.h"
#include "app/data_view.h"
#include "app/long_command.h"
#include "app/recompute.h"
#include "bases/progress.h"
#include "tools/last_series.h"

namespace {

// The length of the graph of f over [left, right] is (right - left) plus the integral of
// sqrt(1 + f'^2) - 1. All calculus goes through the current basis: the derivative's
// coefficients by `differentiate`, its values on the mesh by `fit` (evaluate only), the
// integrand's coefficients by `fit` (fit only) and its integral by `integrate`. Subtracting 1
// keeps the integrand small where the graph is flat, so a constant gives exactly right - left.
void graphLengthCurve(Workspace& ws, const double* c, int32_t n, int32_t m, double* x, double* y) {
  double* mesh = ws.meshX.data();
  double* integrand = ws.sourceValues.data();
  double* slope = ws.seriesValues.data();
  std::vector<double> d(static_cast<size_t>(n) + 1);
  const long double width = static_cast<long double>(ws.right) - ws.left;
  const ProgressLoop progress(n);
  for (int32_t i = 0; i < n; ++i) {
    progress.report(i);
    std::fill(d.begin(), d.begin() + i + 2, 0.0);
    ws.basis.differentiate(ws.left, ws.right, ws.alpha, ws.beta, c, d.data(), i + 1);
    ws.basis.fit(ws.left, ws.right, ws.alpha, ws.beta, d.data(), i + 2, mesh, integrand, slope, m,
                 nullptr, evaluateOnMesh);
    for (int32_t j = 0; j < m; ++j)
      integrand[j] =
          static_cast<double>(std::sqrt(static_cast<long double>(slope[j]) * slope[j] + 1) - 1);
    ws.basis.fit(ws.left, ws.right, ws.alpha, ws.beta, d.data(), n + 1, mesh, integrand, slope, m,
                 nullptr, fitCoefficients);
    const long double integral =
        ws.basis.integrate(ws.left, ws.right, ws.alpha, ws.beta, d.data(), n + 1);
    y[i] = std::log(static_cast<double>(integral + width));
    x[i] = static_cast<double>(std::log(static_cast<long double>(i) + 1));
  }
}

}  // namespace

void fractalDimension(Workspace& ws, Window& window) {
  if (!haveSeries(ws, window)) return;
  const LastSeries last = lastSeries(ws);
  runLongCommand(ws, window, "Fractal Dimension", [&] {
    setBusy(window, true);
    std::vector<double> x(last.termCount), y(last.termCount);
    graphLengthCurve(ws, ws.coefficients.data(), last.termCount, last.meshCount, x.data(),
                     y.data());
    replaceValues(ws, std::move(x), std::move(y));
    showToolResult(ws, window);
    setBusy(window, false);
    return true;
  });
}
