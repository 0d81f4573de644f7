// Chebyshev polynomials of the second kind: spot values with exact answers, nodes, weights and
// coefficients against the trigonometric definition U_k(cos q) = sin((k + 1) q) / sin q summed
// in long double, the derivative and integral against finite differences and Simpson's rule
// over `evaluate`, and edge cases of the node layout.
#include "bases/chebyshev2.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "bases/interval_map.h"
#include "tests/bases/direct_sums.h"
#include "tests/bases/test_mesh.h"

namespace {

constexpr double eps = 2.220446049250313e-16;
constexpr double tolerance = 64 * eps;
constexpr double referenceTolerance = 1e-12;

long double fitOn(double left, double right, std::vector<double>& c, Mesh& mesh,
                  const SourceFn& source, int32_t mode = 3) {
  double alpha = 0, beta = 0;
  return fitWith(chebyshev2Basis, left, right, alpha, beta, c, mesh, source, mode);
}

// Simpson's rule on 20000 cells of [left, right] over `evaluate`; exact to about 1e-15 for
// the low-degree series used here.
long double simpson(const std::vector<double>& c, double left, double right) {
  const int cells = 20000;
  const long double h = (static_cast<long double>(right) - left) / cells;
  long double sum = 0;
  for (int k = 0; k <= cells; ++k) {
    const long double f =
        chebyshev2Basis.evaluate(left, right, 0, 0, c.data(), (int32_t)c.size(), left + k * h);
    sum += f * (k == 0 || k == cells ? 1 : (k % 2 ? 4 : 2));
  }
  return sum * h / 3;
}

// --- spot values with exact answers

TEST(Chebyshev2Quadrature, TwoAndSixNodes) {
  double nodes[6], weights[6];
  gaussChebyshev2(nodes, weights, 2);
  EXPECT_EQ(nodes[0], -0.5);
  EXPECT_EQ(nodes[1], 0.5);
  EXPECT_NEAR(weights[0], pi / 4, tolerance);
  EXPECT_NEAR(weights[1], pi / 4, tolerance);

  gaussChebyshev2(nodes, weights, 6);
  long double sum = 0;
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(nodes[i], -nodes[5 - i]);
    EXPECT_EQ(weights[i], weights[5 - i]);
    sum += weights[i];
  }
  EXPECT_NEAR((double)sum, pi / 2, tolerance);
}

TEST(Chebyshev2Fit, IdentityAndConstant) {
  Mesh two(2);
  std::vector<double> c(2);
  long double figure = fitOn(-1, 1, c, two, [](double x) { return (long double)x; });
  EXPECT_NEAR(c[0], 0.0, tolerance);
  EXPECT_NEAR(c[1], 0.5, tolerance);
  EXPECT_NEAR((double)figure, 0.0, tolerance);

  Mesh mesh(100);
  std::vector<double> k(10);
  figure = fitOn(3, 7, k, mesh, [](double) { return 2.5L; });
  EXPECT_NEAR(k[0], 2.5, tolerance);
  for (int j = 1; j < 10; ++j)
    EXPECT_NEAR(k[j], 0.0, tolerance);
  EXPECT_NEAR((double)figure, 0.0, tolerance);
  for (double v : mesh.series)
    EXPECT_NEAR(v, 2.5, tolerance);
}

TEST(Chebyshev2Series, EvaluateDifferentiateIntegrate) {
  const BasisOps& ops = chebyshev2Basis;
  const double u3[] = {0, 0, 0, 1};  // U_3 = 8t^3 - 4t
  EXPECT_NEAR((double)ops.evaluate(-1, 1, 0, 0, u3, 4, 0.5), -1.0, tolerance);
  EXPECT_EQ(ops.evaluate(-1, 1, 0, 0, u3, 0, 0.5), 0.0L);
  // At x = right the series is the sum of c[k] (k + 1).
  const double c[] = {1, 2, 3, 4};
  EXPECT_NEAR((double)ops.evaluate(2, 6, 0, 0, c, 4, 6), 1 + 4 + 9 + 16, tolerance);
  EXPECT_NEAR((double)ops.evaluate(2, 6, 0, 0, c, 4, 2), 1 - 4 + 9 - 16, tolerance);

  // dU_3/dt = 24t^2 - 4 = 6 U_2 + 2 U_0; on [0, 4] dt/dx = 1/2.
  double d[5] = {};
  ops.differentiate(-1, 1, 0, 0, u3, d, 4);
  EXPECT_EQ(d[0], 2.0);
  EXPECT_EQ(d[1], 0.0);
  EXPECT_EQ(d[2], 6.0);
  EXPECT_EQ(d[3], 0.0);
  EXPECT_EQ(d[4], 0.0);
  double e[5] = {};
  ops.differentiate(0, 4, 0, 0, u3, e, 4);
  EXPECT_EQ(e[2], 3.0);

  // The integral of U_2 = 4t^2 - 1 over [-1, 1] is 2/3; of the constant 1 over [0, 2] it is 2.
  const double u2[] = {0, 0, 1};
  EXPECT_NEAR((double)ops.integrate(-1, 1, 0, 0, u2, 3), 2.0 / 3, tolerance);
  const double one[] = {1};
  EXPECT_NEAR((double)ops.integrate(0, 2, 0, 0, one, 1), 2.0, tolerance);
}

// --- references computed independently

TEST(Chebyshev2Quadrature, MatchesClosedFormAtThousandNodes) {
  const int32_t m = 1000;
  std::vector<double> nodes(m), weights(m);
  gaussChebyshev2(nodes.data(), weights.data(), m);
  for (int32_t k = 0; k < m; ++k) {
    const long double q = (m - k) * truePi / (m + 1);
    const long double node = cosl(q), weight = truePi * sinl(q) * sinl(q) / (m + 1);
    EXPECT_NEAR(nodes[k], (double)node, referenceTolerance * std::fabs((double)node) + eps);
    EXPECT_NEAR(weights[k], (double)weight, referenceTolerance * (double)weight) << k;
  }
}

// The closed form in long double, from the smaller of theta = pi i / (M + 1) and
// pi/2 - theta (so that the reference keeps the relative digits of the nodes near 0): every
// node within one unit of its last place, the middle node 0 exactly, weights within 3 units.
TEST(Chebyshev2Quadrature, NodesWithinOneUnitOfTheLongDoubleClosedForm) {
  for (int32_t m : {1, 2, 3, 4, 5, 6, 7, 8, 9, 1000, 1001, 99999, 100000}) {
    std::vector<double> nodes(m, NAN), weights(m, NAN);
    gaussChebyshev2(nodes.data(), weights.data(), m);
    for (int32_t i = 1; i <= (m + 1) / 2; ++i) {
      const bool nearEnd = 4 * i <= m + 1;
      const long double theta = truePi * i / (m + 1),
                        phi = truePi * (m + 1 - 2 * i) / (2.0L * (m + 1));
      const long double node = nearEnd ? cosl(theta) : sinl(phi);
      const long double sine = nearEnd ? sinl(theta) : cosl(phi);
      const long double weight = truePi / (m + 1) * sine * sine;
      const double x = nodes[m - i];
      if (2 * i == m + 1) {
        EXPECT_EQ(x, 0.0) << "M = " << m;
      } else {
        const double expected = static_cast<double>(node);
        const double ulp = std::nextafter(expected, 2.0) - expected;
        EXPECT_LE(std::fabs(x - node), ulp) << "M = " << m << ", i = " << i;
      }
      EXPECT_EQ(nodes[i - 1], -x) << "M = " << m << ", i = " << i;
      EXPECT_LE(fabsl(weights[m - i] / weight - 1), 3 * eps) << "M = " << m << ", i = " << i;
      EXPECT_EQ(weights[i - 1], weights[m - i]) << "M = " << m << ", i = " << i;
    }
  }
}

// The rule integrates x^(2r) sqrt(1 - x^2) exactly for 2r <= 2M - 1: the integral is
// I_r = I_{r-1} (2r - 1) / (2r + 2), I_0 = pi / 2, summed here in long double.
TEST(Chebyshev2Quadrature, EvenMomentsExactAtManyCounts) {
  for (int32_t m : {1, 2, 3, 4, 5, 10, 11, 1000, 1001, 100000, 100001}) {
    std::vector<double> nodes(m), weights(m);
    gaussChebyshev2(nodes.data(), weights.data(), m);
    long double exact = truePi / 2;
    for (int32_t r = 0; 2 * r <= 2 * m - 1 && r <= 12; ++r) {
      if (r > 0) exact *= (2.0L * r - 1) / (2.0L * r + 2);
      long double sum = 0;
      for (int32_t k = 0; k < m; ++k)
        sum += weights[k] * powl(nodes[k], 2 * r);
      EXPECT_LE(fabsl(sum / exact - 1), 8 * eps) << "M = " << m << ", r = " << r;
    }
  }
}

TEST(Chebyshev2Fit, CoefficientsMatchTheTrigonometricDefinition) {
  // c_j = (2/pi) sum_k w_k f(t_k) U_j(t_k), with t_k = -cos(q_k), q_k = (k + 1) pi / (M + 1).
  const int32_t m = 1000, n = 100;
  const double left = 0.5, right = 3.0;
  auto f = [](double x) { return (long double)std::exp(-x) * std::sin(3 * x); };
  Mesh mesh(m);
  std::vector<double> c(n);
  fitOn(left, right, c, mesh, f);
  std::vector<long double> fw(m), q(m);
  for (int32_t k = 0; k < m; ++k) {
    q[k] = truePi - (k + 1) * truePi / (m + 1);  // t_k = cos(q_k), ascending
    const long double x = (right + left) / 2.0L + (right - left) / 2.0L * cosl(q[k]);
    fw[k] = expl(-x) * sinl(3 * x) * truePi * sinl(q[k]) * sinl(q[k]) / (m + 1);
  }
  for (int32_t j = 0; j < n; ++j) {
    long double sum = 0;
    for (int32_t k = 0; k < m; ++k)
      sum += fw[k] * sinl((j + 1) * q[k]) / sinl(q[k]);
    EXPECT_NEAR(c[j], (double)(2 * sum / truePi), 1e-13) << "j = " << j;
  }
  for (int32_t k = 0; k < m; ++k)
    EXPECT_NEAR(mesh.series[k], (double)f(mesh.x[k]), 1e-13);
}

TEST(Chebyshev2Series, DerivativeAndIntegralMatchEvaluate) {
  const std::vector<double> c = {0.3, -1.2, 0.7, 0.25, -0.5, 0.125};
  const double left = 1, right = 4;
  std::vector<double> d(7, 0.0);
  chebyshev2Basis.differentiate(left, right, 0, 0, c.data(), d.data(), 6);
  EXPECT_EQ(d[5], 0.0);
  EXPECT_EQ(d[6], 0.0);
  // Central differences of order four with step 1e-3: error far below 1e-9 here.
  const double h = 1e-3;
  for (double x : {1.0, 1.7, 2.5, 3.9, 4.5}) {
    auto s = [&](double y) { return chebyshev2Basis.evaluate(left, right, 0, 0, c.data(), 6, y); };
    const long double fd = (8 * (s(x + h) - s(x - h)) - (s(x + 2 * h) - s(x - 2 * h))) / (12 * h);
    EXPECT_NEAR(chebyshev2Basis.evaluate(left, right, 0, 0, d.data(), 7, x), (double)fd, 1e-9);
  }
  EXPECT_NEAR((double)chebyshev2Basis.integrate(left, right, 0, 0, c.data(), 6),
              (double)simpson(c, left, right), 1e-13);
}

// --- edge cases

TEST(Chebyshev2Quadrature, OddCountWritesTheMiddleNode) {
  std::vector<double> nodes(5, 99.0), weights(5, 99.0);
  gaussChebyshev2(nodes.data(), weights.data(), 5);
  EXPECT_EQ(nodes[2], 0.0);
  EXPECT_NEAR(weights[2], pi / 6, tolerance);
  long double sum = 0;
  for (double w : weights)
    sum += w;
  EXPECT_NEAR((double)sum, pi / 2, tolerance);
  for (int i = 1; i < 5; ++i)
    EXPECT_LT(nodes[i - 1], nodes[i]);
}

TEST(Chebyshev2Fit, OddCountFitsThroughTheMiddleNode) {
  // A cubic is reproduced exactly by five nodes, the middle one included.
  Mesh mesh(5);
  std::vector<double> c(4);
  auto f = [](double x) { return (long double)(x * x * x - 2 * x + 1); };
  long double figure = fitOn(-1, 1, c, mesh, f);
  EXPECT_NEAR((double)figure, 0.0, tolerance);
  for (int i = 0; i < 5; ++i)
    EXPECT_NEAR(mesh.series[i], (double)f(mesh.x[i]), tolerance);
}

// Long-double direct sums on the exact nodes t_k = -cos(theta_k), theta_k = (k + 1) pi / (M + 1),
// with the weights pi sin(theta_k)^2 / (M + 1), from the values the fit sampled.
DirectSums directSums(const std::vector<double>& f, int32_t n) {
  const int32_t m = static_cast<int32_t>(f.size());
  DirectSums r;
  r.c.assign(n, 0.0L);
  r.series.assign(m, 0.0L);
  long double energy = 0;
  std::vector<long double> t(m);
  for (int32_t k = 0; k < m; ++k) {
    const long double theta = (k + 1) * truePi / (m + 1);
    t[k] = -cosl(theta);
    const long double u = f[k] * truePi * sinl(theta) * sinl(theta) / (m + 1);
    energy += f[k] * u;
    long double previous = 0, current = u;
    r.c[0] += u;
    for (int32_t j = 1; j < n; ++j) {
      const long double next = 2 * t[k] * current - previous;
      previous = current, current = next;
      r.c[j] += next;
    }
  }
  long double captured = 0;
  for (int32_t j = 0; j < n; ++j) {
    r.c[j] *= 2 / truePi;
    captured += r.c[j] * r.c[j] * truePi / 2;
  }
  r.figure = 1 - captured / energy;
  for (int32_t k = 0; k < m; ++k) {
    long double b1 = 0, b2 = 0;
    for (int32_t j = n - 1; j >= 1; --j) {
      const long double nb = 2 * t[k] * b1 - b2 + r.c[j];
      b2 = b1, b1 = nb;
    }
    r.series[k] = 2 * t[k] * b1 - b2 + r.c[0];
  }
  return r;
}

// Counts where the coefficients and mesh values come from the transform (and a few from the
// direct sums). |U_j(cos theta)| reaches 1 / sin(theta): near the ends the values are that much
// larger than the coefficients.
TEST(Chebyshev2Fit, CoefficientsAndMeshValuesMatchLongDoubleSums) {
  expectFitsMatchDirectSums(chebyshev2Basis, directSums, [](int32_t k, int32_t m) {
    return 1 / std::sin((k + 1) * pi / (m + 1));
  });
}

// Counts whose M + 1 has a large prime factor, whose sine transforms take the chirp route.
TEST(Chebyshev2Fit, PrimeCountsMatchLongDoubleSums) {
  expectFitsMatchDirectSums(
      chebyshev2Basis, directSums,
      [](int32_t k, int32_t m) { return 1 / std::sin((k + 1) * pi / (m + 1)); }, 0, 0,
      coefficientTolerance, nullptr, primeCounts);
}

}  // namespace

// The mesh values against the series summed in binary128 at the nodes' exact angles,
// U_j(t_k) = (-1)^j sin((j + 1) theta_k) / sin(theta_k): within 32 eps of the largest value at
// every node, the two end nodes included, on both transform routes (2 (M + 1) = 2 * 1009 takes
// the chirp). The quotient by a small sine near the ends once cost 1750 eps at M = 10^4.
#include <quadmath.h>

namespace {

TEST(Chebyshev2Series, MeshValuesHoldAtTheEndNodes) {
  for (const auto& [m, n] : std::vector<std::pair<int32_t, int32_t>>{
           {1000, 100}, {1008, 1000}, {10000, 100}, {10000, 1000}, {100000, 300}}) {
    SCOPED_TRACE(testing::Message() << "M = " << m << ", N = " << n);
    std::vector<double> c(n);
    for (int32_t j = 0; j < n; ++j)
      c[j] = std::cos(1.3 * j + 0.2) / (1 + 0.05 * j);
    Mesh mesh(m);
    double alpha = 0, beta = 0;
    chebyshev2Basis.fit(-1, 1, alpha, beta, c.data(), n, mesh.x.data(), mesh.source.data(),
                        mesh.series.data(), m, nullptr, evaluateOnMesh);
    const __float128 pi128 = acosq(-1);
    std::vector<double> reference(m);
    double largest = 0;
    for (int32_t k = 0; k < m; ++k) {
      const __float128 theta = pi128 * (k + 1) / (m + 1), sine = sinq(theta);
      __float128 sum = 0;
      for (int32_t j = 0; j < n; ++j)
        sum += (j % 2 ? -c[j] : c[j]) * sinq((j + 1) * theta) / sine;
      reference[k] = static_cast<double>(sum);
      largest = std::fmax(largest, std::fabs(reference[k]));
    }
    for (int32_t k : {0, 1, m / 3, m - 2, m - 1})
      EXPECT_NEAR(mesh.series[k], reference[k], 32 * eps * largest) << k;
    double worst = 0;
    for (int32_t k = 0; k < m; ++k)
      worst = std::fmax(worst, std::fabs(mesh.series[k] - reference[k]));
    EXPECT_LE(worst, 32 * eps * largest);
  }
}

}  // namespace
