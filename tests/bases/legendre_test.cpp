// Legendre polynomials: spot values with exact answers, nodes and weights against mpmath
// (references/legendre_references.py wrote the table), coefficients against direct summation
// in long double on nodes of a Newton iteration of our own, the derivative and integral against
// finite differences and Simpson's rule over `evaluate`, and edge cases of the node layout and the
// modes.
#include "bases/legendre.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "bases/interval_map.h"
#include "bases/legendre_lanes.h"
#include "bases/vector_target.h"
#include "tests/bases/recurrence_sums.h"
#include "tests/bases/test_mesh.h"

namespace {

#include "references/legendre_references.inc"

constexpr double eps = 2.220446049250313e-16;
constexpr double tolerance = 64 * eps;

long double fitOn(double left, double right, std::vector<double>& c, Mesh& mesh,
                  const SourceFn& source, int32_t mode = 3) {
  double alpha = 0, beta = 0;
  return fitWith(legendreBasis, left, right, alpha, beta, c, mesh, source, mode);
}

long double evaluate(const std::vector<double>& c, double left, double right, double x) {
  return legendreBasis.evaluate(left, right, 0, 0, c.data(), static_cast<int32_t>(c.size()), x);
}

// P_n and P_{n-1} in long double.
void legendrePair(int32_t n, long double t, long double& p, long double& q) {
  p = 1, q = 0;
  for (int32_t k = 1; k <= n; ++k) {
    const long double next = ((2 * k - 1) * t * p - (k - 1) * q) / k;
    q = p, p = next;
  }
}

// The ascending Gauss-Legendre nodes and weights by Newton's method in long double, with the
// weight 2 / ((1 - z z) P_M'(z)^2). (The form through P_{M-1}(z) alone loses ~M^2 units of
// the last place near t = 1 even in long double; the derivative's form cancels that error.)
void referenceNodes(int32_t m, std::vector<long double>& t, std::vector<long double>& w) {
  t.assign(m, 0), w.assign(m, 0);
  for (int32_t i = 1; i <= (m + 1) / 2; ++i) {
    long double z = cosl(truePi * (i - 0.25L) / (m + 0.5L)), p, q;
    for (int it = 0; it < 8; ++it) {
      legendrePair(m, z, p, q);
      z -= p * (z * z - 1) / (m * (z * p - q));
    }
    if (2 * i - 1 == m) z = 0;
    legendrePair(m, z, p, q);
    t[m - i] = z, t[i - 1] = -z;
    const long double slope = m * (z * p - q) / (z * z - 1);
    w[m - i] = w[i - 1] = 2 / ((1 - z * z) * slope * slope);
  }
}

// --- spot values with exact answers

TEST(LegendreQuadrature, TwoAndThreeNodes) {
  double nodes[3], weights[3];
  gaussLegendre(nodes, weights, 2);
  EXPECT_NEAR(nodes[0], -1 / std::sqrt(3.0), tolerance);
  EXPECT_NEAR(nodes[1], 1 / std::sqrt(3.0), tolerance);
  EXPECT_NEAR(weights[0], 1.0, tolerance);
  EXPECT_NEAR(weights[1], 1.0, tolerance);

  // An odd count writes the middle node: -sqrt(3/5), 0, sqrt(3/5) with 5/9, 8/9, 5/9.
  gaussLegendre(nodes, weights, 3);
  EXPECT_NEAR(nodes[0], -std::sqrt(0.6), tolerance);
  EXPECT_EQ(nodes[1], 0.0);
  EXPECT_NEAR(nodes[2], std::sqrt(0.6), tolerance);
  EXPECT_NEAR(weights[0], 5.0 / 9, tolerance);
  EXPECT_NEAR(weights[1], 8.0 / 9, tolerance);
  EXPECT_NEAR(weights[2], 5.0 / 9, tolerance);
}

TEST(LegendreSeries, SpotValues) {
  EXPECT_EQ(legendreValue(2, 0.5), -0.125);
  EXPECT_EQ(legendreValue(3, 1.0), 1.0);
  EXPECT_EQ(legendreValue(0, 0.3), 1.0);
  EXPECT_EQ(legendreValue(-1, 0.3), 1.0);

  const std::vector<double> c = {1, 2, 3, 4};
  EXPECT_NEAR((double)evaluate(c, 2, 6, 6), 10.0, tolerance);  // t = 1: the sum
  EXPECT_NEAR((double)evaluate(c, 2, 6, 2), -2.0, tolerance);  // t = -1: alternating
  EXPECT_NEAR((double)evaluate(c, 2, 6, 4), 1 - 1.5, tolerance);
  EXPECT_EQ(legendreBasis.evaluate(0, 1, 0, 0, c.data(), 0, 0.5), 0.0L);
  EXPECT_EQ(evaluate({7}, 0, 1, 123.0), 7.0);

  // dP_2/dt = 3t = 3 P_1; on [0, 4] dt/dx = 1/2. N = 1 gives the single coefficient 0.
  const double p2[] = {0, 0, 1};
  double d[4] = {9, 9, 9, 0};
  legendreBasis.differentiate(-1, 1, 0, 0, p2, d, 3);
  EXPECT_EQ(d[0], 0.0);
  EXPECT_EQ(d[1], 3.0);
  EXPECT_EQ(d[2], 0.0);
  legendreBasis.differentiate(0, 4, 0, 0, p2, d, 3);
  EXPECT_EQ(d[1], 1.5);
  legendreBasis.differentiate(0, 4, 0, 0, p2, d, 1);
  EXPECT_EQ(d[0], 0.0);

  const double two[] = {2, 5, 7};
  EXPECT_NEAR((double)legendreBasis.integrate(0, 2, 0, 0, two, 3), 4.0, tolerance);
}

// --- references computed independently

// Nodes within 2 units of their last place (the node 0 exactly), weights within one unit,
// against mpmath at 32 digits: every non-negative node at M = 10, 60, 61, 90 to 101 (the
// recurrence finder, whose weights were 14 units off before their long-double evaluation at
// the root), 119, 120 and 121 (where the expansion takes over) and 1000, a sample at 10^5 and
// 10^6 + 1 (both sides of the expansion's switch from alpha to pi/2 - alpha at 10^5).
TEST(LegendreQuadrature, MatchesMpmathOnBothSidesOfTheAsymptoticThreshold) {
  constexpr double nodeUlps = 2, weightTolerance = eps;
  std::vector<double> nodes, weights;
  int32_t built = 0;
  for (const auto& r : legendreReferences) {
    if (r.m != built) {
      nodes.assign(r.m, NAN), weights.assign(r.m, NAN);
      gaussLegendre(nodes.data(), weights.data(), built = r.m);
    }
    const double node = nodes[r.m - r.k], expected = static_cast<double>(r.node);
    if (expected == 0) {
      EXPECT_EQ(node, 0.0) << "M = " << r.m;
    } else {
      const double ulp = std::nextafter(expected, 2.0) - expected;
      EXPECT_LE(std::fabs(node - expected), nodeUlps * ulp) << "M = " << r.m << ", k = " << r.k;
    }
    EXPECT_LE(std::fabs(weights[r.m - r.k] / r.weight - 1), weightTolerance)
        << "M = " << r.m << ", k = " << r.k;
  }
}

// The expansion's kernel forms its angles with error-free products and no fused operations, so
// every vector target gives the bits of the portable one (whose values the table above checks).
TEST(LegendreQuadrature, EveryVectorTargetGivesTheSameExpansion) {
  for (int32_t m : {120, 1001, 100000}) {
    const int32_t roots = (m + 1) / 2;
    std::vector<double> nodes(m), weights(m), portableNodes(m), portableWeights(m);
    legendreAsymptoticLanes(m, 1, roots, portableNodes.data(), portableWeights.data(),
                            VectorTarget::portable);
    for (VectorTarget target : availableVectorTargets()) {
      legendreAsymptoticLanes(m, 1, roots, nodes.data(), weights.data(), target);
      EXPECT_EQ(nodes, portableNodes) << vectorTargetName(target) << " M = " << m;
      EXPECT_EQ(weights, portableWeights) << vectorTargetName(target) << " M = " << m;
    }
  }
}

TEST(LegendreFit, CoefficientsMatchDirectSummation) {
  // c_k = (2k + 1)/2 sum_i w_i f(t_i) P_k(t_i), on the long double reference nodes.
  const int32_t m = 1000, n = 100;
  const double left = 0.5, right = 3.0;
  auto f = [](double x) { return (long double)std::exp(-x) * std::sin(3 * x); };
  Mesh mesh(m);
  std::vector<double> c(n);
  fitOn(left, right, c, mesh, f);
  std::vector<long double> t, w, sum(n, 0.0L);
  referenceNodes(m, t, w);
  for (int32_t i = 0; i < m; ++i) {
    const long double x = (right + left) / 2.0L + (right - left) / 2.0L * t[i];
    const long double u = w[i] * expl(-x) * sinl(3 * x);
    long double p = 1, q = 0;
    for (int32_t k = 0; k < n; ++k) {
      sum[k] += u * p;
      const long double next = ((2 * k + 1) * t[i] * p - k * q) / (k + 1);
      q = p, p = next;
    }
  }
  for (int32_t k = 0; k < n; ++k)
    EXPECT_NEAR(c[k], (double)((2 * k + 1) * sum[k] / 2), 1e-13) << "k = " << k;
  for (int32_t i = 0; i < m; ++i)
    EXPECT_NEAR(mesh.series[i], (double)f(mesh.x[i]), 1e-13);
}

TEST(LegendreSeries, DerivativeAndIntegralMatchEvaluate) {
  const std::vector<double> c = {0.3, -1.2, 0.7, 0.25, -0.5, 0.125};
  const double left = 1, right = 4;
  std::vector<double> d(7, 0.0);
  legendreBasis.differentiate(left, right, 0, 0, c.data(), d.data(), 6);
  EXPECT_EQ(d[5], 0.0);
  EXPECT_EQ(d[6], 0.0);
  // Central differences of order four with step 1e-3: error far below 1e-9 here.
  const double h = 1e-3;
  for (double x : {1.0, 1.7, 2.5, 3.9, 4.5}) {
    auto s = [&](double y) { return evaluate(c, left, right, y); };
    const long double fd = (8 * (s(x + h) - s(x - h)) - (s(x + 2 * h) - s(x - 2 * h))) / (12 * h);
    EXPECT_NEAR((double)evaluate(d, left, right, x), (double)fd, 1e-9);
  }
  // Simpson's rule on 20000 cells: exact to about 1e-15 for this degree-5 series.
  const int cells = 20000;
  const long double h2 = (right - left) / (long double)cells;
  long double sum = 0;
  for (int k = 0; k <= cells; ++k)
    sum += evaluate(c, left, right, left + k * h2) * (k == 0 || k == cells ? 1 : (k % 2 ? 4 : 2));
  EXPECT_NEAR((double)legendreBasis.integrate(left, right, 0, 0, c.data(), 6),
              (double)(sum * h2 / 3), 1e-13);
}

// --- edge cases

TEST(LegendreQuadrature, LargerCountsStayAscendingSymmetricAndExact) {
  // Odd and even counts on both sides of the asymptotic threshold: ascending without repeats,
  // mirrored exactly, finite, and the rule integrates t^10 exactly.
  for (int32_t m : {7, 64, 98, 99, 100, 101, 102, 119, 120, 121, 3001, 1000000}) {
    std::vector<double> nodes(m, NAN), weights(m, NAN);
    gaussLegendre(nodes.data(), weights.data(), m);
    long double sum = 0, moment = 0;
    for (int32_t k = 0; k < m; ++k) {
      ASSERT_TRUE(std::isfinite(nodes[k]) && std::isfinite(weights[k])) << m << " " << k;
      ASSERT_EQ(nodes[k], -nodes[m - 1 - k]) << m << " " << k;
      ASSERT_EQ(weights[k], weights[m - 1 - k]) << m << " " << k;
      if (k > 0) {
        ASSERT_LT(nodes[k - 1], nodes[k]) << m << " " << k;
      }
      sum += weights[k];
      const long double t2 = (long double)nodes[k] * nodes[k], t4 = t2 * t2;
      moment += weights[k] * t4 * t4 * t2;
    }
    EXPECT_NEAR((double)sum, 2.0, tolerance);
    EXPECT_NEAR((double)moment, 2.0 / 11, tolerance);
  }
}

TEST(LegendreFit, ConstantZeroAndOddCounts) {
  Mesh mesh(100);
  std::vector<double> c(10);
  long double figure = fitOn(3, 7, c, mesh, [](double) { return 2.5L; });
  EXPECT_NEAR(c[0], 2.5, tolerance);
  for (int k = 1; k < 10; ++k)
    EXPECT_NEAR(c[k], 0.0, tolerance);
  EXPECT_NEAR((double)figure, 0.0, tolerance);
  for (double v : mesh.series)
    EXPECT_NEAR(v, 2.5, tolerance);

  figure = fitOn(3, 7, c, mesh, [](double) { return 0.0L; });
  EXPECT_EQ(c, std::vector<double>(10, 0.0));
  EXPECT_EQ(figure, 0.0L);

  // Five nodes, the middle one included, reproduce a quartic.
  Mesh five(5);
  std::vector<double> k(5);
  auto f = [](double x) { return (long double)(x * x * x * x - 2 * x + 1); };
  figure = fitOn(-1, 1, k, five, f);
  EXPECT_EQ(five.x[2], 0.0);
  EXPECT_NEAR((double)figure, 0.0, tolerance);
  for (int i = 0; i < 5; ++i)
    EXPECT_NEAR(five.series[i], (double)f(five.x[i]), tolerance);
}

}  // namespace

namespace {

const LongDoubleFamily legendre{[](int32_t k, long double x, long double p1, long double p2) {
                                  return ((2 * k - 1) * x * p1 - (k - 1) * p2) / k;
                                },
                                [](int32_t k) { return 2.0L / (2 * k + 1); }};

std::vector<double> legendreNodes(int32_t m, std::vector<double>* weights = nullptr) {
  std::vector<double> t(m), w(m);
  gaussLegendre(t.data(), w.data(), m);
  if (weights) *weights = w;
  return t;
}

DirectSums legendreSums(const std::vector<double>& f, int32_t n) {
  std::vector<double> w;
  const std::vector<double> t = legendreNodes(static_cast<int32_t>(f.size()), &w);
  return recurrenceSums(t, w, f, n, legendre);
}

std::vector<long double> legendreSeriesSums(const std::vector<double>& c, int32_t m) {
  return recurrenceSeries(legendreNodes(m), {c.begin(), c.end()}, legendre);
}

// Within 1e-14 at every count with fused multiply-adds; the portable build without them
// reaches 1.05e-14 at N = M = 1001.
constexpr double legendreTolerance = 2e-14;
TEST(LegendreFit, CoefficientsAndMeshValuesMatchLongDoubleSums) {
  expectFitsMatchDirectSums(legendreBasis, legendreSums, nullptr, 0, 0, legendreTolerance,
                            legendreSeriesSums);
}

}  // namespace
