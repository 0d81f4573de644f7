// Bernstein polynomials: the basis keeps no cache, so every fit is warm; fits in mode 3, and
// the series at scattered abscissae, by evaluateMany and by evaluate one point at a time.
#include <benchmark/benchmark.h>

#include <random>

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

// Abscissae in random order over the interval and a little beyond it (a twentieth outside).
struct Scattered {
  Scattered(int32_t count, int32_t n) : x(count), values(count), mesh(1, n) {
    std::mt19937_64 random(1);
    std::uniform_real_distribution<double> uniform(-4.2, 4.2);
    for (double& v : x)
      v = uniform(random);
    double alpha = 0, beta = 0;
    mesh.fit(bernsteinBasis, -4, 4, alpha, beta, benchSource, 1);
  }
  std::vector<double> x, values;
  BenchMesh mesh;  // its coefficients
};

static void BM_BernsteinEvaluateMany(benchmark::State& state) {
  Scattered points(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
  const std::vector<double>& c = points.mesh.c;
  for (auto _ : state) {
    bernsteinBasis.evaluateMany(-4, 4, 0, 0, c.data(), static_cast<int32_t>(c.size()),
                                points.x.data(), points.values.data(),
                                static_cast<int32_t>(points.x.size()));
    benchmark::DoNotOptimize(points.values.data());
  }
}
BENCHMARK(BM_BernsteinEvaluateMany)
    ->Args({10000, 100})
    ->Args({10000, 1000})
    ->Unit(benchmark::kMillisecond);

static void BM_BernsteinEvaluateEach(benchmark::State& state) {
  Scattered points(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
  const std::vector<double>& c = points.mesh.c;
  for (auto _ : state) {
    for (size_t i = 0; i < points.x.size(); ++i)
      points.values[i] = static_cast<double>(bernsteinBasis.evaluate(
          -4, 4, 0, 0, c.data(), static_cast<int32_t>(c.size()), points.x[i]));
    benchmark::DoNotOptimize(points.values.data());
  }
}
BENCHMARK(BM_BernsteinEvaluateEach)
    ->Args({10000, 100})
    ->Args({10000, 1000})
    ->Unit(benchmark::kMillisecond);
