#include "tools/series_commands.h"

#include <vector>

#include "app/show_coefficients.h"
#include "app/tool_runner.h"
#include "tools/last_series.h"

bool differentiateSeries(Workspace& ws, Window& window) {
  if (ws.basis.differentiates && !ws.basis.differentiates(ws.alpha, ws.beta)) {
    window.message(MessageKind::Information, unavailableMessage);
    return false;  // nothing changes
  }
  const int32_t n = lastSeries(ws).termCount;
  // The derivative has one entry more than the series; entries the basis leaves alone stay 0.
  std::vector<double> derivative(static_cast<size_t>(n) + 1, 0.0);
  ws.basis.differentiate(ws.left, ws.right, ws.alpha, ws.beta, ws.coefficients.data(),
                         derivative.data(), n);
  return showCoefficients(ws, window, std::move(derivative), n + 1);
}

bool fejerSeries(Workspace& ws, Window& window) {
  const int32_t n = lastSeries(ws).termCount;
  std::vector<double> c(ws.coefficients.begin(), ws.coefficients.begin() + ws.coefficientCount);
  for (int32_t i = 0; i < n; ++i)
    c[i] = static_cast<double>((1.0L - static_cast<long double>(i) / n) * c[i]);
  return showCoefficients(ws, window, std::move(c), ws.termCount);
}
