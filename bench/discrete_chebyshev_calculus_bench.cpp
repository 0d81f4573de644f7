// Discrete Chebyshev series: the derivative and the integral of a warm fit, at the largest term
// count the series' own calculus takes (2.5 sqrt(M)), at a count past it and at N = M (the
// mesh rules).
#include <benchmark/benchmark.h>

#include <vector>

#include "bases/discrete_chebyshev.h"
#include "bench/bench_mesh.h"

static void BM_DiscreteChebyshevCalculus(benchmark::State& state) {
  const int32_t m = static_cast<int32_t>(state.range(0)), n = static_cast<int32_t>(state.range(1));
  BenchMesh mesh(m, n);
  double alpha = 0, beta = 0;
  mesh.fit(discreteChebyshevBasis, -4, 4, alpha, beta, benchSource, 3);
  std::vector<double> d(n + 1);
  for (auto _ : state) {
    std::fill(d.begin(), d.end(), 0.0);
    discreteChebyshevBasis.differentiate(-4, 4, 0, 0, mesh.c.data(), d.data(), n);
    benchmark::DoNotOptimize(d.data());
    benchmark::DoNotOptimize(discreteChebyshevBasis.integrate(-4, 4, 0, 0, mesh.c.data(), n));
  }
}
BENCHMARK(BM_DiscreteChebyshevCalculus)
    ->Args({1000, 79})
    ->Args({100000, 790})
    ->Args({100000, 791})
    ->Args({1000, 300})
    ->Args({1000, 1000})
    ->Unit(benchmark::kMillisecond);
