// Discrete Chebyshev polynomials: cold caches with the mesh series (alternating M and M + 2
// forces a rebuild every iteration), warm fits in mode 3 and the series between the points.
#include <benchmark/benchmark.h>

#include <vector>

#include "bases/discrete_chebyshev.h"
#include "bench/bench_mesh.h"

static void BM_DiscreteChebyshevTable(benchmark::State& state) {
  const int32_t m = static_cast<int32_t>(state.range(0)), n = static_cast<int32_t>(state.range(1));
  AlternatingMeshes meshes(m, n);
  double alpha = 0, beta = 0;
  for (auto _ : state) {
    BenchMesh& mesh = meshes.next();
    benchmark::DoNotOptimize(mesh.fit(discreteChebyshevBasis, -4, 4, alpha, beta, {}, 2));
  }
}
BENCHMARK(BM_DiscreteChebyshevTable)
    ->Args({1000, 100})
    ->Args({10000, 100})
    ->Args({100000, 100})
    ->Args({100000, 1000})
    ->Unit(benchmark::kMillisecond);

static void BM_DiscreteChebyshevFit(benchmark::State& state) {
  const int32_t m = static_cast<int32_t>(state.range(0)), n = static_cast<int32_t>(state.range(1));
  BenchMesh mesh(m, n);
  double alpha = 0, beta = 0;
  mesh.fit(discreteChebyshevBasis, -4, 4, alpha, beta, benchSource, 3);  // warm the table
  for (auto _ : state)
    benchmark::DoNotOptimize(mesh.fit(discreteChebyshevBasis, -4, 4, alpha, beta, benchSource, 3));
}
BENCHMARK(BM_DiscreteChebyshevFit)
    ->Args({1000, 100})
    ->Args({100000, 1000})
    ->Unit(benchmark::kMillisecond);

// The series of a warm fit at M abscissae halfway between the mesh points (Sample, Add and
// Subtract at samples that are not on the mesh).
static void BM_DiscreteChebyshevEvaluateMany(benchmark::State& state) {
  const int32_t m = static_cast<int32_t>(state.range(0)), n = static_cast<int32_t>(state.range(1));
  BenchMesh mesh(m, n);
  double alpha = 0, beta = 0;
  mesh.fit(discreteChebyshevBasis, -4, 4, alpha, beta, benchSource, 3);
  std::vector<double> x(m), values(m);
  for (int32_t i = 0; i < m; ++i)
    x[i] = -4 + 8 * (i + 0.5) / (m - 1);
  for (auto _ : state) {
    discreteChebyshevBasis.evaluateMany(-4, 4, 0, 0, mesh.c.data(), n, x.data(), values.data(), m);
    benchmark::DoNotOptimize(values.data());
  }
}
BENCHMARK(BM_DiscreteChebyshevEvaluateMany)
    ->Args({1000, 100})
    ->Args({100000, 1000})
    ->Unit(benchmark::kMillisecond);
