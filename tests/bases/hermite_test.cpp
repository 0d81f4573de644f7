// Hermite functions: spot values with closed forms, nodes and weights against an independent
// long-double recurrence, the fit against direct summation, and edge cases of the node layout.
#include "bases/hermite.h"
#include "bases/interval_map.h"
#include "tests/bases/orthonormal_sums.h"
#include "tests/bases/scaled_fit.h"
#include "tests/bases/test_mesh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace {

#include "references/hermite_references.inc"

constexpr double eps = 2.220446049250313e-16;
constexpr double tight = 16 * eps;
constexpr double loose = 4096 * eps;  // ~1e-12, for sums over a thousand nodes

// Reference: psi_0 .. psi_n at t by the ascending recurrence, all in long double and without
// exponent splitting (long double's range covers |t| < 140).
std::vector<long double> referencePsi(int32_t n, long double t) {
  std::vector<long double> psi(n + 1);
  psi[0] = powl(truePi, -0.25L) * expl(-t * t / 2);
  if (n >= 1) psi[1] = sqrtl(2.0L) * t * psi[0];
  for (int32_t k = 2; k <= n; ++k)
    psi[k] = sqrtl(2.0L / k) * t * psi[k - 1] - sqrtl((k - 1.0L) / k) * psi[k - 2];
  return psi;
}

// Unwritten entries stay not-a-number.
struct NanMesh : Mesh {
  explicit NanMesh(int32_t m) : Mesh(m, NAN) {}
};

long double fitOn(double left, double right, double& beta, std::vector<double>& c, Mesh& mesh,
                  const SourceFn& source, int32_t mode = 3) {
  double alpha = 0;
  return hermiteBasis.fit(left, right, alpha, beta, c.data(), static_cast<int32_t>(c.size()),
                          mesh.x.data(), mesh.source.data(), mesh.series.data(),
                          static_cast<int32_t>(mesh.x.size()), source, mode);
}

TEST(HermiteSpotValues, FunctionsOfLowOrder) {
  const double t = 0.7;
  const long double psi0 = powl(truePi, -0.25L) * expl(-0.245L);
  double out[3];
  hermiteFunctions(3, t, out);
  EXPECT_NEAR(out[0], (double)psi0, tight);
  EXPECT_NEAR(out[1], (double)(sqrtl(2) * 0.7L * psi0), tight);
  EXPECT_NEAR(out[2], (double)((2 * 0.49L - 1) / sqrtl(2) * psi0), tight);
}

TEST(HermiteSpotValues, TwoThreeAndFourNodes) {
  double nodes[3], weights[3];
  gaussHermite(nodes, weights, 2);  // psi_1(1/sqrt 2)^2 = exp(-1/2) / sqrt(pi)
  EXPECT_NEAR(nodes[0], std::sqrt(0.5), tight);
  EXPECT_NEAR(weights[0], std::sqrt(pi) * std::exp(0.5) / 2, tight);

  gaussHermite(nodes, weights, 4);  // roots of 4t^4 - 12t^2 + 3
  EXPECT_NEAR(nodes[0], std::sqrt((3 - std::sqrt(6.0)) / 2), tight);
  EXPECT_NEAR(nodes[1], std::sqrt((3 + std::sqrt(6.0)) / 2), tight);

  // Odd count: the middle root 0 first. Classical weights 2 sqrt(pi)/3 and sqrt(pi)/6 times
  // exp(t t), since these weights belong to functions that carry the Gaussian factor.
  gaussHermite(nodes, weights, 3);
  EXPECT_EQ(nodes[0], 0.0);
  EXPECT_NEAR(nodes[1], std::sqrt(1.5), tight);
  EXPECT_NEAR(weights[0], 2 * std::sqrt(pi) / 3, tight);
  EXPECT_NEAR(weights[1], std::sqrt(pi) / 6 * std::exp(1.5), 4 * tight);
}

TEST(HermiteReference, NodesAndScaledWeightsAgainstMpmath) {
  // References from mpmath (references/hermite_references.py): every positive root for
  // M = 10, 11 and 100, samples at 1000 and 100000. Nodes within 4 units of the last place,
  // the scaled weights W = 2 / psi_M'^2 (what the weights export writes) within 1e-14.
  std::map<int, std::vector<double>> nodes, weights;
  for (const HermiteReference& r : hermiteReferences) {
    if (!nodes.count(r.m)) {
      nodes[r.m].resize(r.m);
      weights[r.m].resize(r.m);
      gaussHermite(nodes[r.m].data(), weights[r.m].data(), r.m);
    }
    const int i = r.m % 2 + r.index;
    const double node = static_cast<double>(r.node);
    EXPECT_LE(std::fabs(nodes[r.m][i] - node), 4 * eps * node) << r.m << " " << r.index;
    EXPECT_LE(fabsl(weights[r.m][i] / r.weight - 1), 1e-14L) << r.m << " " << r.index;
  }
}

TEST(HermiteReference, NodesAndWeightsAtAThousand) {
  const int32_t m = 1000;
  std::vector<double> nodes(m), weights(m);
  gaussHermite(nodes.data(), weights.data(), m);
  long double squares = 0, psi0Squares = 0;
  for (int32_t i = 0; i < m / 2; ++i) {
    ASSERT_TRUE(std::isfinite(nodes[i]));
    if (i > 0) {
      ASSERT_LT(nodes[i - 1], nodes[i]);
    }
    // One long-double Newton step from the node must not move it: psi_M' = sqrt(2M) psi_{M-1}
    // - t psi_M.
    const auto psi = referencePsi(m, nodes[i]);
    const long double slope = sqrtl(2.0L * m) * psi[m - 1] - nodes[i] * psi[m];
    EXPECT_LT(fabsl(psi[m] / slope), 4 * eps * nodes[i]) << "node " << i;
    const long double weight = 1 / (m * psi[m - 1] * psi[m - 1]);
    EXPECT_NEAR(weights[i] / weight, 1.0, loose) << "weight " << i;
    squares += (long double)nodes[i] * nodes[i];
    psi0Squares += weights[i] * psi[0] * psi[0];
  }
  // The squares of all roots of H_M sum to the trace of the squared Jacobi matrix, M(M-1)/2.
  EXPECT_NEAR((double)(2 * squares), m * (m - 1) / 2.0, m * m * tight);
  EXPECT_NEAR((double)(2 * psi0Squares), 1.0, loose);
}

TEST(HermiteReference, NodesAndWeightsAtAMillion) {
  // A million nodes, checked at samples from the middle to the outermost: psi_M and psi_{M-1}
  // by the long-double recurrence, one Newton step must not move a node by more than 4 units
  // of its last place. Near the middle the weight must be 1 / (M psi_{M-1}^2) to 1e-14 (further
  // out this recurrence alone drifts by up to 1e-11 already at 10^5, where the mpmath table
  // checks the weights). The weights times psi_0^2 sum to 1 over all nodes and their mirrors,
  // the squares of the nodes to M (M - 1) / 2.
  const int32_t m = 1000000, k = m / 2;
  std::vector<double> nodes(k), weights(k);
  gaussHermite(nodes.data(), weights.data(), m);
  for (int32_t i : {0, 1, 2, 1000, 123456, 250000, 400000, k - 100, k - 10, k - 2, k - 1}) {
    // The recurrence from psi_0 = 1, rescaled by 2^-4096 past 2^4096; the factor
    // pi^(-1/4) e^(-t t / 2) 2^exponent is applied at the end, e^(-t t) as 2^-q e^-r with
    // t t exact in two parts and ln 2 in two parts (q times the first is exact).
    const long double t = nodes[i];
    long double previous = 0, current = 1;
    int64_t exponent = 0;
    for (int32_t j = 1; j <= m; ++j) {
      const long double next = sqrtl(2.0L / j) * t * current - sqrtl((j - 1.0L) / j) * previous;
      previous = current;
      current = next;
      if (fabsl(current) > 0x1p4096L)
        current *= 0x1p-4096L, previous *= 0x1p-4096L, exponent += 4096;
    }
    const long double slope = sqrtl(2.0L * m) * previous - t * current;
    EXPECT_LE(fabsl(current / slope), 4 * eps * t) << "node " << i;
    const long double square = t * t, squareLow = fmal(t, t, -square);
    const long double q = nearbyintl(square / logl(2.0L));
    const long double r =
        (square - q * 0x1.62e42fefa3p-1L) - q * 2.8235290563031577122588448175e-13L + squareLow;
    const long double product =
        ldexpl(weights[i] * m * previous * previous * expl(-r) / sqrtl(truePi),
               static_cast<int>(2 * exponent - q));
    if (i <= 1000) {
      EXPECT_LE(fabsl(product - 1), 1e-14L) << "weight " << i;
    }
  }
  long double squares = 0, psi0Squares = 0;
  for (int32_t i = 0; i < k; ++i) {
    const long double t = nodes[i];
    squares += t * t;
    psi0Squares += weights[i] * expl(-t * t) / sqrtl(truePi);
  }
  EXPECT_LE(fabsl(2 * squares / (m * (m - 1.0L) / 2) - 1), 1e-15L);
  EXPECT_LE(fabsl(2 * psi0Squares - 1), 1e-14L);
}

TEST(HermiteReference, FunctionsAtHighOrderAndFarOut) {
  // Far out the Gaussian factor alone underflows a double (exp(-t t / 2) ~ 1e-1759 at t = 90)
  // while psi_n does not; every value must still match to a few units of the last place.
  const int32_t n = 3000;
  std::vector<double> out(n + 1);
  for (double t : {0.3, 17.0, std::sqrt(2.0 * n + 1), 90.0}) {
    hermiteFunctions(n + 1, t, out.data());
    const auto reference = referencePsi(n, t);
    for (int32_t k : {0, 1, 7, 500, 2999, 3000}) {
      const long double expected = reference[k];
      if (fabsl(expected) < 1e-290L) {
        EXPECT_LT(std::fabs(out[k]), 1e-280) << t << " " << k;
        continue;
      }
      EXPECT_NEAR(out[k] / expected, 1.0, 1e-12) << t << " " << k;
    }
  }
}

TEST(HermiteFit, CoefficientsMatchDirectSummation) {
  // Reference: c_j = sum over all 2K nodes of W f psi_j, with psi from the long-double
  // recurrence and f at the same mesh abscissae.
  const int32_t m = 1000, n = 100;
  NanMesh mesh(m);
  std::vector<double> c(n);
  double beta = 0;
  auto f = [](double x) {
    return (long double)(std::exp(-0.3 * (x - 1.5) * (x - 1.5)) * std::cos(x));
  };
  fitOn(-2, 6, beta, c, mesh, f);
  std::vector<double> nodes(m), weights(m);
  gaussHermite(nodes.data(), weights.data(), m);
  std::vector<long double> reference(n, 0.0L);
  for (int32_t i = 0; i < m / 2; ++i) {
    const auto psi = referencePsi(n, nodes[i]);
    const long double plus = f(mesh.x[m / 2 + i]), minus = f(mesh.x[m / 2 - 1 - i]);
    for (int32_t j = 0; j < n; ++j)
      reference[j] += weights[i] * psi[j] * (plus + (j % 2 ? -minus : minus));
  }
  for (int32_t j = 0; j < n; ++j)
    EXPECT_NEAR(c[j], (double)reference[j], loose) << "j = " << j;
}

// Long-double direct sums over all M nodes (mirrored ones at -z) from the values the fit
// sampled, with psi from the long-double recurrence.
DirectSums directSums(const std::vector<double>& f, int32_t n) {
  const int32_t m = static_cast<int32_t>(f.size()), k = m / 2, first = m % 2;
  std::vector<double> nodes(k + first), weights(k + first);
  gaussHermite(nodes.data(), weights.data(), m);
  std::vector<long double> t(m), w(m);  // per mesh entry
  for (int32_t i = 0; i < k; ++i) {
    t[m - k + i] = nodes[first + i], w[m - k + i] = weights[first + i];
    t[k - 1 - i] = -(long double)nodes[first + i], w[k - 1 - i] = weights[first + i];
  }
  if (first) t[k] = 0, w[k] = weights[0];
  return orthonormalSums(f, w, n,
                         [&](int32_t i, int32_t count) { return referencePsi(count - 1, t[i]); });
}

TEST(HermiteFit, CoefficientsAndMeshValuesMatchLongDoubleSums) {
  expectFitsMatchDirectSums(hermiteBasis, directSums);
}

TEST(HermiteFit, TinyAndHugeSourcesScaleTheWholeFit) {
  // Far nodes meet factors near the bottom of the double range.
  expectFitsScaleWithTheSource(hermiteBasis, -5, 5, 0, 1000, 100, [](double x) {
    return (long double)(std::exp(-0.2 * x * x) * std::sin(2 * x));
  });
}

TEST(HermiteFit, AutomaticScaleSpansTheInterval) {
  NanMesh mesh(200);
  std::vector<double> c(6);
  double beta = 0;
  long double figure =
      fitOn(1, 5, beta, c, mesh, [&](double x) { return referencePsi(0, (x - 3) * beta)[0]; });
  std::vector<double> nodes(200), weights(200);
  gaussHermite(nodes.data(), weights.data(), 200);
  EXPECT_EQ(beta, nodes[99] / 2);
  EXPECT_NEAR(mesh.x[0], 1.0, tight);
  EXPECT_NEAR(mesh.x[199], 5.0, tight);
  EXPECT_NEAR(c[0], 1.0, loose);
  for (int j = 1; j < 6; ++j)
    EXPECT_NEAR(c[j], 0.0, loose);
  EXPECT_NEAR((double)figure, 0.0, loose);
  for (int i = 0; i < 200; ++i)
    EXPECT_NEAR(mesh.series[i], mesh.source[i], loose);
}

TEST(HermiteFit, ParityOfTheSourceSelectsTheCoefficients) {
  NanMesh mesh(64);
  std::vector<double> c(8);
  double beta = 1.5;
  fitOn(-1, 3, beta, c, mesh, [](double x) { return (long double)std::exp(-(x - 1) * (x - 1)); });
  for (int j = 1; j < 8; j += 2)
    EXPECT_NEAR(c[j], 0.0, tight);
  fitOn(-1, 3, beta, c, mesh,
        [](double x) { return (long double)(x - 1) * std::exp(-(x - 1) * (x - 1)); });
  for (int j = 0; j < 8; j += 2)
    EXPECT_NEAR(c[j], 0.0, tight);
  EXPECT_EQ(beta, 1.5);
}

TEST(HermiteFit, OddCountWritesEveryEntry) {
  for (int32_t m : {1, 3, 7, 101}) {
    NanMesh mesh(m);
    std::vector<double> c(m);
    double beta = 0;
    fitOn(0, 2, beta, c, mesh, [](double x) { return (long double)x * x; });
    EXPECT_EQ(mesh.x[m / 2], 1.0);
    for (int32_t i = 0; i < m; ++i) {
      ASSERT_TRUE(std::isfinite(mesh.x[i]) && std::isfinite(mesh.series[i])) << m << " " << i;
      if (i > 0) {
        EXPECT_LT(mesh.x[i - 1], mesh.x[i]);
      }
    }
    // N = M: the series interpolates the source on the mesh.
    for (int32_t i = 0; i < m; ++i)
      EXPECT_NEAR(mesh.series[i], mesh.source[i], 64 * loose);
  }
}

TEST(HermiteFit, NodesAscendForManyCounts) {
  std::vector<int32_t> counts;
  for (int32_t m = 1; m <= 160; ++m)
    counts.push_back(m);
  for (int32_t m : {1001, 4096, 20001, 200000})
    counts.push_back(m);
  for (int32_t m : counts) {
    std::vector<double> nodes(m), weights(m);
    gaussHermite(nodes.data(), weights.data(), m);
    for (int32_t i = 0; i < (m + 1) / 2; ++i) {
      ASSERT_TRUE(std::isfinite(nodes[i]) && weights[i] > 0) << m << " " << i;
      if (i > 0) {
        ASSERT_LT(nodes[i - 1], nodes[i]) << m << " " << i;
      }
    }
  }
}

TEST(HermiteSeries, EvaluateDifferentiateIntegrate) {
  const BasisOps& ops = hermiteBasis;
  const double beta = 1.7, left = -1, right = 5;  // mid 2
  const double one[] = {1};
  double d[2] = {};
  ops.differentiate(left, right, 0, beta, one, d, 1);
  EXPECT_EQ(d[0], 0.0);
  EXPECT_NEAR(d[1], -beta * std::sqrt(0.5), tight);

  // Derivative against central differences of evaluate.
  const std::vector<double> c = {0.4, -1.1, 0.7, 0.25, -0.6, 0.3};
  std::vector<double> dc(7, 0.0);
  ops.differentiate(left, right, 0, beta, c.data(), dc.data(), 6);
  for (double x : {0.3, 2.0, 2.9}) {
    const double h = 1e-5;
    const long double fd = (ops.evaluate(left, right, 0, beta, c.data(), 6, x + h) -
                            ops.evaluate(left, right, 0, beta, c.data(), 6, x - h)) /
                           (2 * h);
    EXPECT_NEAR((double)ops.evaluate(left, right, 0, beta, dc.data(), 7, x), (double)fd, 1e-8);
  }
  // Odd functions vanish at the centre.
  EXPECT_NEAR((double)ops.evaluate(left, right, 0, beta, c.data(), 6, 2.0),
              (double)(0.4L * referencePsi(4, 0)[0] + 0.7L * referencePsi(4, 0)[2] -
                       0.6L * referencePsi(4, 0)[4]),
              tight);

  // Integral over the line against the trapezoidal rule, spectrally accurate for functions
  // that decay like a Gaussian.
  long double trapezoid = 0;
  const double h = 0.01;
  for (int i = -4000; i <= 4000; ++i)
    trapezoid += ops.evaluate(left, right, 0, beta, c.data(), 6, 2 + i * h);
  EXPECT_NEAR((double)ops.integrate(left, right, 0, beta, c.data(), 6), (double)(trapezoid * h),
              loose);
}

TEST(HermiteSeries, ManyAbscissaeMatchTheLongDoubleSeries) {
  // Abscissae in no order, near and far (where every term is below the range of doubles),
  // a count that fills no whole block, and a not-a-number.
  const double left = -1, right = 5, beta = 1.3;  // mid 2
  std::vector<double> c(300);
  for (size_t j = 0; j < c.size(); ++j)
    c[j] = std::cos(0.37 * j) / (1 + 0.01 * j);
  std::vector<double> x;
  for (int i = 0; i < 37; ++i)
    x.push_back(2 + (i % 2 ? -1 : 1) * 0.41 * i);
  for (double far : {-40.0, 60.0, 1e6, 1e200, -1e300})
    x.push_back(far);
  x.push_back(NAN);
  std::vector<double> values(x.size());
  hermiteBasis.evaluateMany(left, right, 0, beta, c.data(), 300, x.data(), values.data(),
                            static_cast<int32_t>(x.size()));
  long double size = 0;
  for (double v : c)
    size = std::max<long double>(size, std::fabs(v));
  for (size_t i = 0; i + 1 < x.size(); ++i) {
    const long double t = (x[i] - 2.0) * beta;
    long double expected = 0;
    if (fabsl(t) < 100) {
      const auto psi = referencePsi(299, t);
      for (int j = 0; j < 300; ++j)
        expected += c[j] * psi[j];
    }
    EXPECT_NEAR(values[i], (double)expected, 1e-14 * (double)size) << "x = " << x[i];
  }
  EXPECT_TRUE(std::isnan(values.back()));
}

TEST(HermiteFit, LargeMeshAgreesWithTheSeriesEvaluatedThere) {
  // 10^5 nodes reach t = 447, where all of the first 1000 functions are far below the range of
  // doubles: the projections skip them, their mesh values are 0 as the series is there.
  const int32_t m = 100000, n = 1000;
  Mesh mesh(m, NAN);
  std::vector<double> c(n);
  double beta = 0;
  fitOn(-4, 4, beta, c, mesh, [](double x) { return (long double)(std::exp(-x * x) * (1 + x)); });
  for (int32_t i : {0, 100, 30000, 49999, 50000, 51234, 70000, m - 1}) {
    const double x = mesh.x[i];
    EXPECT_NEAR(mesh.series[i], (double)hermiteBasis.evaluate(-4, 4, 0, beta, c.data(), n, x),
                1e-13)
        << "node " << i;
  }
  EXPECT_EQ(mesh.series[0], 0.0);
}

TEST(HermiteBadInput, NotANumberScaleIsLeftAlone) {
  NanMesh mesh(4);
  std::vector<double> c(2);
  double beta = NAN;
  fitOn(0, 1, beta, c, mesh, [](double) { return 1.0L; });
  EXPECT_TRUE(std::isnan(beta));
  EXPECT_EQ(hermiteBasis.evaluate(0, 1, 0, 1, c.data(), 0, 0.5), 0.0L);
  // A negative scale mirrors the functions: psi_1 changes sign.
  const double psi1[] = {0, 1};
  EXPECT_EQ(hermiteBasis.evaluate(0, 2, 0, -1, psi1, 2, 1.5),
            -hermiteBasis.evaluate(0, 2, 0, 1, psi1, 2, 1.5));
  NanMesh none(0);
  double scale = 0;
  EXPECT_EQ(fitOn(0, 1, scale, c, none, [](double) { return 1.0L; }), 0.0L);
  EXPECT_EQ(scale, 0.0);
}

}  // namespace
