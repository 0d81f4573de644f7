// Fourier polynomials: spot values with exact answers, coefficients against the discrete
// Fourier sums computed directly in long double, the derivative and integral against finite
// differences and the trapezoidal rule over `evaluate`, and edge cases of the mesh.
#include "bases/fourier.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "bases/interval_map.h"
#include "tests/bases/direct_sums.h"
#include "tests/bases/test_mesh.h"

namespace {

constexpr double eps = 2.220446049250313e-16;
constexpr double tolerance = 64 * eps;

long double fitOn(double left, double right, std::vector<double>& c, Mesh& mesh,
                  const SourceFn& source, int32_t mode = 3) {
  double alpha = 0, beta = 0;
  return fitWith(fourierBasis, left, right, alpha, beta, c, mesh, source, mode);
}

long double evaluate(const std::vector<double>& c, double left, double right, double x) {
  return fourierBasis.evaluate(left, right, 0, 0, c.data(), static_cast<int32_t>(c.size()), x);
}

// --- spot values with exact answers

TEST(FourierQuadrature, FourAngles) {
  double nodes[4], weights[4];
  fourierAngles(nodes, weights, 4);
  EXPECT_EQ(nodes[0], -3 * pi / 4);
  EXPECT_EQ(nodes[1], -pi / 4);
  EXPECT_EQ(nodes[2], pi / 4);
  EXPECT_EQ(nodes[3], 3 * pi / 4);
  for (double w : weights)
    EXPECT_EQ(w, 1.0);

  Mesh mesh(4);
  std::vector<double> c(1);
  fitOn(2, 6, c, mesh, {}, 0);  // mid 4, half 2
  EXPECT_EQ(mesh.x, (std::vector<double>{2.5, 3.5, 4.5, 5.5}));
}

TEST(FourierFit, SineAndConstant) {
  Mesh mesh(8);
  std::vector<double> c(3);
  long double figure = fitOn(-pi, pi, c, mesh, [](double x) { return (long double)std::sin(x); });
  EXPECT_NEAR(c[0], 0.0, tolerance);
  EXPECT_NEAR(c[1], 1.0, tolerance);
  EXPECT_NEAR(c[2], 0.0, tolerance);
  EXPECT_NEAR((double)figure, 0.0, tolerance);

  Mesh wide(100);
  std::vector<double> k(10);
  figure = fitOn(3, 7, k, wide, [](double) { return 2.5L; });
  EXPECT_NEAR(k[0], 5.0, tolerance);
  for (int j = 1; j < 10; ++j)
    EXPECT_NEAR(k[j], 0.0, tolerance);
  EXPECT_NEAR((double)figure, 0.0, tolerance);
  for (double v : wide.series)
    EXPECT_NEAR(v, 2.5, tolerance);
}

TEST(FourierSeries, EvaluateDifferentiateIntegrate) {
  // 1 + 2 sin(theta) + 3 cos(theta) + 4 sin(2 theta) on [0, 2 pi] (theta = x - pi).
  const std::vector<double> c = {2, 2, 3, 4};
  EXPECT_NEAR((double)evaluate(c, 0, 2 * pi, pi), 4.0, tolerance);
  EXPECT_NEAR((double)evaluate(c, 0, 2 * pi, 1.5 * pi), 3.0, tolerance);
  EXPECT_EQ(fourierBasis.evaluate(0, 1, 0, 0, c.data(), 0, 0.5), 0.0L);
  EXPECT_NEAR((double)evaluate(c, 0, 2 * pi, 0), (double)evaluate(c, 0, 2 * pi, 2 * pi), tolerance);
  // Periodic in x with period right - left.
  EXPECT_NEAR((double)evaluate(c, 0, 2 * pi, 1.0), (double)evaluate(c, 0, 2 * pi, 1.0 + 2 * pi),
              tolerance);

  // d/dtheta: 2 cos - 3 sin + 8 cos(2 theta); the last sine's cosine lands in entry N.
  double d[5] = {};
  fourierBasis.differentiate(0, 2 * pi, 0, 0, c.data(), d, 4);
  const double expected[] = {0, -3, 2, 0, 8};
  for (int j = 0; j < 5; ++j)
    EXPECT_NEAR(d[j], expected[j], tolerance) << j;
  // An odd N keeps the derivative within N entries.
  double e[4] = {};
  fourierBasis.differentiate(0, 2 * pi, 0, 0, c.data(), e, 3);
  EXPECT_NEAR(e[1], -3.0, tolerance);
  EXPECT_NEAR(e[2], 2.0, tolerance);
  EXPECT_EQ(e[3], 0.0);

  EXPECT_NEAR((double)fourierBasis.integrate(0, 2 * pi, 0, 0, c.data(), 4), 2 * pi, tolerance);
  EXPECT_NEAR((double)fourierBasis.integrate(1, 4, 0, 0, c.data(), 4), 3.0, tolerance);
}

// --- references computed independently

TEST(FourierFit, CoefficientsMatchDirectSums) {
  // c_0 = (2/M) sum f_k, c_{2k-1} = (2/M) sum f sin(k theta), c_{2k} = (2/M) sum f cos(k theta)
  // over the cell midpoints theta = (2k + 1 - M) pi / M, summed directly in long double.
  const int32_t m = 1000, n = 100;
  const double left = 0.5, right = 3.0;
  auto f = [](double x) { return (long double)std::exp(-x) * std::sin(3 * x); };
  Mesh mesh(m);
  std::vector<double> c(n);
  long double figure = fitOn(left, right, c, mesh, f);
  std::vector<long double> theta(m), fx(m);
  long double energy = 0;
  for (int32_t k = 0; k < m; ++k) {
    theta[k] = (2 * k + 1 - m) * truePi / m;
    const long double x = (right + left) / 2.0L + (right - left) / 2.0L * theta[k] / truePi;
    fx[k] = expl(-x) * sinl(3 * x);
    energy += fx[k] * fx[k] / m;
  }
  long double captured = 0;
  for (int32_t j = 0; j < n; ++j) {
    const int frequency = (j + 1) / 2;
    long double sum = 0;
    for (int32_t k = 0; k < m; ++k)
      sum += fx[k] * (j % 2 ? sinl(frequency * theta[k]) : cosl(frequency * theta[k]));
    const long double reference = 2 * sum / m;
    captured += reference * reference / (j == 0 ? 4 : 2);
    EXPECT_NEAR(c[j], (double)reference, 1e-13) << "j = " << j;
  }
  EXPECT_NEAR((double)figure, (double)(1 - captured / energy), 1e-13);
}

TEST(FourierSeries, DerivativeAndIntegralMatchEvaluate) {
  const std::vector<double> c = {0.3, -1.2, 0.7, 0.25, -0.5, 0.125};
  const double left = 1, right = 4;
  std::vector<double> d(7, 0.0);
  fourierBasis.differentiate(left, right, 0, 0, c.data(), d.data(), 6);
  // Central differences of order four with step 1e-3: error far below 1e-9 here.
  const double h = 1e-3;
  for (double x : {1.0, 1.7, 2.5, 3.9, 4.5}) {
    auto s = [&](double y) { return evaluate(c, left, right, y); };
    const long double fd = (8 * (s(x + h) - s(x - h)) - (s(x + 2 * h) - s(x - 2 * h))) / (12 * h);
    EXPECT_NEAR((double)evaluate(d, left, right, x), (double)fd, 1e-9);
  }
  // The trapezoidal rule on 64 cells of one period is exact for frequencies below 64.
  long double sum = 0;
  for (int k = 0; k < 64; ++k)
    sum += evaluate(c, left, right, left + k * (right - left) / 64);
  EXPECT_NEAR((double)fourierBasis.integrate(left, right, 0, 0, c.data(), 6),
              (double)(sum * (right - left) / 64), tolerance);
}

// --- edge cases

TEST(FourierFit, FullTermCountInterpolatesTheSource) {
  // With N = M the mesh values interpolate the source; `evaluate` uses the full last (sine)
  // coefficient and differs there by half of it times sin(M/2 theta) = +-1.
  const int32_t m = 8;
  Mesh mesh(m);
  std::vector<double> c(m);
  auto f = [](double x) { return (long double)(x * x * x); };
  fitOn(0, 1, c, mesh, f);
  ASSERT_GT(std::fabs(c[m - 1]), 1e-3);
  for (int32_t k = 0; k < m; ++k) {
    EXPECT_NEAR(mesh.series[k], (double)f(mesh.x[k]), tolerance);
    const double sign = (k % 2 ? 1 : -1) * ((m / 2 - 1) % 2 ? -1 : 1);
    EXPECT_NEAR((double)evaluate(c, 0, 1, mesh.x[k]), mesh.series[k] + sign * 0.5 * c[m - 1],
                tolerance);
  }
}

TEST(FourierFit, OddCountUsesTheMiddleAngle) {
  std::vector<double> nodes(5, 99.0), weights(5, 99.0);
  fourierAngles(nodes.data(), weights.data(), 5);
  EXPECT_EQ(nodes[2], 0.0);
  EXPECT_EQ(weights[2], 1.0);
  for (int i = 1; i < 5; ++i)
    EXPECT_LT(nodes[i - 1], nodes[i]);

  // Five points carry the frequencies 0, 1, 2 exactly: the series interpolates the source.
  Mesh mesh(5);
  std::vector<double> c(5);
  auto f = [](double x) { return (long double)std::exp(x); };
  fitOn(-1, 1, c, mesh, f);
  EXPECT_EQ(mesh.x[2], 0.0);
  for (int k = 0; k < 5; ++k)
    EXPECT_NEAR(mesh.series[k], (double)f(mesh.x[k]), tolerance);
}

// Long-double direct sums on the exact angles theta_j = (2j + 1 - M) pi / M from the values the
// fit sampled: the coefficients, the series on the mesh (the sine of frequency M/2 at half
// weight when N = M) and the figure. The harmonics come from rotating by e^(i theta_j).
DirectSums directSums(const std::vector<double>& f, int32_t n) {
  const int32_t m = static_cast<int32_t>(f.size());
  DirectSums r;
  r.c.assign(n, 0.0L);
  r.series.assign(m, 0.0L);
  long double energy = 0;
  for (int32_t j = 0; j < m; ++j) {
    const long double theta = (2 * j + 1 - m) * truePi / m;
    const long double cs = cosl(theta), sn = sinl(theta);
    energy += (long double)f[j] * f[j];
    r.c[0] += f[j];
    long double re = 1, im = 0;
    for (int32_t k = 1; 2 * k - 1 < n; ++k) {
      const long double nre = re * cs - im * sn;
      im = re * sn + im * cs, re = nre;
      r.c[2 * k - 1] += f[j] * im;
      if (2 * k < n) r.c[2 * k] += f[j] * re;
    }
  }
  long double captured = 0;
  for (int32_t k = 0; k < n; ++k) {
    r.c[k] *= 2.0L / m;
    captured += r.c[k] * r.c[k] / (k == 0 ? 4 : 2);
  }
  r.figure = 1 - captured / (energy / m);
  const bool nyquist = n == m && m % 2 == 0;
  for (int32_t j = 0; j < m; ++j) {
    const long double theta = (2 * j + 1 - m) * truePi / m;
    const long double cs = cosl(theta), sn = sinl(theta);
    long double re = 1, im = 0, value = 0.5L * r.c[0];
    for (int32_t k = 1; 2 * k - 1 < n; ++k) {
      const long double nre = re * cs - im * sn;
      im = re * sn + im * cs, re = nre;
      value += (nyquist && 2 * k == m ? 0.5L : 1.0L) * r.c[2 * k - 1] * im;
      if (2 * k < n) value += r.c[2 * k] * re;
    }
    r.series[j] = value;
  }
  return r;
}

// Counts where the coefficients and mesh values come from the transforms (and a few from the
// direct sums).
TEST(FourierFit, CoefficientsAndMeshValuesMatchLongDoubleSums) {
  expectFitsMatchDirectSums(fourierBasis, directSums);
}

// Prime counts, whose FFTs take the chirp route.
TEST(FourierFit, PrimeCountsMatchLongDoubleSums) {
  expectFitsMatchDirectSums(fourierBasis, directSums, nullptr, 0, 0, coefficientTolerance, nullptr,
                            primeCounts);
}

}  // namespace
