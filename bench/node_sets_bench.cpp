// The Hermite and Sonin-Laguerre node sets alone (nodes and scaled weights, no cache), from 10^3
// to 10^6 nodes; Sonin-Laguerre at several orders alpha (the second argument, in tenths).
#include <benchmark/benchmark.h>

#include <vector>

#include "bases/hermite.h"
#include "bases/sonin_laguerre.h"

static void BM_HermiteNodeSet(benchmark::State& state) {
  const auto m = static_cast<int32_t>(state.range(0));
  std::vector<double> nodes(m), weights(m);
  for (auto _ : state) {
    gaussHermite(nodes.data(), weights.data(), m);
    benchmark::DoNotOptimize(nodes.data());
    benchmark::DoNotOptimize(weights.data());
  }
}
BENCHMARK(BM_HermiteNodeSet)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

static void BM_SoninLaguerreNodeSet(benchmark::State& state) {
  const auto m = static_cast<int32_t>(state.range(0));
  const double alpha = state.range(1) / 10.0;
  std::vector<double> nodes(m), weights(m);
  for (auto _ : state) {
    gaussLaguerre(nodes.data(), weights.data(), m, alpha);
    benchmark::DoNotOptimize(nodes.data());
    benchmark::DoNotOptimize(weights.data());
  }
}
BENCHMARK(BM_SoninLaguerreNodeSet)
    ->Args({1000, 5})
    ->Args({10000, 5})
    ->Args({100000, 0})
    ->Args({100000, 5})
    ->Args({100000, 50})
    ->Args({100000, 200})
    ->Args({1000000, 5})
    ->Unit(benchmark::kMillisecond);
