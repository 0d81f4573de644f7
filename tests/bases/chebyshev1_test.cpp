// Chebyshev polynomials of the first kind: spot values with exact answers, the series against
// an independent evaluation by the trigonometric definition T_k(t) = cos(k acos t), and edge
// cases of the node layout.
#include "bases/chebyshev1.h"
#include "bases/interval_map.h"
#include "tests/bases/direct_sums.h"
#include "tests/bases/test_mesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr double tolerance = 64 * 2.220446049250313e-16;

long double fitOn(double left, double right, std::vector<double>& c, Mesh& mesh,
                  const SourceFn& source, int32_t mode = 3) {
  double alpha = 0, beta = 0;
  return fitWith(chebyshev1Basis, left, right, alpha, beta, c, mesh, source, mode);
}

TEST(Chebyshev1Quadrature, TwoAndFourNodes) {
  double nodes[4], weights[4];
  gaussChebyshev1(nodes, weights, 2);
  EXPECT_EQ(nodes[0], -std::cos(pi / 4));
  EXPECT_EQ(nodes[1], std::cos(pi / 4));
  EXPECT_EQ(weights[0], pi / 2);
  EXPECT_EQ(weights[1], pi / 2);

  gaussChebyshev1(nodes, weights, 4);
  EXPECT_EQ(nodes[0], -std::cos(pi / 8));
  EXPECT_EQ(nodes[1], -std::cos(3 * pi / 8));
  EXPECT_EQ(nodes[2], -nodes[1]);
  EXPECT_EQ(nodes[3], -nodes[0]);
  for (double w : weights)
    EXPECT_EQ(w, pi / 4);
}

TEST(Chebyshev1Quadrature, OddCountWritesTheMiddleNode) {
  std::vector<double> nodes(5, 99.0), weights(5, 99.0);
  gaussChebyshev1(nodes.data(), weights.data(), 5);
  EXPECT_EQ(nodes[2], 0.0);
  EXPECT_EQ(weights[2], pi / 5);
  for (int i = 1; i < 5; ++i)
    EXPECT_LT(nodes[i - 1], nodes[i]);
}

TEST(Chebyshev1Fit, IdentityOnTwoNodes) {
  Mesh mesh(2);
  std::vector<double> c(2);
  long double figure = fitOn(-1, 1, c, mesh, [](double x) { return (long double)x; });
  EXPECT_NEAR(c[0], 0.0, tolerance);
  EXPECT_NEAR(c[1], 1.0, tolerance);
  EXPECT_NEAR((double)figure, 0.0, tolerance);
}

TEST(Chebyshev1Fit, ConstantGivesTwiceItsValueInTheFirstCoefficient) {
  Mesh mesh(100);
  std::vector<double> c(10);
  long double figure = fitOn(3, 7, c, mesh, [](double) { return 2.5L; });
  EXPECT_NEAR(c[0], 5.0, tolerance);
  for (int j = 1; j < 10; ++j)
    EXPECT_NEAR(c[j], 0.0, tolerance);
  EXPECT_NEAR((double)figure, 0.0, tolerance);
  for (double v : mesh.series)
    EXPECT_NEAR(v, 2.5, tolerance);
}

TEST(Chebyshev1Fit, CoefficientsMatchTheTrigonometricDefinition) {
  // Independent reference: c_j = (2/M) sum_k f(t_k) cos(j theta_k), theta_k = (k + 0.5) pi / M,
  // with t_k = -cos(theta_k), summed in long double.
  const int32_t m = 1000, n = 100;
  const double left = 0.5, right = 3.0;
  auto f = [](double x) { return (long double)std::exp(-x) * std::sin(3 * x); };
  Mesh mesh(m);
  std::vector<double> c(n);
  fitOn(left, right, c, mesh, f);
  for (int32_t j = 0; j < n; ++j) {
    long double sum = 0;
    for (int32_t k = 0; k < m; ++k) {
      long double theta = (k + 0.5L) * truePi / m;
      long double x = (right + left) / 2.0L - (right - left) / 2.0L * cosl(theta);
      sum += expl(-x) * sinl(3 * x) * cosl(j * (truePi - theta));
    }
    EXPECT_NEAR(c[j], (double)(2 * sum / m), 1e-13) << "j = " << j;
  }
  // The series of a smooth function reproduces it on the mesh.
  for (int32_t k = 0; k < m; ++k)
    EXPECT_NEAR(mesh.series[k], (double)f(mesh.x[k]), 1e-13);
}

TEST(Chebyshev1Fit, FigureAndIntegralAgreeWithIndependentSums) {
  // exp on [0, 1]: the fit figure from the mean squares over the nodes (summed here in long
  // double from the source values and the returned coefficients), and the integral e - 1.
  const int32_t m = 200, n = 12;
  Mesh mesh(m);
  std::vector<double> c(n);
  const long double figure = fitOn(0, 1, c, mesh, [](double x) { return expl(x); });
  long double energy = 0, captured = 0.25L * c[0] * c[0];
  for (double v : mesh.source)
    energy += (long double)v * v;
  energy /= m;
  for (int32_t j = 1; j < n; ++j)
    captured += (long double)c[j] * c[j] / 2;
  EXPECT_NEAR((double)figure, (double)(1 - captured / energy), 1e-15);
  EXPECT_NEAR((double)chebyshev1Basis.integrate(0, 1, 0, 0, c.data(), n), std::exp(1.0) - 1, 1e-14);
  // Fewer terms miss some energy: the figure is then positive.
  std::vector<double> few(2);
  EXPECT_GT((double)fitOn(0, 1, few, mesh, [](double x) { return expl(x); }), 1e-4);
}

// Long-double direct sums on the exact nodes t_k = -cos((k + 1/2) pi / M) from the values the
// fit sampled: the coefficients, the series on the nodes and the figure.
DirectSums directSums(const std::vector<double>& f, int32_t n) {
  const int32_t m = static_cast<int32_t>(f.size());
  DirectSums r;
  r.c.assign(n, 0.0L);
  r.series.assign(m, 0.0L);
  long double energy = 0;
  std::vector<long double> t(m);
  for (int32_t k = 0; k < m; ++k) {
    t[k] = -cosl((k + 0.5L) * truePi / m);
    energy += (long double)f[k] * f[k];
    long double previous = 1, current = t[k];
    r.c[0] += f[k];
    if (n > 1) r.c[1] += f[k] * current;
    for (int32_t j = 2; j < n; ++j) {
      const long double next = 2 * t[k] * current - previous;
      previous = current, current = next;
      r.c[j] += f[k] * next;
    }
  }
  long double captured = 0;
  for (int32_t j = 0; j < n; ++j) {
    r.c[j] *= 2.0L / m;
    captured += r.c[j] * r.c[j] / (j == 0 ? 4 : 2);
  }
  r.figure = 1 - captured / (energy / m);
  for (int32_t k = 0; k < m; ++k) {
    long double b1 = 0, b2 = 0;
    for (int32_t j = n - 1; j >= 1; --j) {
      const long double nb = 2 * t[k] * b1 - b2 + r.c[j];
      b2 = b1, b1 = nb;
    }
    r.series[k] = t[k] * b1 - b2 + 0.5L * r.c[0];
  }
  return r;
}

// Counts where the coefficients and mesh values come from the transforms (and a few from the
// direct sums).
TEST(Chebyshev1Fit, CoefficientsAndMeshValuesMatchLongDoubleSums) {
  expectFitsMatchDirectSums(chebyshev1Basis, directSums);
}

// Prime counts, whose FFTs take the chirp route.
TEST(Chebyshev1Fit, PrimeCountsMatchLongDoubleSums) {
  expectFitsMatchDirectSums(chebyshev1Basis, directSums, nullptr, 0, 0, coefficientTolerance,
                            nullptr, primeCounts);
}

TEST(Chebyshev1Series, EvaluateDifferentiateIntegrate) {
  const BasisOps& ops = chebyshev1Basis;
  const double t2[] = {0, 0, 1};  // T_2 = 2t^2 - 1
  EXPECT_NEAR((double)ops.evaluate(-1, 1, 0, 0, t2, 3, -1), 1.0, tolerance);
  EXPECT_NEAR((double)ops.evaluate(-1, 1, 0, 0, t2, 3, 0.5), -0.5, tolerance);
  EXPECT_EQ(ops.evaluate(-1, 1, 0, 0, t2, 0, 0.5), 0.0L);
  // On [0, 4] the abscissa 4 is t = 1 and 6 extrapolates to t = 2.
  EXPECT_NEAR((double)ops.evaluate(0, 4, 0, 0, t2, 3, 6), 7.0, tolerance);

  double d[4] = {};
  ops.differentiate(-1, 1, 0, 0, t2, d, 3);
  EXPECT_EQ(d[0], 0.0);
  EXPECT_EQ(d[1], 4.0);
  EXPECT_EQ(d[2], 0.0);
  // On [0, 2] the chain rule halves nothing: dt/dx = 1; on [0, 4] it is 1/2.
  double e[4] = {};
  ops.differentiate(0, 4, 0, 0, t2, e, 3);
  EXPECT_EQ(e[1], 2.0);

  const double one[] = {2};
  EXPECT_NEAR((double)ops.integrate(0, 2, 0, 0, one, 1), 2.0, tolerance);
  // The integral of T_2 over [-1, 1] is -2/3.
  EXPECT_NEAR((double)ops.integrate(-1, 1, 0, 0, t2, 3), -2.0 / 3, tolerance);
}

}  // namespace
