// What the progress reports of long commands cost: one report through the benchmarks' window,
// and the boundary around a command (the copy of the command's state it keeps for a cancel)
// on the Workspace of the Score benchmark: 2000 samples, 20 terms on 100 points.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "app/long_command.h"
#include "app/recompute.h"
#include "app/sources.h"
#include "app/startup.h"
#include "bases/progress.h"
#include "bench/null_window.h"

namespace {

constexpr int64_t reportsPerRun = 1 << 20;

void BM_ProgressReport(benchmark::State& state) {
  Workspace ws;
  NullWindow window;
  for (auto _ : state) {
    runLongCommand(ws, window, "Reports", [] {
      const ProgressLoop progress(reportsPerRun);
      for (int64_t i = 0; i < reportsPerRun; ++i)
        progress.report(i);
      return true;
    });
  }
  state.SetItemsProcessed(state.iterations() * reportsPerRun);
}

void BM_LongCommandBoundary(benchmark::State& state) {
  Workspace ws;
  NullWindow window;
  startUp(ws, window);
  constexpr int32_t n = 2000;
  std::vector<double> x(n), y(n);
  for (int32_t i = 0; i < n; ++i)
    x[i] = i * 0.01, y[i] = std::sin(x[i]);
  replaceSamples(ws, std::move(x), std::move(y));
  selectSource(ws, window, SourceKind::Samples);
  ws.termCount = 20, ws.meshCount = 100, ws.left = 0, ws.right = 5;
  recompute(ws, window);
  for (auto _ : state)
    runLongCommand(ws, window, "Nothing", [] { return true; });
}

}  // namespace

BENCHMARK(BM_ProgressReport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongCommandBoundary)->Unit(benchmark::kMicrosecond);
