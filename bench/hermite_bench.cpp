// Hermite functions: cold node sets (alternating M and M + 2 forces a rebuild every
// iteration), the first 500-term fit on a 10^5-point mesh (nodes and fit, all cold), and warm
// fits in mode 3.
#include <benchmark/benchmark.h>

#include "bases/hermite.h"
#include "bench/bench_mesh.h"

static void BM_HermiteNodeCache(benchmark::State& state) {
  const int32_t m = static_cast<int32_t>(state.range(0));
  AlternatingMeshes meshes(m, 1);
  double alpha = 0, beta = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(meshes.next().fit(hermiteBasis, -4, 4, alpha, beta, {}, 0));
  }
}
// The root search before the march cost O(M^2): ten minutes at M = 100000, so only 1000 and
// 10000 can be compared with it.
BENCHMARK(BM_HermiteNodeCache)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

static void BM_HermiteFirstFit(benchmark::State& state) {
  const int32_t m = static_cast<int32_t>(state.range(0)), n = static_cast<int32_t>(state.range(1));
  AlternatingMeshes meshes(m, n);
  double alpha = 0, beta = 0;
  for (auto _ : state) {
    BenchMesh& mesh = meshes.next();
    beta = 0;
    benchmark::DoNotOptimize(mesh.fit(hermiteBasis, -4, 4, alpha, beta, benchSource, 3));
  }
}
BENCHMARK(BM_HermiteFirstFit)->Args({100000, 500})->Iterations(2)->Unit(benchmark::kMillisecond);

static void BM_HermiteFit(benchmark::State& state) {
  const int32_t m = static_cast<int32_t>(state.range(0)), n = static_cast<int32_t>(state.range(1));
  BenchMesh mesh(m, n);
  double alpha = 0, beta = 0;
  mesh.fit(hermiteBasis, -4, 4, alpha, beta, benchSource, 3);  // warm the caches
  for (auto _ : state) {
    beta = 0;
    benchmark::DoNotOptimize(mesh.fit(hermiteBasis, -4, 4, alpha, beta, benchSource, 3));
  }
}
BENCHMARK(BM_HermiteFit)
    ->Args({1000, 100})
    ->Args({10000, 1000})
    ->Args({100000, 1000})
    ->Unit(benchmark::kMillisecond);

// The series at 10^5 abscissae spread over the interval and beyond (Sample, Add and Subtract).
static void BM_HermiteEvaluateMany(benchmark::State& state) {
  const int32_t count = static_cast<int32_t>(state.range(0)),
                n = static_cast<int32_t>(state.range(1));
  std::vector<double> c(n), x(count), values(count);
  for (int32_t j = 0; j < n; ++j)
    c[j] = 1.0 / (j + 1);
  for (int32_t i = 0; i < count; ++i)
    x[i] = -6 + 12.0 * i / count;
  for (auto _ : state) {
    hermiteBasis.evaluateMany(-4, 4, 0, 3, c.data(), n, x.data(), values.data(), count);
    benchmark::DoNotOptimize(values.data());
  }
}
BENCHMARK(BM_HermiteEvaluateMany)->Args({100000, 1000})->Unit(benchmark::kMillisecond);
