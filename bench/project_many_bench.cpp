// The sums of K rows of weighted values against a three-term family (Legendre) at M nodes:
// the blocked product of all rows at once, and the rows one by one through the single-row
// kernel as fit_many formed them before. Args: K, M, N.
// Then fitManySamples in each basis, its rows projected together and (rowByRow) one fit per
// spectrum on the shared node set, as it runs for a basis without projectMany.
// Args: basis index, K, samples = M, N.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "app/sample_fit.h"
#include "bases/basis.h"
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

void fitManyInBasis(benchmark::State& state, bool together) {
  BasisOps basis = basisEntry(static_cast<int32_t>(state.range(0))).ops;
  if (!together) basis.projectMany = nullptr;
  const int64_t spectra = state.range(1), count = state.range(2);
  std::vector<double> x(count), y(spectra * count);
  for (int64_t i = 0; i < count; ++i)
    x[i] = -1.0 + 2.0 * static_cast<double>(i) / static_cast<double>(count - 1);
  for (int64_t j = 0; j < spectra * count; ++j)
    y[j] = std::sin(0.001 * static_cast<double>(j));
  SampleFitRequest request;
  request.termCount = state.range(3), request.meshCount = count;
  // Jacobi with an exponent below 1/2 takes its end path too; Hermite and Sonin-Laguerre take
  // beta 0, their scale to the interval.
  request.alpha = 0.5;
  request.beta = state.range(0) == jacobiBasisIndex ? -0.5 : 0.0;
  SampleFitSettings settings;
  std::vector<double> coefficients;
  for (auto _ : state) {
    fitManySamples(basis, x.data(), y.data(), count, spectra, request, settings, coefficients);
    benchmark::DoNotOptimize(coefficients.data());
  }
}

void fitManyTogether(benchmark::State& state) {
  fitManyInBasis(state, true);
}
void fitManyRowByRow(benchmark::State& state) {
  fitManyInBasis(state, false);
}

void everyProjectingBasis(benchmark::internal::Benchmark* b) {
  for (const int32_t basis :
       {fourierBasisIndex, legendreBasisIndex, chebyshev1BasisIndex, chebyshev2BasisIndex,
        soninLaguerreBasisIndex, hermiteBasisIndex, jacobiBasisIndex, discreteChebyshevBasisIndex})
    b->Args({basis, 200, 10000, 100});
  b->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(fitManyTogether)->Apply(everyProjectingBasis);
BENCHMARK(fitManyRowByRow)->Apply(everyProjectingBasis);
BENCHMARK(blockedProduct)->Args({1000, 10000, 100})->Unit(benchmark::kMillisecond);
BENCHMARK(rowByRow)->Args({1000, 10000, 100})->Unit(benchmark::kMillisecond);
