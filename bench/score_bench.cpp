// "Score" runs a recompute per window position: timed over 2000 samples of a noisy sine with
// the window a quarter of their span (about 1500 positions), 20 terms on 100 points, in the
// first-kind Chebyshev (entry 2) and Legendre (entry 1) bases.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "app/recompute.h"
#include "app/sources.h"
#include "app/startup.h"
#include "bench/null_window.h"
#include "tools/score.h"

namespace {

void BM_Score(benchmark::State& state) {
  Workspace ws;
  NullWindow window;
  startUp(ws, window);
  constexpr int32_t n = 2000;
  std::vector<double> x(n), y(n);
  for (int32_t i = 0; i < n; ++i) {
    x[i] = i * 0.01;
    y[i] = std::sin(x[i]) + 0.1 * std::sin(37.0 * x[i]);
  }
  replaceSamples(ws, std::move(x), std::move(y));
  selectBasis(ws, static_cast<int32_t>(state.range(0)));
  selectSource(ws, window, SourceKind::Samples);
  ws.termCount = 20, ws.meshCount = 100;
  ws.left = 0, ws.right = 5;
  recompute(ws, window);
  for (auto _ : state) {
    slidingScore(ws, window);
    benchmark::DoNotOptimize(ws.valuesY.data());
  }
}

}  // namespace

BENCHMARK(BM_Score)->ArgNames({"basis"})->Arg(2)->Arg(1)->Unit(benchmark::kMillisecond);
