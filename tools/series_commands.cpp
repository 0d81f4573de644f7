#include "tools/series_commands.h"

#include <vector>

#include "app/long_command.h"
#include "app/recompute.h"
#include "app/sources.h"
#include "tools/last_series.h"

namespace {

bool showTransformed(Workspace& ws, Window& window) {
  selectSource(ws, window, SourceKind::None);
  return recompute(ws, window);
}

bool differentiate(Workspace& ws, Window& window) {
  const int32_t n = lastSeries(ws).termCount;
  // The derivative has one entry more than the series; entries the basis leaves alone stay 0.
  std::vector<double> derivative(static_cast<size_t>(n) + 1, 0.0);
  ws.basis.differentiate(ws.left, ws.right, ws.alpha, ws.beta, ws.coefficients.data(),
                         derivative.data(), n);
  std::vector<double>().swap(ws.coefficients);
  ws.coefficients = std::move(derivative);
  ws.termCount = n + 1;
  ws.coefficientCount = n + 1;
  return showTransformed(ws, window);
}

bool fejer(Workspace& ws, Window& window) {
  const int32_t n = lastSeries(ws).termCount;
  for (int32_t i = 0; i < n; ++i)
    ws.coefficients[i] =
        static_cast<double>((1.0L - static_cast<long double>(i) / n) * ws.coefficients[i]);
  return showTransformed(ws, window);
}

}  // namespace

// A cancel, or counts refused for memory, leave the series and the source as they were.
void differentiateSeries(Workspace& ws, Window& window) {
  if (!haveSeries(ws, window)) return;
  runLongCommand(ws, window, "Differentiate", [&] { return differentiate(ws, window); });
}

void fejerSeries(Workspace& ws, Window& window) {
  if (!haveSeries(ws, window)) return;
  runLongCommand(ws, window, "Fejer", [&] { return fejer(ws, window); });
}
