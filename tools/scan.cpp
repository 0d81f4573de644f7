#include "tools/scan.h"

#include <array>
#include <vector>

#include "app/data_view.h"
#include "app/recompute.h"

namespace {
constexpr int32_t scanSteps = 10;
}  // namespace

void scanParameter(Workspace& ws, Window& window, double Workspace::*parameter) {
  double& p = ws.*parameter;
  const double start = p;
  const double lo = p / 2;
  const double hi = p * 2;
  const double step = (hi - lo) / (scanSteps - 1);
  std::vector<double> values(scanSteps), figures(scanSteps);
  p = lo;
  for (int32_t i = 0; i < scanSteps; ++i) {
    if (!recompute(ws, window)) {  // refused for memory: already said, nothing scanned
      p = start;
      return;
    }
    values[i] = p;
    figures[i] = ws.fitFigure;
    p = p + step;
  }
  replaceValues(ws, std::move(values), std::move(figures));
  showToolResult(ws, window);
}

void scanBoth(Workspace& ws, Window& window) {
  const double startAlpha = ws.alpha;
  const double startBeta = ws.beta;
  const double loA = ws.alpha / 2;
  const double stepA = (ws.alpha * 2 - loA) / (scanSteps - 1);
  const double loB = ws.beta / 2;
  const double stepB = (ws.beta * 2 - loB) / (scanSteps - 1);
  std::array<double, scanSteps> alphas{}, betas{};
  double best = 1.0;
  int32_t bestAlpha = -1, bestBeta = -1;
  ws.alpha = loA;
  for (int32_t i = 0; i < scanSteps; ++i) {
    alphas[i] = ws.alpha;
    ws.beta = loB;
    for (int32_t j = 0; j < scanSteps; ++j) {
      if (!recompute(ws, window)) {
        ws.alpha = startAlpha, ws.beta = startBeta;
        return;
      }
      betas[j] = ws.beta;
      ws.beta = ws.beta + stepB;
      if (ws.fitFigure < best) best = ws.fitFigure, bestAlpha = i, bestBeta = j;
    }
    ws.alpha = ws.alpha + stepA;
  }
  ws.alpha = bestAlpha < 0 ? startAlpha : alphas[bestAlpha];
  ws.beta = bestBeta < 0 ? startBeta : betas[bestBeta];
  recompute(ws, window);
}
