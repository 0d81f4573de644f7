// The Fourier, Legendre and second-kind Chebyshev bases: building the node cache cold, and a
// warm fit in mode 3 (sample the source, fit, evaluate on the mesh). For Legendre also the
// node set alone and the first fit a user waits for (cold cache, mode 3).
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "bases/chebyshev2.h"
#include "bases/fourier.h"
#include "bases/legendre.h"

namespace {

struct Workbench {
  Workbench(int32_t m, int32_t n) : c(n), x(m), source(m), series(m) {}
  long double fit(const BasisOps& ops, int32_t m, int32_t mode, const SourceFn& f) {
    double alpha = 0, beta = 0;
    return ops.fit(0.5, 3.0, alpha, beta, c.data(), static_cast<int32_t>(c.size()), x.data(),
                   source.data(), series.data(), m, f, mode);
  }
  std::vector<double> c, x, source, series;
};

// Alternates the counts M and M + 2, so every iteration rebuilds the cache.
void coldCache(benchmark::State& state, const BasisOps* ops) {
  const int32_t m = static_cast<int32_t>(state.range(0));
  Workbench bench(m + 2, 1);
  int32_t flip = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(bench.fit(*ops, m + 2 * flip, 0, {}));
    flip ^= 1;
  }
}

void warmFit(benchmark::State& state, const BasisOps* ops) {
  const int32_t m = static_cast<int32_t>(state.range(0));
  const int32_t n = static_cast<int32_t>(state.range(1));
  Workbench bench(m, n);
  const SourceFn source = [](double x) { return (long double)(std::exp(-x) * std::sin(3 * x)); };
  bench.fit(*ops, m, 3, source);  // warm the cache
  for (auto _ : state)
    benchmark::DoNotOptimize(bench.fit(*ops, m, 3, source));
}

// Gauss-Legendre nodes and weights into arrays of the caller; the basis's cache is untouched.
void legendreNodeSet(benchmark::State& state) {
  const int32_t m = static_cast<int32_t>(state.range(0));
  std::vector<double> nodes(m), weights(m);
  for (auto _ : state) {
    gaussLegendre(nodes.data(), weights.data(), m);
    benchmark::DoNotOptimize(nodes.data());
  }
}

// A fit in mode 3 that has to build the node cache first (counts M and M + 2 alternate).
void coldFit(benchmark::State& state, const BasisOps* ops) {
  const int32_t m = static_cast<int32_t>(state.range(0));
  const int32_t n = static_cast<int32_t>(state.range(1));
  Workbench bench(m + 2, n);
  const SourceFn source = [](double x) { return (long double)(std::exp(-x) * std::sin(3 * x)); };
  int32_t flip = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(bench.fit(*ops, m + 2 * flip, 3, source));
    flip ^= 1;
  }
}

#define QUADRATURE_BASIS_BENCHMARKS(name, ops) \
  BENCHMARK_CAPTURE(coldCache, name, &ops)     \
      ->Arg(1000)                              \
      ->Arg(10000)                             \
      ->Arg(100000)                            \
      ->Unit(benchmark::kMillisecond);         \
  BENCHMARK_CAPTURE(warmFit, name, &ops)       \
      ->Args({1000, 100})                      \
      ->Args({100000, 1000})                   \
      ->Unit(benchmark::kMillisecond)

QUADRATURE_BASIS_BENCHMARKS(Fourier, fourierBasis);
QUADRATURE_BASIS_BENCHMARKS(Legendre, legendreBasis);
QUADRATURE_BASIS_BENCHMARKS(Chebyshev2, chebyshev2Basis);
BENCHMARK(legendreNodeSet)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(coldFit, Legendre, &legendreBasis)
    ->Args({100000, 500})
    ->Unit(benchmark::kMillisecond);

}  // namespace
