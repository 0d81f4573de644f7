// Jacobi basis: building the node cache (cold, alternating M and M + 2 so that every
// iteration rebuilds), the first 500-term fit on a 10^5-point mesh (cold), and a mode-3 fit
// with the cache warm. The root finder before the march cost O(M^2): about 18 ms at M = 1000,
// 1.8 s at 10000 and close to 3 minutes at 100000, so only 1000 and 10000 can be compared.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "bases/jacobi.h"
#include "bench/bench_mesh.h"

namespace {

const SourceFn source = [](double x) { return std::exp(-x) * std::sin(3 * x); };

long double fit(BenchMesh& mesh, int32_t mode, const SourceFn& fn, double alpha = 0.5,
                double beta = -0.25) {
  return mesh.fit(jacobiBasis, 0, 2, alpha, beta, fn, mode);
}

void JacobiColdNodes(benchmark::State& state) {
  AlternatingMeshes meshes(static_cast<int32_t>(state.range(0)), 1);
  for (auto _ : state)
    benchmark::DoNotOptimize(fit(meshes.next(), 0, {}));
}
BENCHMARK(JacobiColdNodes)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

void JacobiFirstFit(benchmark::State& state) {
  AlternatingMeshes meshes(static_cast<int32_t>(state.range(0)),
                           static_cast<int32_t>(state.range(1)));
  for (auto _ : state)
    benchmark::DoNotOptimize(fit(meshes.next(), 3, source));
}
BENCHMARK(JacobiFirstFit)->Args({100000, 500})->Iterations(2)->Unit(benchmark::kMillisecond);

void JacobiWarmFit(benchmark::State& state) {
  BenchMesh mesh(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
  fit(mesh, 0, {});  // warm the cache
  for (auto _ : state)
    benchmark::DoNotOptimize(fit(mesh, 3, source));
}
BENCHMARK(JacobiWarmFit)->Args({1000, 100})->Args({100000, 1000})->Unit(benchmark::kMillisecond);

// Both exponents below 1/2: the nodes within 1/2 of either end take the end recurrence.
void JacobiWarmFitSmallExponents(benchmark::State& state) {
  BenchMesh mesh(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
  fit(mesh, 0, {}, -0.9, 0.0);
  for (auto _ : state)
    benchmark::DoNotOptimize(fit(mesh, 3, source, -0.9, 0.0));
}
BENCHMARK(JacobiWarmFitSmallExponents)
    ->Args({1000, 100})
    ->Args({100000, 1000})
    ->Unit(benchmark::kMillisecond);

}  // namespace
