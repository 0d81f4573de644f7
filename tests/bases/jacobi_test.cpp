// Jacobi polynomials: spot values with exact answers, node sets against an independent
// extended-precision reference, the series operations against the explicit sum formula of
// P_n^(alpha,beta), edge cases of the root finder, and exponents outside the domain.
#include "bases/jacobi.h"

#include <gtest/gtest.h>
#include <quadmath.h>

#include <cmath>
#include <map>
#include <tuple>
#include <vector>

#include "bases/interval_map.h"
#include "tests/bases/recurrence_sums.h"
#include "tests/bases/test_mesh.h"

namespace {

#include "references/jacobi_references.inc"

using ld = long double;
constexpr double epsilon = 2.220446049250313e-16;
constexpr double tight = 16 * epsilon;
constexpr double loose = 4096 * epsilon;  // about 1e-12
// Weights and squared norms against the Christoffel sums below, whose roots are polished in x in
// long double: near the ends 1 - x keeps only ~1e-19 / (1 - x) of its digits (~1e-13 for the
// outermost of 4000 nodes). The mpmath references check the weights to 1e-14.
constexpr double gammaLimited = 2048 * epsilon;

// Independent reference: the explicit sum
//   P_n(t) = sum_s C(n + a, n - s) C(n + b, s) ((t - 1) / 2)^s ((t + 1) / 2)^(n - s),
// with the binomials from lgammal (as real-argument binomials, signs included).
ld binomial(ld top, int k) {
  ld product = 1;
  for (int i = 1; i <= k; ++i)
    product *= (top - k + i) / i;
  return product;
}
ld explicitJacobi(int n, ld a, ld b, ld t) {
  ld sum = 0;
  for (int s = 0; s <= n; ++s)
    sum += binomial(n + a, n - s) * binomial(n + b, s) * powl((t - 1) / 2, s) *
           powl((t + 1) / 2, n - s);
  return sum;
}
ld explicitSeries(const std::vector<double>& c, ld a, ld b, ld t) {
  ld sum = 0;
  for (size_t k = 0; k < c.size(); ++k)
    sum += c[k] * explicitJacobi(int(k), a, b, t);
  return sum;
}

// Reference node set: each node polished by extended-precision Newton on the explicit P_n;
// each weight from the Christoffel sum 1 / sum_j P_j(t)^2 / h_j with lgammal norms.
ld squaredNorm(int j, ld a, ld b) {
  const ld ab = a + b;
  if (j == 0)
    return expl((ab + 1) * logl(2.0L) + lgammal(a + 1) + lgammal(b + 1) - lgammal(ab + 2));
  return expl((ab + 1) * logl(2.0L) + lgammal(j + a + 1) + lgammal(j + b + 1) - lgammal(j + 1.0L) -
              lgammal(j + ab + 1)) /
         (2 * j + ab + 1);
}
void expectMatchesReference(int n, double a, double b, int stride = 1) {
  std::vector<double> t(n), w(n);
  gaussJacobi(t.data(), w.data(), n, a, b);
  for (int i = 1; i < n; ++i)
    ASSERT_LT(t[i - 1], t[i]);
  // Recurrence in extended precision, independent of the basis's own routines.
  auto values = [&](ld z, std::vector<ld>& p) {
    p.assign(n + 1, 0);
    p[0] = 1;
    p[1] = ((a + b + 2) * z + a - b) / 2;
    for (int j = 2; j <= n; ++j) {
      const ld temp = 2.0L * j + a + b;
      p[j] = ((temp - 1) * (ld(a) * a - ld(b) * b + temp * (temp - 2) * z) * p[j - 1] -
              2 * (j - 1 + ld(a)) * (j - 1 + ld(b)) * temp * p[j - 2]) /
             (2.0L * j * (j + a + b) * (temp - 2));
    }
  };
  std::vector<ld> norms(n), p;
  for (int j = 0; j < n; ++j)
    norms[j] = squaredNorm(j, a, b);
  for (int i = 0; i < n; ++i) {
    if (i >= 3 && i < n - 3 && i % stride != 0) continue;  // always the outermost nodes
    ld z = t[i];
    for (int step = 0; step < 3; ++step) {
      const ld h = 1e-7L * (1 - fabsl(z));
      values(z, p);
      const ld f = p[n];
      values(z + h, p);
      const ld fh = p[n];
      values(z - h, p);
      z -= f / ((fh - p[n]) / (2 * h));
    }
    EXPECT_LT(fabsl(t[i] - z), 2 * epsilon * fmaxl(fabsl(z), 1e-3L)) << "node " << i;
    values(z, p);
    ld christoffel = 0;
    for (int j = 0; j < n; ++j)
      christoffel += p[j] * p[j] / norms[j];
    EXPECT_LT(fabsl(w[i] * christoffel - 1), gammaLimited) << "weight " << i;
  }
}

long double fitOn(double left, double right, double alpha, double beta, std::vector<double>& c,
                  Mesh& mesh, const SourceFn& source, int32_t mode = 3) {
  return jacobiBasis.fit(left, right, alpha, beta, c.data(), static_cast<int32_t>(c.size()),
                         mesh.x.data(), mesh.source.data(), mesh.series.data(),
                         static_cast<int32_t>(mesh.x.size()), source, mode);
}

// --- spot values ---------------------------------------------------------------------------

TEST(JacobiQuadratureSpot, LegendreCaseOnTwoNodes) {
  double t[2], w[2];
  gaussJacobi(t, w, 2, 0, 0);
  EXPECT_NEAR(t[0], -1 / std::sqrt(3.0), tight);
  EXPECT_NEAR(t[1], 1 / std::sqrt(3.0), tight);
  EXPECT_NEAR(w[0], 1.0, 64 * epsilon);
  EXPECT_NEAR(w[1], 1.0, 64 * epsilon);
}

TEST(JacobiQuadratureSpot, ChebyshevCaseOnThreeNodes) {
  double t[3], w[3];
  gaussJacobi(t, w, 3, -0.5, -0.5);
  EXPECT_NEAR(t[0], -std::cos(pi / 6), tight);
  EXPECT_NEAR(t[1], 0.0, tight);
  EXPECT_NEAR(t[2], std::cos(pi / 6), tight);
  for (double weight : w)
    EXPECT_NEAR(weight, pi / 3, 1e-13);
}

TEST(JacobiQuadratureSpot, SymmetricExponentsGiveSymmetricNodes) {
  double t[4], w[4];
  gaussJacobi(t, w, 4, 1, 1);
  EXPECT_NEAR(t[0], -t[3], tight);
  EXPECT_NEAR(t[1], -t[2], tight);
  EXPECT_NEAR(w[0] + w[1] + w[2] + w[3], 4.0 / 3, 1e-13);
}

// --- node sets against the extended-precision reference ------------------------------------

TEST(JacobiQuadratureReference, NodesAndWeightsAgainstMpmath) {
  // References from mpmath (references/jacobi_references.py): every node for n = 10 and 100,
  // samples at 1000 and 100000 that take in the outermost nodes. Nodes within 4 units of the
  // last place, weights within 1e-14.
  std::map<std::tuple<int, double, double>, std::pair<std::vector<double>, std::vector<double>>>
      sets;
  for (const JacobiReference& r : jacobiReferences) {
    auto& [t, w] = sets[{r.n, r.alpha, r.beta}];
    if (t.empty()) {
      t.resize(r.n);
      w.resize(r.n);
      gaussJacobi(t.data(), w.data(), r.n, r.alpha, r.beta);
    }
    const double node = static_cast<double>(r.node);
    EXPECT_LE(std::fabs(t[r.index] - node), 4 * epsilon * std::fabs(node))
        << r.n << " " << r.alpha << " " << r.beta << " " << r.index;
    EXPECT_LE(fabsl(w[r.index] / r.weight - 1), 1e-14L)
        << r.n << " " << r.alpha << " " << r.beta << " " << r.index;
  }
}

TEST(JacobiQuadratureReference, ThousandNodes) {
  expectMatchesReference(1000, 0, 0);
  expectMatchesReference(1000, 0.5, -0.5);
  expectMatchesReference(1000, 20, 3);
}

TEST(JacobiQuadratureReference, OutermostWeightsOfFourThousandNodes) {
  // Near the ends the nodes crowd to ~1/n^2 of each other: a weight formula that is
  // sensitive to the last bits of the root loses digits there first.
  expectMatchesReference(4000, 0, 0, 97);
}

// Independent reference for the end nodes of large counts: near x = 1, with s = (1 - x) / 2,
//   P_n(1 - 2s) = binomial(n + a, n) sum_k (-n)_k (n + a + b + 1)_k / ((a + 1)_k k!) s^k,
// a Bessel-like series for s ~ 1/n^2 that binary128 sums with ~25 digits to spare. Each root is
// polished by Newton in s from the program's node (1 - x is exact there); its weight is
//   2^(ab+1) Gamma(a+1)^2 n! Gamma(n+b+1) / (Gamma(n+ab+1) Gamma(n+a+1)) / (s (1 - s) F'(s)^2),
// F the sum, with the gammas from lgammaq. The end at -1 is that at +1 with the exponents
// swapped.
struct EndReference {
  __float128 s, weight;
};
EndReference endReference(int n, double alpha, double beta, double sStart) {
  const __float128 a = alpha, b = beta, ab = a + b;
  auto series = [&](__float128 s, __float128& slope) {
    __float128 term = 1, sum = 1;
    slope = 0;
    for (int k = 0; k < 400; ++k) {
      term *= (k - n) * (k + n + ab + 1) * s / ((k + a + 1) * (k + 1));
      sum += term;
      slope += (k + 1) * term / s;
      if (fabsq(term) < __float128(1e-45) * fabsq(sum) && k > 10) break;
    }
    return sum;
  };
  __float128 s = sStart, slope = 0;
  for (int step = 0; step < 8; ++step) {
    const __float128 value = series(s, slope);
    s -= value / slope;
  }
  series(s, slope);
  const __float128 logConstant = (ab + 1) * logq(2) + 2 * lgammaq(a + 1) +
                                 lgammaq(__float128(n) + 1) + lgammaq(n + b + 1) -
                                 lgammaq(n + ab + 1) - lgammaq(n + a + 1);
  return {s, expq(logConstant) / (s * (1 - s) * slope * slope)};
}

TEST(JacobiQuadratureReference, EndNodesOfLargeCountsAgainstBinary128) {
  // The three outermost nodes at each end, which the end recurrence finds (from the roots of a
  // smaller count, scaled) for all these exponents. Nodes to 2 eps, weights to 1e-15. With an
  // exponent long in binary (-0.9, 0.37, 0.71) the recurrence's factors once rounded alike from
  // degree to degree, and the end weights of 10^6 nodes came out 1e-14 to 4e-14 off.
  for (auto [a, b] : {std::pair{0.0, 0.0}, {0.5, -0.5}, {-0.9, 2.5}, {5.0, 5.0}, {0.37, 0.71}})
    for (int n : {30000, 1000000}) {
      std::vector<double> t(n), w(n);
      gaussJacobi(t.data(), w.data(), n, a, b);
      for (int k = 0; k < 3; ++k)
        for (int end : {1, -1}) {
          const int i = end > 0 ? n - 1 - k : k;
          const double sNode = (1 - end * t[i]) / 2;  // exact: |t| > 1/2
          const EndReference r =
              end > 0 ? endReference(n, a, b, sNode) : endReference(n, b, a, sNode);
          const double node = double(end * (1 - 2 * r.s));
          EXPECT_LE(std::fabs(t[i] - node), 2 * epsilon)
              << a << " " << b << " n " << n << " node " << i;
          EXPECT_LT(std::fabs(double(w[i] / r.weight - 1)), 1e-15)
              << a << " " << b << " n " << n << " weight " << i;
        }
    }
}

// Exponents both long in binary: j + alpha, j + beta and j + ab then lose different low bits,
// the same bits for every j of a binade, and along 10^5 degrees those errors added up to a
// common 2.5e-15 to 3.8e-15 in the weights. Their sum is 2^(ab+1) B(alpha + 1, beta + 1).
TEST(JacobiQuadratureReference, WeightsOfExponentsLongInBinarySumToTheBetaFunction) {
  const int32_t m = 100000;
  std::vector<double> x(m), w(m);
  for (auto [alpha, beta] : {std::pair{0.37, 0.71}, {13.24, 0.71}, {-0.23, 0.71}, {0.37, 2.5}}) {
    gaussJacobi(x.data(), w.data(), m, alpha, beta);
    __float128 sum = 0;
    for (double weight : w)
      sum += weight;
    const __float128 a = alpha, b = beta;
    const __float128 expected =
        expq((a + b + 1) * logq(2) + lgammaq(a + 1) + lgammaq(b + 1) - lgammaq(a + b + 2));
    EXPECT_LT(std::fabs(static_cast<double>(sum / expected - 1)), 1e-15)
        << "alpha = " << alpha << ", beta = " << beta;
  }
}

TEST(JacobiQuadratureReference, SmallCountsAcrossTheExponentRange) {
  for (double a : {-0.5, 0.0, 2.5, 20.0})
    for (double b : {-0.5, 1.0, 20.0})
      for (int n : {1, 2, 3, 5, 17})
        expectMatchesReference(n, a, b);
}

// --- edge cases of the root finder ---------------------------------------------------------

TEST(JacobiQuadratureEdge, LargeExponentGuessesDoNotRepeatARoot) {
  // The empirical guesses for the outermost roots land on a neighbour for alpha = 20.
  for (int n : {2, 100, 257}) {
    std::vector<double> t(n), w(n);
    gaussJacobi(t.data(), w.data(), n, 20, n == 2 ? 10 : 0);
    for (int i = 1; i < n; ++i)
      EXPECT_LT(t[i - 1], t[i]) << "n = " << n << ", i = " << i;
    for (double weight : w)
      EXPECT_TRUE(std::isfinite(weight) && weight > 0);
  }
}

TEST(JacobiQuadratureEdge, OddCountWritesEveryEntry) {
  std::vector<double> t(7, 99.0), w(7, 99.0);
  jacobiBasis.quadrature(t.data(), w.data(), 7, 0, 0);
  EXPECT_NEAR(t[3], 0.0, tight);
  ld sum = 0;
  for (double weight : w)
    sum += weight;
  EXPECT_NEAR(double(sum), 2.0, 2 * gammaLimited);
}

TEST(JacobiQuadratureEdge, OrderedFiniteNodesAcrossCountsAndExponents) {
  // Small counts (the recurrence finder) and large ones (the march with its end nodes), odd and
  // even, with exponents near -1 and large ones. Reference for the weights: their sum, the
  // integral of the weight function, 2^(ab+1) Gamma(a+1) Gamma(b+1) / Gamma(ab+2) by lgammal.
  for (auto [a, b] : {std::pair{0.0, 0.0},
                      {0.5, -0.5},
                      {-0.9, 2.5},
                      {20.0, 20.0},
                      {-0.999, -0.999},
                      {-0.99, -0.99},
                      {-0.99, 20.0},
                      {50.0, 0.0}}) {
    const ld total = expl((a + b + 1) * logl(2.0L) + lgammal(a + 1.0L) + lgammal(b + 1.0L) -
                          lgammal(a + b + 2.0L));
    for (int n : {1, 2, 3, 4, 5, 7, 10, 17, 40, 41, 64, 99, 257, 1000, 1001, 4096, 20001}) {
      std::vector<double> t(n), w(n);
      gaussJacobi(t.data(), w.data(), n, a, b);
      ld sum = 0;
      for (int i = 0; i < n; ++i) {
        ASSERT_TRUE(t[i] > -1 && t[i] < 1 && (i == 0 || t[i - 1] < t[i]))
            << a << " " << b << " n " << n << " i " << i;
        ASSERT_TRUE(std::isfinite(w[i]) && w[i] > 0) << a << " " << b << " n " << n;
        sum += w[i];
      }
      EXPECT_LT(fabsl(sum / total - 1), 2e-14L) << a << " " << b << " n " << n;
    }
  }
}

// --- the series ----------------------------------------------------------------------------

// The projection against binary128: the sums of the program's own weighted values at its own
// nodes, by the three-term recurrence in t at 113 bits, over norms from lgammaq. Exponents near
// -1 (the end nodes carry large weights and P_k there is the recurrence's small solution), one
// large and one small exponent, and large equal ones; within 64 eps of the largest coefficient.
__float128 squaredNorm128(int k, __float128 a, __float128 b) {
  const __float128 ab = a + b;
  if (k == 0) return powq(2, ab + 1) * tgammaq(a + 1) * tgammaq(b + 1) / tgammaq(ab + 2);
  return expq((ab + 1) * logq(2) + lgammaq(k + a + 1) + lgammaq(k + b + 1) - lgammaq(k + ab + 1) -
              lgammaq(k + 1)) /
         (2 * k + ab + 1);
}

TEST(JacobiFit, CoefficientsAgainstBinary128ForExponentsNearTheEdges) {
  struct Case {
    double alpha, beta;
    int m, n;
  };
  for (Case c : {Case{-0.999, -0.999, 1000, 100}, Case{-0.9, 2.5, 1000, 100},
                 Case{20, 20, 1000, 100}, Case{100, 0.1, 1000, 100}, Case{0, 0, 1000, 100},
                 Case{-0.9, 2.5, 10000, 1000}, Case{0.5, -0.3, 10000, 1000}}) {
    Mesh mesh(c.m);
    std::vector<double> coefficients(c.n), t(c.m), w(c.m);
    double alpha = c.alpha, beta = c.beta;
    jacobiBasis.fit(
        -1, 1, alpha, beta, coefficients.data(), c.n, mesh.x.data(), mesh.source.data(),
        mesh.series.data(), c.m, [](double x) { return expl(x) * cosl(3 * x) + 1 / (1.5L + x); },
        3);
    jacobiBasis.quadrature(t.data(), w.data(), c.m, c.alpha, c.beta);
    const __float128 a = c.alpha, b = c.beta, ab = a + b;
    std::vector<__float128> sums(c.n, 0);
    for (int i = 0; i < c.m; ++i) {
      const __float128 z = t[i], u = double(ld(w[i]) * mesh.source[i]);
      __float128 before = 1, now = ((ab + 2) * z + a - b) / 2;
      sums[0] += u, sums[1] += u * now;
      for (int j = 2; j < c.n; ++j) {
        const __float128 temp = 2 * j + ab;
        const __float128 next = ((temp - 1) * (a * a - b * b + temp * (temp - 2) * z) * now -
                                 2 * (j - 1 + a) * (j - 1 + b) * temp * before) /
                                (2 * j * (j + ab) * (temp - 2));
        before = now, now = next, sums[j] += u * now;
      }
    }
    double largest = 0, worst = 0;
    for (int k = 0; k < c.n; ++k)
      largest = std::fmax(largest, std::fabs(double(sums[k] / squaredNorm128(k, a, b))));
    for (int k = 0; k < c.n; ++k)
      worst =
          std::fmax(worst, std::fabs(coefficients[k] - double(sums[k] / squaredNorm128(k, a, b))));
    EXPECT_LT(worst, 64 * epsilon * largest) << c.alpha << " " << c.beta << " at (" << c.m << ", "
                                             << c.n << "): " << worst / largest / epsilon << " eps";
  }
}

TEST(JacobiFit, ConstantSourceAndFigure) {
  Mesh mesh(50);
  std::vector<double> c(6);
  const long double figure = fitOn(1, 3, 0.5, 1.5, c, mesh, [](double) { return 2.5L; });
  EXPECT_NEAR(c[0], 2.5, gammaLimited);
  for (int j = 1; j < 6; ++j)
    EXPECT_NEAR(c[j], 0.0, gammaLimited);
  EXPECT_NEAR(double(figure), 0.0, gammaLimited);
  for (double v : mesh.series)
    EXPECT_NEAR(v, 2.5, gammaLimited);
}

TEST(JacobiFit, RecoversAPolynomialSeriesOnAThousandNodes) {
  // Source: a degree-11 series summed by the explicit formula; the quadrature is exact for it.
  const double a = 1.5, b = -0.25, left = -2, right = 5;
  std::vector<double> truth = {0.5, -1, 0.25, 2, 0, -0.75, 0.1, 0.3, -0.2, 0.05, 0.6, -0.4};
  Mesh mesh(1000);
  std::vector<double> c(20);
  auto source = [&](double x) { return explicitSeries(truth, a, b, toUnit(left, right, x)); };
  const long double figure = fitOn(left, right, a, b, c, mesh, source);
  for (size_t k = 0; k < c.size(); ++k)
    EXPECT_NEAR(c[k], k < truth.size() ? truth[k] : 0.0, 1e-12) << "k = " << k;
  EXPECT_NEAR(double(figure), 0.0, 1e-12);
  for (int i = 0; i < 1000; i += 37) {
    const double expected = double(source(mesh.x[i]));
    EXPECT_NEAR(mesh.series[i], expected, gammaLimited * std::fmax(1.0, std::fabs(expected)));
  }
}

TEST(JacobiFit, OneTermFigure) {
  Mesh mesh(8);
  std::vector<double> c(1);
  double alpha = 0, beta = 0;
  const long double figure = jacobiBasis.fit(
      0, 1, alpha, beta, c.data(), 1, mesh.x.data(), mesh.source.data(), mesh.series.data(), 8,
      [](double x) { return (long double)x; }, 3);
  // On [0, 1] the source x has mean 1/2 and mean square 1/3: figure 1 - (1/4) / (1/3).
  EXPECT_NEAR(c[0], 0.5, loose);
  EXPECT_NEAR(double(figure), 0.25, loose);
}

TEST(JacobiFit, MeshFollowsTheExponents) {
  Mesh first(10), second(10), third(10);
  std::vector<double> c(1);
  fitOn(0, 1, 0, 0, c, first, {}, 0);
  fitOn(0, 1, 3, 0, c, second, {}, 0);
  fitOn(0, 1, 3, 0, c, third, {}, 0);
  EXPECT_NE(first.x, second.x);
  EXPECT_EQ(second.x, third.x);
}

TEST(JacobiSeries, EvaluateMatchesTheExplicitSum) {
  const std::vector<double> c = {0.3, -1, 2, 0.5, -0.25, 1};
  for (double x : {-1.0, 0.0, 0.7, 2.0, 3.5})  // inside [0, 2] and extrapolated
    EXPECT_NEAR(double(jacobiBasis.evaluate(0, 2, 2.5, -0.5, c.data(), 6, x)),
                double(explicitSeries(c, 2.5, -0.5, x - 1)),
                loose * std::fmax(1.0, std::fabs(double(explicitSeries(c, 2.5, -0.5, x - 1)))));
  EXPECT_EQ(jacobiBasis.evaluate(0, 2, 0, 0, c.data(), 0, 1.0), 0.0L);
}

TEST(JacobiSeries, DerivativeMatchesTheExplicitDerivative) {
  // Reference: d/dt P_k^(a,b) = (k + a + b + 1) / 2 P_{k-1}^(a+1,b+1), by the explicit sum;
  // on [1, 5] the chain-rule factor dt/dx is 1/2.
  for (auto [a, b] : {std::pair{0.0, 0.0}, {-0.5, -0.5}, {2.5, 0.75}, {20.0, 3.0}}) {
    const std::vector<double> c = {1, 0.5, -2, 0.25, 1, -0.5, 0.75};
    std::vector<double> d(8, 0.0);
    jacobiBasis.differentiate(1, 5, a, b, c.data(), d.data(), 7);
    EXPECT_EQ(d[6], 0.0);
    EXPECT_EQ(d[7], 0.0);
    for (ld t : {-0.9L, -0.3L, 0.4L, 0.95L}) {
      ld expected = 0;
      for (int k = 1; k < 7; ++k)
        expected += c[k] * (k + a + b + 1) / 2 * explicitJacobi(k - 1, a + 1, b + 1, t);
      expected /= 2;
      d.resize(7);
      EXPECT_NEAR(double(explicitSeries(d, a, b, t)), double(expected),
                  loose * std::fmax(1.0, double(fabsl(expected))))
          << "a = " << a << ", b = " << b << ", t = " << double(t);
      d.resize(8);
    }
  }
}

TEST(JacobiSeries, IntegralMatchesGaussLegendre) {
  // Reference: the Legendre rule (exponents 0, 0) on 8 nodes, exact for degree 15.
  double t[8], w[8];
  gaussJacobi(t, w, 8, 0, 0);
  const std::vector<double> c = {1, 0.5, -2, 0.25, 1, -0.5, 0.75};
  for (auto [a, b] : {std::pair{0.0, 0.0}, {-0.5, -0.5}, {2.5, 0.75}, {20.0, 3.0}}) {
    ld expected = 0;
    for (int i = 0; i < 8; ++i)
      expected += w[i] * explicitSeries(c, a, b, t[i]);
    expected *= 1.5;  // half the width of [-1, 2]
    const long double integral = jacobiBasis.integrate(-1, 2, a, b, c.data(), 7);
    EXPECT_NEAR(double(integral), double(expected), loose * std::fmax(1.0, double(fabsl(expected))))
        << "a = " << a << ", b = " << b;
  }
  const double one[] = {1};
  EXPECT_NEAR(double(jacobiBasis.integrate(0, 2, 3, 4, one, 1)), 2.0, tight);
}

// --- exponents outside the domain ----------------------------------------------------------

// The program refuses these exponents before it fits; a fit asked for them directly refuses
// its node set rather than return one that is not finite.
TEST(JacobiBadInput, ExponentsOfMinusOneOrBelowFinishWithoutCrashing) {
  for (auto [a, b] : {std::pair{-1.0, 0.0}, {0.0, -1.0}, {-2.5, -3.0}}) {
    EXPECT_FALSE(parameterRefusal(jacobiBasis, a, b).empty());
    Mesh mesh(20);
    std::vector<double> c(5);
    EXPECT_THROW(fitOn(0, 1, a, b, c, mesh, [](double x) { return (long double)x; }),
                 ParametersRefused);
    std::vector<double> d(6, 0.0);
    jacobiBasis.differentiate(0, 1, a, b, c.data(), d.data(), 5);
    jacobiBasis.integrate(0, 1, a, b, c.data(), 5);
  }
  SUCCEED();
}

}  // namespace

namespace {

constexpr double fitAlpha = 0.5, fitBeta = -0.3;

LongDoubleFamily jacobiFamily() {
  const ld a = fitAlpha, b = fitBeta;
  return {[a, b](int32_t j, ld z, ld p1, ld p2) {
            if (j == 1) return ((a + b + 2) * z + a - b) / 2;
            const ld temp = 2.0L * j + a + b;
            return ((temp - 1) * (a * a - b * b + temp * (temp - 2) * z) * p1 -
                    2 * (j - 1 + a) * (j - 1 + b) * temp * p2) /
                   (2.0L * j * (j + a + b) * (temp - 2));
          },
          [a, b](int32_t j) { return squaredNorm(j, a, b); }};
}

std::vector<double> jacobiNodes(int32_t m, std::vector<double>* weights = nullptr) {
  std::vector<double> t(m), w(m);
  gaussJacobi(t.data(), w.data(), m, fitAlpha, fitBeta);
  if (weights) *weights = w;
  return t;
}

DirectSums jacobiSums(const std::vector<double>& f, int32_t n) {
  std::vector<double> w;
  const std::vector<double> t = jacobiNodes(static_cast<int32_t>(f.size()), &w);
  return recurrenceSums(t, w, f, n, jacobiFamily());
}

std::vector<long double> jacobiSeriesSums(const std::vector<double>& c, int32_t m) {
  return recurrenceSeries(jacobiNodes(m), {c.begin(), c.end()}, jacobiFamily());
}

// P_j^(0.5,-0.3) reaches about (j / 2)^0.5 at t = 1. The squared norms h_j ~ 1 / j enlarge the
// rounding of the double recurrence in the coefficients of high degree: measured, 1.1e-14 at
// (10^4, 10^3) and 2.2e-14 at N = M = 1000, half from the coefficients' rounding to double and
// half from the steps' (a recurrence stepped in long double reaches 2.3e-15 and 1.0e-14).
constexpr double jacobiTolerance = 4e-14;
TEST(JacobiFit, CoefficientsAndMeshValuesMatchLongDoubleSums) {
  expectFitsMatchDirectSums(
      jacobiBasis, jacobiSums, [](int32_t, int32_t m) { return std::sqrt(m / 2.0); }, fitAlpha,
      fitBeta, jacobiTolerance, jacobiSeriesSums);
}

}  // namespace
