// Warm fits in mode 3 (sample the source, fit, evaluate on the mesh) of the two Chebyshev
// bases and the Fourier basis at the counts a user reaches, up to M = 10^6 with N = 10^4; at
// M = 999999, where M + 1 (the second kind's transform) is smooth and M (the others') is not;
// and at the primes 99991 and 999983, beside their smooth neighbours 10^5 and 10^6.
#include <benchmark/benchmark.h>

#include "bases/chebyshev1.h"
#include "bases/chebyshev2.h"
#include "bases/fourier.h"
#include "bench/bench_mesh.h"

namespace {

void warmTransformFit(benchmark::State& state, const BasisOps* ops) {
  const int32_t m = static_cast<int32_t>(state.range(0));
  const int32_t n = static_cast<int32_t>(state.range(1));
  BenchMesh mesh(m, n);
  double alpha = 0, beta = 0;
  mesh.fit(*ops, 0.5, 3.0, alpha, beta, benchSource, 3);  // warm the cache
  for (auto _ : state)
    benchmark::DoNotOptimize(mesh.fit(*ops, 0.5, 3.0, alpha, beta, benchSource, 3));
}

#define TRANSFORM_FIT_BENCHMARKS(name, ops)       \
  BENCHMARK_CAPTURE(warmTransformFit, name, &ops) \
      ->Args({1000, 100})                         \
      ->Args({100000, 1000})                      \
      ->Args({1000000, 10000})                    \
      ->Args({999999, 10000})                     \
      ->Args({99991, 1000})                       \
      ->Args({999983, 10000})                     \
      ->Unit(benchmark::kMillisecond)

TRANSFORM_FIT_BENCHMARKS(Chebyshev1, chebyshev1Basis);
TRANSFORM_FIT_BENCHMARKS(Chebyshev2, chebyshev2Basis);
TRANSFORM_FIT_BENCHMARKS(Fourier, fourierBasis);

}  // namespace
