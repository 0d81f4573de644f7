// Bernstein polynomials: the basis keeps no cache, so only fits in mode 3.
#include <benchmark/benchmark.h>

#include "bases/bernstein.h"
#include "bench/bench_mesh.h"

static void BM_BernsteinFit(benchmark::State& state) {
  const int32_t m = static_cast<int32_t>(state.range(0)), n = static_cast<int32_t>(state.range(1));
  BenchMesh mesh(m, n);
  double alpha = 0, beta = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(mesh.fit(bernsteinBasis, -4, 4, alpha, beta, benchSource, 3));
}
BENCHMARK(BM_BernsteinFit)
    ->Args({1000, 100})
    ->Args({10000, 100})
    ->Args({100000, 100})
    ->Args({100000, 1000})
    ->Unit(benchmark::kMillisecond);
