// The node sets on their own, into arrays of the caller (no cache): Legendre, second-kind
// Chebyshev and Jacobi at 10^5 and 10^6 nodes, Jacobi at the exponents the tests use, named
// Basis/NodeSet/M (Jacobi: /alpha10/beta10, the exponents in tenths); Hermite and
// Sonin-Laguerre (nodes and scaled weights) from 10^3 to 10^6 nodes, Sonin-Laguerre at several
// orders alpha (the second argument, in tenths).
#include <benchmark/benchmark.h>

#include <vector>

#include "bases/chebyshev2.h"
#include "bases/hermite.h"
#include "bases/jacobi.h"
#include "bases/legendre.h"
#include "bases/sonin_laguerre.h"

namespace {

void LegendreNodes(benchmark::State& state) {
  const int32_t m = static_cast<int32_t>(state.range(0));
  std::vector<double> nodes(m), weights(m);
  for (auto _ : state) {
    gaussLegendre(nodes.data(), weights.data(), m);
    benchmark::DoNotOptimize(nodes.data());
    benchmark::DoNotOptimize(weights.data());
  }
}
BENCHMARK(LegendreNodes)
    ->Name("Legendre/NodeSet")
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

void Chebyshev2Nodes(benchmark::State& state) {
  const int32_t m = static_cast<int32_t>(state.range(0));
  std::vector<double> nodes(m), weights(m);
  for (auto _ : state) {
    gaussChebyshev2(nodes.data(), weights.data(), m);
    benchmark::DoNotOptimize(nodes.data());
    benchmark::DoNotOptimize(weights.data());
  }
}
BENCHMARK(Chebyshev2Nodes)
    ->Name("Chebyshev2/NodeSet")
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

// Exponents (alpha, beta) in tenths, so that they fit the benchmark's integer arguments; (0.3, 0.7)
// has both exponents long in binary, which takes the expanded recurrence factors.
void JacobiNodes(benchmark::State& state) {
  const int32_t m = static_cast<int32_t>(state.range(0));
  const double alpha = state.range(1) / 10.0, beta = state.range(2) / 10.0;
  std::vector<double> nodes(m), weights(m);
  for (auto _ : state) {
    gaussJacobi(nodes.data(), weights.data(), m, alpha, beta);
    benchmark::DoNotOptimize(nodes.data());
    benchmark::DoNotOptimize(weights.data());
  }
}
BENCHMARK(JacobiNodes)
    ->Name("Jacobi/NodeSet")
    ->ArgNames({"m", "alpha10", "beta10"})
    ->Args({100000, 0, 0})
    ->Args({100000, 5, -5})
    ->Args({100000, -9, 25})
    ->Args({100000, 50, 20})
    ->Args({100000, 200, 200})
    ->Args({100000, 50, 50})
    ->Args({100000, 3, 7})
    ->Args({1000000, 0, 0})
    ->Args({1000000, 5, -5})
    ->Args({1000000, -9, 25})
    ->Args({1000000, 50, 50})
    ->Args({1000000, 200, 200})
    ->Args({1000000, 3, 7})
    ->Unit(benchmark::kMillisecond);

}  // namespace

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
    ->Args({1000000, 0})
    ->Args({1000000, 5})
    ->Args({1000000, 50})
    ->Unit(benchmark::kMillisecond);
