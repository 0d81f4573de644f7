// Long-double direct sums of a fit (coefficients, series on the mesh, figure) and the check of
// a basis's fit against them at counts from a few nodes to (10^4, 10^3), including odd M,
// N = M, N > M/2 and more terms than nodes, and at counts with large prime factors.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "bases/basis.h"
#include "tests/bases/test_mesh.h"

struct DirectSums {
  std::vector<long double> c, series;
  long double figure = 0;
};

// The reference of a basis from the values its fit sampled, for N terms.
using DirectSumsFn = DirectSums (*)(const std::vector<double>& f, int32_t n);
// The series of the fit's own coefficients at the M nodes, in long double: checks the mesh
// values apart from the errors the coefficients carry into them.
using SeriesSumsFn = std::vector<long double> (*)(const std::vector<double>& c, int32_t m);
// How much larger than the coefficients the basis functions may reach at node k of M.
using ValueScaleFn = double (*)(int32_t k, int32_t m);

// Coefficients and mesh values agree with the references to 1e-14 of the coefficients'
// Euclidean size (the values times `valueScale` at their node); the figure to 1e-14.
// alpha and beta are handed to the fit as they are (the Jacobi exponents). With `seriesSums`
// the mesh values are checked against the series of the fit's own coefficients.
constexpr double coefficientTolerance = 1e-14;

struct FitCounts {
  int32_t m, n;
};
inline const std::vector<FitCounts> smoothCounts = {
    {1000, 100}, {10000, 1000}, {1001, 1001}, {1000, 1000}, {1000, 999},
    {999, 600},  {4096, 6},     {7, 5},       {8, 8},       {16, 40}};
// Counts M, and M + 1, with a large prime factor (1009, 10007, 2 * 1009), where the transforms
// take the chirp route: few terms, N = M odd and even (the Nyquist sine), N > M/2.
inline const std::vector<FitCounts> primeCounts = {{1009, 100},   {10007, 1000}, {1009, 1009},
                                                   {2018, 2018},  {2018, 1500},  {1008, 100},
                                                   {10006, 1000}, {1008, 1008},  {2017, 1500}};

inline void expectFitsMatchDirectSums(const BasisOps& ops, DirectSumsFn directSums,
                                      ValueScaleFn valueScale = nullptr, double alpha0 = 0,
                                      double beta0 = 0, double tolerance = coefficientTolerance,
                                      SeriesSumsFn seriesSums = nullptr,
                                      const std::vector<FitCounts>& counts = smoothCounts) {
  const SourceFn f = [](double x) {
    return (long double)(std::exp(-x) * std::sin(3 * x) + (x > 2 ? 1 : 0));
  };
  for (const auto& [m, n] : counts) {
    SCOPED_TRACE(testing::Message() << "M = " << m << ", N = " << n);
    Mesh mesh(m, NAN);
    std::vector<double> c(n, NAN);
    double alpha = alpha0, beta = beta0;
    const long double figure = fitWith(ops, 0.5, 3.0, alpha, beta, c, mesh, f, 3);
    const DirectSums ref = directSums(mesh.source, n);
    long double size = 0;
    for (long double v : ref.c)
      size += v * v;
    const double bound = tolerance * std::sqrt((double)size);
    for (int32_t j = 0; j < n; ++j)
      ASSERT_NEAR(c[j], (double)ref.c[j], bound) << "j = " << j;
    const std::vector<long double> series = seriesSums ? seriesSums(c, m) : ref.series;
    for (int32_t k = 0; k < m; ++k)
      ASSERT_NEAR(mesh.series[k], (double)series[k], valueScale ? bound * valueScale(k, m) : bound)
          << "k = " << k;
    EXPECT_NEAR((double)figure, (double)ref.figure, 1e-14);
  }
}
