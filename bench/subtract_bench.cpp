// Subtract: the series of 2001 terms taken from each of 108000 samples (an ECG-sized record),
// in the default Chebyshev basis, in Legendre and in Bernstein; the fit is done once beforehand.
#include <benchmark/benchmark.h>

#include <cmath>

#include "app/recompute.h"
#include "app/startup.h"
#include "app/tool_runner.h"
#include "bases/basis.h"
#include "app/null_window.h"
#include "tools/sample_commands.h"

namespace {

void BM_Subtract(benchmark::State& state) {
  Workspace ws;
  NullWindow window;
  startUp(ws, window);
  const int32_t samples = 108000;
  std::vector<double> x(samples), y(samples);
  for (int32_t i = 0; i < samples; ++i)
    x[i] = i / 360.0, y[i] = std::sin(7 * x[i]) + 0.3 * std::sin(50 * x[i]);
  replaceSamples(ws, x, y);
  ws.basisIndex = static_cast<int32_t>(state.range(0));
  ws.basis = basisEntry(ws.basisIndex).ops;
  ws.left = x.front(), ws.right = x.back();
  ws.meshCount = 20000;
  ws.termCount = 2001;
  recompute(ws, window);
  for (auto _ : state) {
    runSamplesTool(ws, window, "Subtract", subtractSeries);
    benchmark::DoNotOptimize(ws.valuesY.data());
  }
}
BENCHMARK(BM_Subtract)
    ->ArgName("basis")
    ->Arg(chebyshev1BasisIndex)
    ->Arg(legendreBasisIndex)
    ->Arg(bernsteinBasisIndex)
    ->Unit(benchmark::kMillisecond);

}  // namespace
