// The sums of K rows of weighted values against a three-term family (Legendre) at M nodes:
// the blocked product of all rows at once, and the rows one by one through the single-row
// kernel as fit_many formed them before. Args: K, M, N.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "bases/three_term_lanes.h"

namespace {

ThreeTermRecurrence legendreFamily(int32_t n) {
  ThreeTermRecurrence p(n);
  for (int32_t k = 1; k < n; ++k)
    p.a[k] = (2.0 * k - 1) / k, p.c[k] = (k - 1.0) / k;
  return p;
}

struct Rows {
  Rows(int64_t k, int32_t m, int32_t n) : t(m), u(k * m), sums(k * n), p(legendreFamily(n)) {
    for (int32_t i = 0; i < m; ++i)
      t[i] = -std::cos((i + 0.5) * 3.141592653589793 / m);
    for (int64_t j = 0; j < k * m; ++j)
      u[j] = std::sin(0.001 * static_cast<double>(j));
  }
  std::vector<double> t, u, sums;
  ThreeTermRecurrence p;
};

void blockedProduct(benchmark::State& state) {
  const int64_t k = state.range(0);
  const auto m = static_cast<int32_t>(state.range(1)), n = static_cast<int32_t>(state.range(2));
  Rows rows(k, m, n);
  for (auto _ : state) {
    projectManyOntoRecurrence(rows.p, rows.t.data(), rows.u.data(), m, m, k, rows.sums.data(), n);
    benchmark::DoNotOptimize(rows.sums.data());
  }
}

void rowByRow(benchmark::State& state) {
  const int64_t k = state.range(0);
  const auto m = static_cast<int32_t>(state.range(1)), n = static_cast<int32_t>(state.range(2));
  Rows rows(k, m, n);
  for (auto _ : state) {
    for (int64_t j = 0; j < k; ++j)
      projectOntoRecurrence(rows.p, rows.t.data(), rows.u.data() + j * m, m,
                            rows.sums.data() + j * n, n);
    benchmark::DoNotOptimize(rows.sums.data());
  }
}

}  // namespace

BENCHMARK(blockedProduct)->Args({1000, 10000, 100})->Unit(benchmark::kMillisecond);
BENCHMARK(rowByRow)->Args({1000, 10000, 100})->Unit(benchmark::kMillisecond);
