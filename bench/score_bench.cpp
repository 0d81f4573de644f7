// "Score" runs a recompute per window position: timed over 2000 samples of a noisy sine with
// the window a quarter of their span (about 1500 positions), 20 terms on 100 points, in the
// first-kind Chebyshev (entry 2) and Legendre (entry 1) bases. Beside it, the boundary that
// every long command runs in, on the same Workspace.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "app/long_command.h"
#include "app/recompute.h"
#include "app/sources.h"
#include "app/startup.h"
#include "app/tool_runner.h"
#include "app/null_window.h"
#include "tools/score.h"

namespace {

// 2000 samples of a noisy sine, 20 terms on 100 points over [0, 5], recomputed once.
void scoreWorkspace(Workspace& ws, Window& window, int32_t basis) {
  startUp(ws, window);
  constexpr int32_t n = 2000;
  std::vector<double> x(n), y(n);
  for (int32_t i = 0; i < n; ++i) {
    x[i] = i * 0.01;
    y[i] = std::sin(x[i]) + 0.1 * std::sin(37.0 * x[i]);
  }
  replaceSamples(ws, std::move(x), std::move(y));
  selectBasis(ws, basis);
  selectSource(ws, window, SourceKind::Samples);
  ws.termCount = 20, ws.meshCount = 100;
  ws.left = 0, ws.right = 5;
  recompute(ws, window);
}

void BM_Score(benchmark::State& state) {
  Workspace ws;
  NullWindow window;
  scoreWorkspace(ws, window, static_cast<int32_t>(state.range(0)));
  for (auto _ : state) {
    runRecomputingTool(ws, window, "Score", slidingScore);
    benchmark::DoNotOptimize(ws.valuesY.data());
  }
}

// The boundary around a command alone: the copy of the state it keeps for a cancel.
void BM_LongCommandBoundary(benchmark::State& state) {
  Workspace ws;
  NullWindow window;
  scoreWorkspace(ws, window, 2);
  for (auto _ : state)
    runLongCommand(ws, window, "Nothing", [] { return true; });
}

}  // namespace

BENCHMARK(BM_Score)->ArgNames({"basis"})->Arg(2)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongCommandBoundary)->Unit(benchmark::kMicrosecond);
