// Jacobi basis: building the node cache (cold, alternating M and M + 2 so that every
// iteration rebuilds), the first 500-term fit on a 10^5-point mesh (cold), and a mode-3 fit
// with the cache warm. The root finder before the march cost O(M^2): about 18 ms at M = 1000,
// 1.8 s at 10000 and close to 3 minutes at 100000, so only 1000 and 10000 can be compared.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "bases/jacobi.h"

namespace {

struct Buffers {
  Buffers(int32_t m, int32_t n) : x(m + 2), source(m + 2), series(m + 2), c(n) {}
  std::vector<double> x, source, series, c;
};

long double fit(Buffers& b, int32_t m, int32_t n, int32_t mode, const SourceFn& source) {
  double alpha = 0.5, beta = -0.25;
  return jacobiBasis.fit(0, 2, alpha, beta, b.c.data(), n, b.x.data(), b.source.data(),
                         b.series.data(), m, source, mode);
}

const SourceFn source = [](double x) { return std::exp(-x) * std::sin(3 * x); };

void JacobiColdNodes(benchmark::State& state) {
  const auto m = static_cast<int32_t>(state.range(0));
  Buffers b(m, 1);
  bool shifted = false;
  for (auto _ : state) {
    fit(b, shifted ? m + 2 : m, 1, 0, {});
    shifted = !shifted;
    benchmark::DoNotOptimize(b.x.data());
  }
}
BENCHMARK(JacobiColdNodes)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

void JacobiFirstFit(benchmark::State& state) {
  const auto m = static_cast<int32_t>(state.range(0));
  const auto n = static_cast<int32_t>(state.range(1));
  Buffers b(m, n);
  bool shifted = false;
  for (auto _ : state) {
    benchmark::DoNotOptimize(fit(b, shifted ? m + 2 : m, n, 3, source));
    shifted = !shifted;
  }
}
BENCHMARK(JacobiFirstFit)->Args({100000, 500})->Iterations(2)->Unit(benchmark::kMillisecond);

void JacobiWarmFit(benchmark::State& state) {
  const auto m = static_cast<int32_t>(state.range(0));
  const auto n = static_cast<int32_t>(state.range(1));
  Buffers b(m, n);
  fit(b, m, n, 0, {});  // warm the cache
  for (auto _ : state)
    benchmark::DoNotOptimize(fit(b, m, n, 3, source));
}
BENCHMARK(JacobiWarmFit)->Args({1000, 100})->Args({100000, 1000})->Unit(benchmark::kMillisecond);

}  // namespace
