// What one progress report of a long command costs, through the benchmarks' window.
#include <benchmark/benchmark.h>

#include "app/long_command.h"
#include "bases/progress.h"
#include "app/null_window.h"

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

}  // namespace

BENCHMARK(BM_ProgressReport)->Unit(benchmark::kMillisecond);
