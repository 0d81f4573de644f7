// "Fractal Dimension" calls fit 2N times on M points: timed at (M, N) = (1000, 100) and
// (10000, 1000) for the Chebyshev (entry 2) and Legendre (entry 1) bases, on the built-in sine
// over [0, 10].
#include <benchmark/benchmark.h>

#include "app/recompute.h"
#include "app/sources.h"
#include "app/startup.h"
#include "app/tool_runner.h"
#include "app/null_window.h"
#include "tools/fractal_dimension.h"

namespace {

void BM_FractalDimension(benchmark::State& state) {
  Workspace ws;
  NullWindow window;
  startUp(ws, window);
  selectBasis(ws, static_cast<int32_t>(state.range(0)));
  selectSource(ws, window, SourceKind::Builtin);
  ws.meshCount = static_cast<int32_t>(state.range(1));
  ws.termCount = static_cast<int32_t>(state.range(2));
  ws.left = 0, ws.right = 10;
  recompute(ws, window);
  for (auto _ : state) {
    runSeriesTool(ws, window, "Fractal Dimension", fractalDimension);
    benchmark::DoNotOptimize(ws.valuesY.data());
  }
}

}  // namespace

BENCHMARK(BM_FractalDimension)
    ->ArgNames({"basis", "M", "N"})
    ->Args({2, 1000, 100})
    ->Args({1, 1000, 100})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FractalDimension)
    ->ArgNames({"basis", "M", "N"})
    ->Args({2, 10000, 1000})
    ->Args({1, 10000, 1000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
