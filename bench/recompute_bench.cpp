// The recompute cycle with the default Chebyshev basis and a warm node cache, on a smooth
// two-column spectrum of 10000 samples.
#include <benchmark/benchmark.h>

#include <cmath>

#include "app/recompute.h"
#include "app/startup.h"
#include "app/null_window.h"

namespace {

void BM_RecomputeChebyshev(benchmark::State& state) {
  Workspace ws;
  NullWindow window;
  startUp(ws, window);
  std::vector<double> x(10000), y(10000);
  for (int i = 0; i < 10000; ++i)
    x[i] = i * 1e-3, y[i] = std::exp(-x[i]) * std::sin(7 * x[i]);
  replaceSamples(ws, x, y);
  ws.left = 0, ws.right = 10;
  ws.meshCount = static_cast<int32_t>(state.range(0));
  ws.termCount = static_cast<int32_t>(state.range(1));
  recompute(ws, window);  // warms the cache and sizes the buffers
  for (auto _ : state) {
    recompute(ws, window);
    benchmark::DoNotOptimize(ws.fitFigure);
  }
}
BENCHMARK(BM_RecomputeChebyshev)
    ->Args({1000, 100})
    ->Args({100000, 1000})
    ->Unit(benchmark::kMillisecond);

}  // namespace
