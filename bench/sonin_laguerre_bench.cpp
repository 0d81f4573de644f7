// Sonin-Laguerre basis: building the node cache (cold, alternating M and M + 2 so that every
// iteration rebuilds), the first fit on a new mesh (nodes, function values and fit), a mode-3
// fit with the node cache warm, and the integral.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "bases/sonin_laguerre.h"
#include "bench/bench_mesh.h"

namespace {

const SourceFn source = [](double x) { return std::exp(-x / 4) * std::sin(x); };

// The scale beta is found afresh from the interval on every fit.
long double fit(BenchMesh& mesh, int32_t mode, const SourceFn& fn) {
  double alpha = 0.5, beta = 0;
  return mesh.fit(soninLaguerreBasis, 0, 20, alpha, beta, fn, mode);
}

void SoninLaguerreColdNodes(benchmark::State& state) {
  AlternatingMeshes meshes(static_cast<int32_t>(state.range(0)), 1);
  for (auto _ : state)
    benchmark::DoNotOptimize(fit(meshes.next(), 0, {}));
}
BENCHMARK(SoninLaguerreColdNodes)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

// What a user waits for on the first Apply with a new evaluation count: nodes, the function
// values at the nodes and the fit.
void SoninLaguerreFirstFit(benchmark::State& state) {
  AlternatingMeshes meshes(static_cast<int32_t>(state.range(0)),
                           static_cast<int32_t>(state.range(1)));
  for (auto _ : state)
    benchmark::DoNotOptimize(fit(meshes.next(), 3, source));
}
BENCHMARK(SoninLaguerreFirstFit)->Args({100000, 500})->Unit(benchmark::kMillisecond);

void SoninLaguerreWarmFit(benchmark::State& state) {
  BenchMesh mesh(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
  fit(mesh, 0, {});  // warm the node cache
  for (auto _ : state)
    benchmark::DoNotOptimize(fit(mesh, 3, source));
}
BENCHMARK(SoninLaguerreWarmFit)
    ->Args({1000, 100})
    ->Args({10000, 1000})
    ->Args({100000, 1000})
    ->Unit(benchmark::kMillisecond);

// The integral that the recompute cycle asks for after every fit, over the whole oscillating
// range of N functions (T = 4N).
void SoninLaguerreIntegrate(benchmark::State& state) {
  const auto n = static_cast<int32_t>(state.range(0));
  std::vector<double> c(n);
  for (int32_t k = 0; k < n; ++k)
    c[k] = 1.0 / (k + 1);
  for (auto _ : state)
    benchmark::DoNotOptimize(soninLaguerreBasis.integrate(0, 4.0 * n, 0.5, 1.0, c.data(), n));
}
BENCHMARK(SoninLaguerreIntegrate)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// The series at 10^5 abscissae over the interval (Sample, Add and Subtract).
void SoninLaguerreEvaluateMany(benchmark::State& state) {
  const auto count = static_cast<int32_t>(state.range(0));
  const auto n = static_cast<int32_t>(state.range(1));
  std::vector<double> c(n), x(count), values(count);
  for (int32_t k = 0; k < n; ++k)
    c[k] = 1.0 / (k + 1);
  for (int32_t i = 0; i < count; ++i)
    x[i] = 20.0 * i / count;
  for (auto _ : state) {
    soninLaguerreBasis.evaluateMany(0, 20, 0.5, 50, c.data(), n, x.data(), values.data(), count);
    benchmark::DoNotOptimize(values.data());
  }
}
BENCHMARK(SoninLaguerreEvaluateMany)->Args({100000, 1000})->Unit(benchmark::kMillisecond);

}  // namespace
