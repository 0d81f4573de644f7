#include "tools/scan.h"

#include <array>
#include <vector>

#include "app/recompute.h"
#include "bases/progress.h"

namespace {
constexpr int32_t scanSteps = 10;

std::optional<ValuesTable> scanParameter(Workspace& ws, Window& window,
                                         double Workspace::*parameter, const char* name) {
  double& p = ws.*parameter;
  const double lo = p / 2;
  const double hi = p * 2;
  const double step = (hi - lo) / (scanSteps - 1);
  std::vector<double> values(scanSteps), figures(scanSteps);
  const ProgressLoop progress(scanSteps);
  p = lo;
  for (int32_t i = 0; i < scanSteps; ++i) {
    progress.report(i);
    if (!recompute(ws, window)) return std::nullopt;
    values[i] = p;
    figures[i] = ws.fitFigure;
    p = p + step;
  }
  return ValuesTable{std::move(values), std::move(figures), {name, "fit"}};
}

}  // namespace

std::optional<ValuesTable> scanAlpha(Workspace& ws, Window& window) {
  return scanParameter(ws, window, &Workspace::alpha, "alpha");
}

std::optional<ValuesTable> scanBeta(Workspace& ws, Window& window) {
  return scanParameter(ws, window, &Workspace::beta, "beta");
}

bool scanBoth(Workspace& ws, Window& window) {
  const double startAlpha = ws.alpha;
  const double startBeta = ws.beta;
  const double loA = ws.alpha / 2;
  const double stepA = (ws.alpha * 2 - loA) / (scanSteps - 1);
  const double loB = ws.beta / 2;
  const double stepB = (ws.beta * 2 - loB) / (scanSteps - 1);
  std::array<double, scanSteps> alphas{}, betas{};
  double best = 1.0;
  int32_t bestAlpha = -1, bestBeta = -1;
  const ProgressLoop progress(scanSteps * scanSteps + 1);
  ws.alpha = loA;
  for (int32_t i = 0; i < scanSteps; ++i) {
    alphas[i] = ws.alpha;
    ws.beta = loB;
    for (int32_t j = 0; j < scanSteps; ++j) {
      progress.report(i * scanSteps + j);
      if (!recompute(ws, window)) return false;
      betas[j] = ws.beta;
      ws.beta = ws.beta + stepB;
      if (ws.fitFigure < best) best = ws.fitFigure, bestAlpha = i, bestBeta = j;
    }
    ws.alpha = ws.alpha + stepA;
  }
  ws.alpha = bestAlpha < 0 ? startAlpha : alphas[bestAlpha];
  ws.beta = bestBeta < 0 ? startBeta : betas[bestBeta];
  progress.report(scanSteps * scanSteps);
  return recompute(ws, window);
}
