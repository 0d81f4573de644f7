// Sonin-Laguerre functions: spot values with exact answers, node sets, function values and
// integrals against independent references (mpmath tables written by the scripts in
// references/, extended-precision sums), the series against the explicit sum formula of
// L_k^(alpha), the corrections of alpha and beta, and abscissae left of the half-line.
#include "bases/sonin_laguerre.h"
#include "tests/bases/orthonormal_sums.h"
#include "tests/bases/scaled_fit.h"
#include "tests/bases/test_mesh.h"

#include <gtest/gtest.h>
#include <quadmath.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using ld = long double;
constexpr double epsilon = 2.220446049250313e-16;
constexpr double tight = 16 * epsilon;
constexpr double loose = 4096 * epsilon;  // about 1e-12
// Weights and the coefficients fitted with them, against long double references.
constexpr double weightLimited = 64 * epsilon;

// Independent reference: L_k^(a)(t) = sum_m (-1)^m C(k + a, k - m) t^m / m!.
ld binomial(ld top, int k) {
  ld product = 1;
  for (int i = 1; i <= k; ++i)
    product *= (top - k + i) / i;
  return product;
}
ld explicitLaguerre(int k, ld a, ld t) {
  ld sum = 0, power = 1, factorial = 1;
  for (int m = 0; m <= k; ++m) {
    if (m > 0) power *= t, factorial *= m;
    sum += (m % 2 ? -1 : 1) * binomial(k + a, k - m) * power / factorial;
  }
  return sum;
}
ld explicitSeries(const std::vector<double>& c, ld a, ld t) {
  ld sum = 0;
  for (size_t k = 0; k < c.size(); ++k)
    sum += c[k] * explicitLaguerre(int(k), a, t);
  return sum * powl(t, a / 2) * expl(-t / 2);
}

// Reference node set: Newton on L_n in extended precision from each computed node, and the
// Gauss-Laguerre weight 1 / sum_j L_j(t)^2 / h_j (norms from lgammal) times e^t t^-alpha.
void expectMatchesReference(int n, double a, double nodeTolerance) {
  std::vector<double> t(n), w(n);
  gaussLaguerre(t.data(), w.data(), n, a);
  for (int i = 1; i < n; ++i)
    ASSERT_LT(t[i - 1], t[i]);
  std::vector<ld> l(n + 1);
  auto values = [&](ld z) {
    l[0] = 1;
    l[1] = 1 + a - z;
    for (int k = 2; k <= n; ++k)
      l[k] = ((2 * k - 1 + a - z) * l[k - 1] - (k - 1 + a) * l[k - 2]) / k;
  };
  for (int i = 0; i < n; ++i) {
    ld z = t[i];
    for (int step = 0; step < 4; ++step) {
      values(z);
      z -= l[n] / ((n * l[n] - (n + a) * l[n - 1]) / z);
    }
    EXPECT_LT(fabsl(t[i] - z) / z, nodeTolerance) << "n = " << n << ", node " << i;
    values(z);
    ld christoffel = 0;
    for (int j = 0; j < n; ++j)
      christoffel += l[j] * l[j] / expl(lgammal(j + a + 1) - lgammal(j + 1.0L));
    const ld reference = expl(z) * powl(z, -a) / christoffel;
    EXPECT_LT(fabsl(w[i] / reference - 1), weightLimited) << "n = " << n << ", weight " << i;
  }
}

long double fitOn(double left, double right, double& alpha, double& beta, std::vector<double>& c,
                  Mesh& mesh, const SourceFn& source, int32_t mode = 3) {
  return soninLaguerreBasis.fit(left, right, alpha, beta, c.data(), static_cast<int32_t>(c.size()),
                                mesh.x.data(), mesh.source.data(), mesh.series.data(),
                                static_cast<int32_t>(mesh.x.size()), source, mode);
}

// --- spot values ---------------------------------------------------------------------------

TEST(SoninLaguerreQuadratureSpot, OneTwoAndThreeNodes) {
  double t[3], w[3];
  gaussLaguerre(t, w, 1, 0);
  EXPECT_NEAR(t[0], 1.0, tight);
  EXPECT_NEAR(w[0], std::exp(1.0), 64 * epsilon);
  gaussLaguerre(t, w, 2, 0);
  EXPECT_NEAR(t[0], 2 - std::sqrt(2.0), tight);
  EXPECT_NEAR(t[1], 2 + std::sqrt(2.0), tight);
  // The zeros of L_3: roots of t^3 - 9t^2 + 18t - 6.
  gaussLaguerre(t, w, 3, 0);
  for (double root : t)
    EXPECT_NEAR(((root - 9) * root + 18) * root - 6, 0.0, 64 * epsilon);
  EXPECT_LT(t[0], t[1]);
  EXPECT_LT(t[1], t[2]);
}

TEST(SoninLaguerreQuadratureSpot, WeightsIntegrateTheGammaFunction) {
  // sum W_i t_i^alpha e^-t_i = Gamma(alpha + 1).
  for (double a : {0.0, 0.5, 1.0})
    for (int n : {5, 50, 200}) {
      std::vector<double> t(n), w(n);
      gaussLaguerre(t.data(), w.data(), n, a);
      ld sum = 0;
      for (int i = 0; i < n; ++i)
        sum += w[i] * powl(t[i], a) * expl(-ld(t[i]));
      EXPECT_NEAR(double(sum), std::tgamma(a + 1), 1e-11) << "a = " << a << ", n = " << n;
    }
}

// mpmath's hypergeometric Laguerre function (references/sonin_laguerre_function_reference.py),
// where L_n or e^(-t/2) alone would leave the double range. Relative error grows like n eps
// along the recurrence.
struct FunctionReference {
  int n;
  double t, alpha;
  long double value;
};
constexpr FunctionReference functionReferences[] = {
#include "references/sonin_laguerre_function_reference.inc"
};

TEST(SoninLaguerreFunctions, AgainstMpmath) {
  for (const FunctionReference& r : functionReferences) {
    std::vector<double> row(r.n + 1);
    laguerreFunctions(r.n + 1, r.t, r.alpha, row.data());
    const double limit = (8 + r.n) * epsilon;
    EXPECT_LT(fabsl(row[r.n] / r.value - 1), limit) << "n = " << r.n << ", t = " << r.t;
    EXPECT_LT(fabsl(laguerreFunction(r.n, r.t, r.alpha) / r.value - 1), limit) << "n = " << r.n;
  }
}

TEST(SoninLaguerreFunctions, SpotValuesAndOneTableRow) {
  // phi_1(t) = e^(-t/2) (1 - t) for alpha = 0.
  EXPECT_NEAR(double(laguerreFunction(1, 3.0, 0)), std::exp(-1.5) * -2, tight);
  // A high order far out stays finite (L_n and e^(-t/2) alone would overflow and underflow).
  EXPECT_TRUE(std::isfinite(double(laguerreFunction(3000, 11000.0, 0.5))));
  std::vector<double> row(40);
  laguerreFunctions(40, 7.25, 1.5, row.data());
  for (int k = 0; k < 40; ++k)
    EXPECT_NEAR(row[k], double(laguerreFunction(k, 7.25, 1.5)), tight * (1 + std::fabs(row[k])));
  EXPECT_NEAR(row[5], double(explicitSeries({0, 0, 0, 0, 0, 1}, 1.5, 7.25)), tight);
}

// --- node sets against the extended-precision reference ------------------------------------

TEST(SoninLaguerreQuadratureReference, SeveralOrders) {
  for (double a : {-0.5, 0.0, 2.5, 20.0})
    expectMatchesReference(300, a, 64 * epsilon);
  for (double a : {-0.9, 1.0, 20.0})
    for (int n : {1, 2, 3, 4, 7, 20})
      expectMatchesReference(n, a, 64 * epsilon);
}

// --- node sets against mpmath ----------------------------------------------------------------

// references/sonin_laguerre_reference.py: each root isolated by a Sturm count and refined by
// Newton at 40 digits; W = Gamma(M + alpha + 1) / (M! t L_M'(t)^2) e^t t^(-alpha). Every node
// for M = 10 and 100, a sample for 1000 and 100000.
struct NodeReference {
  int m;
  double alpha;
  int index;
  long double node, weight;
};
constexpr NodeReference nodeReferences[] = {
#include "references/sonin_laguerre_reference.inc"
};

TEST(SoninLaguerreQuadratureReference, NodesWithinFourUlpsAndWeightsAgainstMpmath) {
  std::vector<double> t, w;
  int m = 0;
  double alpha = -1;
  for (const NodeReference& r : nodeReferences) {
    if (r.m != m || r.alpha != alpha) {
      m = r.m, alpha = r.alpha;
      t.assign(m, 0.0), w.assign(m, 0.0);
      gaussLaguerre(t.data(), w.data(), m, alpha);
    }
    const double node = static_cast<double>(r.node);
    const double ulp = std::nextafter(node, INFINITY) - node;
    EXPECT_LE(fabsl(t[r.index] - r.node), 4 * ulp)
        << "M = " << m << ", alpha = " << alpha << ", node " << r.index;
    EXPECT_LT(fabsl(w[r.index] / r.weight - 1), 1e-14)
        << "M = " << m << ", alpha = " << alpha << ", weight " << r.index;
  }
}

// Nodes spread over the whole set at M = 10^5, where the march runs some 10^5 steps and any
// bias in its arithmetic shows as a drift of the weights: against binary128, one Newton step
// on L_M by the three-term recurrence from the computed node (quadratic, so to ~1e-32), the
// weight Gamma(M + alpha + 1) / (M! t L_M'(t)^2) e^t t^(-alpha) from lgammaq, with L_M' carried
// to the refined root by the differential equation t L'' = (t - alpha - 1) L' - M L. The
// march's own rounding walks the weights by up to some 5e-16 (its size depends on alpha and on
// the order of the operations: 0.6e-16 to 2.9e-16 root mean square over 100 to 200 nodes);
// a bias in its arithmetic (a rounded reciprocal in place of a division) gives 2e-15.
struct Laguerre128 {
  __float128 ln, derivative;  // L_M and L_M', both times 2^-scale
  int64_t scale;
};
Laguerre128 laguerre128(int32_t m, __float128 t, __float128 a) {
  __float128 previous = 1, current = 1 + a - t;
  int64_t scale = 0;
  for (int32_t k = 2; k <= m; ++k) {
    const __float128 next = ((2 * k - 1 + a - t) * current - (k - 1 + a) * previous) / k;
    previous = current, current = next;
    if (fabsq(current) > 0x1p1000) current *= 0x1p-1000, previous *= 0x1p-1000, scale += 1000;
  }
  return {current, (m * current - (m + a) * previous) / t, scale};
}

// alpha = 13.24 has bits down to 2^-50, which k + alpha would round away for k past 2^13:
// the same bits in every binade of k, an error of 2e-15 shared by every weight. The last nodes,
// marched into the turning point, gather more of the march's rounding than the rest.
TEST(SoninLaguerreQuadratureReference, WeightsAcrossTenToTheFiveAgainstBinary128) {
  const int32_t m = 100000;
  std::vector<double> t(m), w(m);
  for (double alpha : {0.5, 5.0, 13.24}) {
    gaussLaguerre(t.data(), w.data(), m, alpha);
    const __float128 a = alpha;
    const __float128 logNorm = lgammaq(m + a + 1) - lgammaq(m + 1.0);
    std::vector<int32_t> picks = {0, 1, 2, 3, m - 3, m - 2, m - 1};
    for (int32_t j = 1; j < 32; ++j)
      picks.push_back(static_cast<int32_t>(int64_t{j} * m / 32) + j);
    long double squares = 0;
    for (int32_t i : picks) {
      const __float128 z = t[i];
      const Laguerre128 at = laguerre128(m, z, a);
      const __float128 step = at.ln / at.derivative;  // the root is z - step
      const __float128 second = ((z - a - 1) * at.derivative - m * at.ln) / z;
      const __float128 root = z - step, slope = at.derivative - second * step;
      const __float128 logWeight =
          logNorm + root - (a + 1) * logq(root) - 2 * (logq(fabsq(slope)) + at.scale * logq(2));
      const double node = static_cast<double>(root);
      const double ulp = std::nextafter(node, INFINITY) - node;
      EXPECT_LE(std::fabs(t[i] - node), 4 * ulp) << "alpha = " << alpha << ", node " << i;
      const double error = static_cast<double>(w[i] / expq(logWeight) - 1);
      EXPECT_LT(std::fabs(error), i >= m - 3 ? 2e-15 : 1e-15)
          << "alpha = " << alpha << ", weight " << i;
      squares += static_cast<long double>(error) * error;
    }
    EXPECT_LT(std::sqrt(static_cast<double>(squares / picks.size())), 4e-16) << "alpha = " << alpha;
  }
}

// The first nodes come from Laguerre's method in double, then one long-double pass whose
// Taylor series gives the weights: against binary128 at counts and alphas where they number
// from 5 to 30 (large alpha pushes them out), every node to 2 ulp and every weight to 4e-16.
TEST(SoninLaguerreQuadratureReference, FirstNodesAgainstBinary128) {
  for (int32_t m : {300, 5000, 60000})
    for (double alpha : {-0.5, 0.37, 20.0, 200.0}) {
      std::vector<double> t(m), w(m);
      gaussLaguerre(t.data(), w.data(), m, alpha);
      const __float128 a = alpha;
      const __float128 logNorm = lgammaq(m + a + 1) - lgammaq(m + 1.0);
      for (int32_t i = 0; i < 12; ++i) {
        const Laguerre128 at = laguerre128(m, t[i], a);
        const __float128 z = t[i], root = z - at.ln / at.derivative;
        const __float128 second = ((z - a - 1) * at.derivative - m * at.ln) / z;
        const __float128 slope = at.derivative - second * (z - root);
        const __float128 logWeight =
            logNorm + root - (a + 1) * logq(root) - 2 * (logq(fabsq(slope)) + at.scale * logq(2));
        const double node = static_cast<double>(root);
        EXPECT_LE(std::fabs(t[i] - node), 2 * (std::nextafter(node, INFINITY) - node))
            << "M = " << m << ", alpha = " << alpha << ", node " << i;
        EXPECT_LT(std::fabs(static_cast<double>(w[i] / expq(logWeight) - 1)), 4e-16)
            << "M = " << m << ", alpha = " << alpha << ", weight " << i;
      }
    }
}

// The long-double function near t = 0, where L_n is about the product of the (k + alpha) / k,
// at an alpha whose low bits k + alpha would round away alike in each binade of k (1e-15 off).
TEST(SoninLaguerreFunctions, NearZeroAgainstBinary128AtAnAlphaLongInBinary) {
  const int32_t m = 100000;
  for (double alpha : {13.24, 0.29})
    for (double t : {0.5, 3.0}) {
      const __float128 a = alpha, z = t;
      const Laguerre128 at = laguerre128(m, z, a);
      const __float128 expected = at.ln * expq(a / 2 * logq(z) - z / 2 + at.scale * logq(2));
      const double error = static_cast<double>(laguerreFunction(m, t, alpha) / expected - 1);
      EXPECT_LT(std::fabs(error), 1e-16) << "alpha = " << alpha << ", t = " << t;
    }
}

// --- sound node sets -----------------------------------------------------------------------

// Every order up to 300 and a few large ones, from alpha near -1 to far beyond the usual:
// ascending, finite, positive weights, and sum W_i t_i^alpha e^(-t_i) = Gamma(alpha + 1).
void expectSoundNodeSet(int n, double a, double sumLimit) {
  std::vector<double> t(n), w(n);
  gaussLaguerre(t.data(), w.data(), n, a);
  ld sum = 0;
  bool sound = t[0] > 0;
  for (int i = 0; i < n; ++i) {
    sound =
        sound && std::isfinite(t[i]) && w[i] > 0 && w[i] < INFINITY && (i == 0 || t[i] > t[i - 1]);
    sum += w[i] * expl(a * logl(t[i]) - t[i]);
  }
  EXPECT_TRUE(sound) << "M = " << n << ", alpha = " << a;
  EXPECT_LT(fabsl(sum / tgammal(a + 1.0L) - 1), sumLimit) << "M = " << n << ", alpha = " << a;
}

TEST(SoninLaguerreQuadratureReference, SoundForEveryOrderAndAlpha) {
  for (double a : {-0.99, 0.0, 0.5, 5.0, 20.0, 50.0, 1000.0})
    for (int n = 1; n <= 300; n += n < 40 ? 1 : 13)
      expectSoundNodeSet(n, a, 1e-14);
  for (int n : {4097, 20000})
    expectSoundNodeSet(n, 0.5, 1e-14);
  expectSoundNodeSet(1000000, 20.0, 1e-14);
}

// --- a million nodes -----------------------------------------------------------------------

// alpha = 0, where the squared norm is 1: L_M and L_{M-1} by the three-term recurrence in long
// double, rescaled by 2^-4096 past 2^4096. Its coefficient 2k - 1 - t costs about k eps / t, so
// the samples start where t passes 100 (the tables above check the first nodes): one Newton
// step must not move a node by more than 4 units of its last place. The weights, through the
// moments they integrate: sum W e^(-t) = 1 for alpha = 0, sum W t^(1/2) e^(-t) = Gamma(3/2).
TEST(SoninLaguerreQuadratureReference, NodesAndWeightsAtAMillion) {
  const int32_t m = 1000000;
  std::vector<double> t(m), w(m);
  gaussLaguerre(t.data(), w.data(), m, 0);
  for (int32_t i : {10000, 20000, 250000, 500000, 900000, m - 10, m - 1}) {
    const ld z = t[i];
    ld previous = 1, current = 1 - z;
    for (int32_t k = 2; k <= m; ++k) {
      const ld next = ((2 * k - 1 - z) * current - (k - 1) * previous) / k;
      previous = current, current = next;
      if (fabsl(current) > 0x1p4096L) current *= 0x1p-4096L, previous *= 0x1p-4096L;
    }
    const ld slope = m * (current - previous) / z;  // L_M', scaled as L_M
    EXPECT_LE(fabsl(current / slope), 4 * (std::nextafter(t[i], INFINITY) - t[i])) << "node " << i;
  }
  ld sum0 = 0;
  for (int32_t i = 0; i < m; ++i)
    sum0 += w[i] * expl(-ld(t[i]));
  EXPECT_LT(fabsl(sum0 - 1), 1e-14L);
  std::vector<double> t5(m), w5(m);
  gaussLaguerre(t5.data(), w5.data(), m, 0.5);
  ld sum = 0;
  for (int32_t i = 0; i < m; ++i)
    sum += w5[i] * expl(0.5L * logl(t5[i]) - t5[i]);
  EXPECT_LT(fabsl(sum / tgammal(1.5L) - 1), 1e-14L);
}

// --- the series ----------------------------------------------------------------------------

TEST(SoninLaguerreFit, RecoversASeriesAndCorrectsNothingInRange) {
  // Source: a 6-term series by the explicit formula; the quadrature is exact for it, and the
  // coefficients carry the logGamma error of the weights as a common factor.
  const std::vector<double> truth = {1, -0.5, 0.25, 2, -1, 0.75};
  const double left = 2, right = 10;
  double alpha = 1.5, beta = 3.0;
  Mesh mesh(60);
  std::vector<double> c(10);
  auto source = [&](double x) { return explicitSeries(truth, 1.5, (ld(x) - left) * 3.0); };
  const long double figure = fitOn(left, right, alpha, beta, c, mesh, source);
  EXPECT_EQ(alpha, 1.5);
  EXPECT_EQ(beta, 3.0);
  for (size_t k = 0; k < c.size(); ++k)
    EXPECT_NEAR(c[k], k < truth.size() ? truth[k] : 0.0, weightLimited) << "k = " << k;
  EXPECT_NEAR(double(figure), 0.0, weightLimited);
  for (int i = 0; i < 60; ++i)
    EXPECT_NEAR(mesh.series[i], double(source(mesh.x[i])), weightLimited);
}

// phi_0(t) .. phi_{n-1}(t) for alpha = 0 by the three-term recurrence in long double, its
// mantissa rescaled by 2^-4096 past 2^4096 and the factor e^(-t/2) applied in the logarithm.
std::vector<ld> referencePhi(int32_t n, ld t) {
  std::vector<ld> phi(n);
  ld previous = 0, current = 1;
  int64_t exponent = 0;
  auto value = [&] { return current * exp2l(exponent - t / 2 / logl(2.0L)); };
  phi[0] = value();
  for (int32_t k = 1; k < n; ++k) {
    const ld next = ((2 * k - 1 - t) * current - (k - 1) * previous) / k;
    previous = current, current = next;
    if (fabsl(current) > 0x1p4096L) current *= 0x1p-4096L, previous *= 0x1p-4096L, exponent += 4096;
    phi[k] = value();
  }
  return phi;
}

// Long-double direct sums for alpha = 0 (squared norms 1) from the values the fit sampled.
DirectSums directSums(const std::vector<double>& f, int32_t n) {
  const int32_t m = static_cast<int32_t>(f.size());
  std::vector<double> t(m), w(m);
  gaussLaguerre(t.data(), w.data(), m, 0);
  return orthonormalSums(f, std::vector<ld>(w.begin(), w.end()), n,
                         [&](int32_t i, int32_t count) { return referencePhi(count, t[i]); });
}

TEST(SoninLaguerreFit, CoefficientsAndMeshValuesMatchLongDoubleSums) {
  expectFitsMatchDirectSums(soninLaguerreBasis, directSums);
}

TEST(SoninLaguerreFit, TinyAndHugeSourcesScaleTheWholeFit) {
  // Far nodes meet factors near the bottom of the double range.
  expectFitsScaleWithTheSource(soninLaguerreBasis, 0, 30, 0.5, 1000, 100,
                               [](double x) { return ld(std::exp(-x / 5) * std::cos(x)); });
}

TEST(SoninLaguerreFit, LargeMeshAgreesWithTheSeriesEvaluatedThere) {
  // 10^5 nodes reach t = 4e5; past about t = 8000 the first 1000 functions are far below the
  // range of doubles: the projections skip those nodes and their mesh values are 0. The first
  // coefficients are the same projections as a fit with fewer terms.
  const int m = 100000;
  double alpha = 0.5, beta = 0;
  Mesh wide(m), narrow(m);
  std::vector<double> many(1000), few(50);
  auto source = [](double x) { return ld(std::exp(-x / 7) * std::cos(x)); };
  fitOn(0, 40, alpha, beta, many, wide, source);
  fitOn(0, 40, alpha, beta, few, narrow, source);
  for (int k = 0; k < 50; ++k)
    EXPECT_NEAR(many[k], few[k], tight * (1 + std::fabs(few[k]))) << "k = " << k;
  for (int i : {0, 5000, 40000, 60000, m - 1}) {
    const double x = wide.x[i];
    EXPECT_NEAR(wide.series[i],
                double(soninLaguerreBasis.evaluate(0, 40, alpha, beta, many.data(), 1000, x)),
                1e-12)
        << "node " << i;
  }
  EXPECT_EQ(wide.series[m - 1], 0.0);
}

TEST(SoninLaguerreSeries, ManyAbscissaeMatchTheLongDoubleSeries) {
  // Abscissae in no order, from the left end (t = 0.1 / N) to far out (below the range of
  // doubles), a count that fills no whole block, and the undefined left of the half-line.
  const double left = 1, right = 9, beta = 2.5;
  std::vector<double> c(200);
  for (size_t k = 0; k < c.size(); ++k)
    c[k] = std::sin(0.61 * k + 0.2) / (1 + 0.02 * k);
  std::vector<double> x = {left, 1e300, 4000};
  for (int i = 0; i < 30; ++i)
    x.push_back(left + 0.37 * ((i * 7) % 30));
  x.push_back(0.5);
  std::vector<double> values(x.size());
  soninLaguerreBasis.evaluateMany(left, right, 0, beta, c.data(), 200, x.data(), values.data(),
                                  static_cast<int32_t>(x.size()));
  long double size = 0;
  for (double v : c)
    size = std::max<long double>(size, std::fabs(v));
  for (size_t i = 0; i + 1 < x.size(); ++i) {
    ld t = (ld(x[i]) - left) * beta;
    if (t == 0) t = 0.1L / 200;
    long double expected = 0;
    if (t < 1e5) {
      const auto phi = referencePhi(200, double(t));
      for (int k = 0; k < 200; ++k)
        expected += c[k] * phi[k];
    }
    EXPECT_NEAR(values[i], (double)expected, 1e-14 * (double)size) << "x = " << x[i];
  }
  EXPECT_FALSE(std::isfinite(values.back()));
}

TEST(SoninLaguerreFit, CorrectsAlphaAndBetaAndWritesThemBack) {
  for (double badAlpha : {-1.0, -3.0}) {
    double alpha = badAlpha, beta = 0;
    Mesh mesh(10);
    std::vector<double> c(3);
    fitOn(1, 4, alpha, beta, c, mesh, {}, 0);
    EXPECT_EQ(alpha, 0.0);
    double t[10], w[10];
    gaussLaguerre(t, w, 10, 0);
    EXPECT_EQ(beta, t[9] / 3);
    EXPECT_NEAR(mesh.x[9], 4.0, tight * 4);
    EXPECT_GT(mesh.x[0], 1.0);
  }
}

TEST(SoninLaguerreFit, BetaOnlyMovesTheMesh) {
  double alpha = 0.5, beta = 1;
  Mesh first(12), second(12);
  std::vector<double> c(2);
  fitOn(0, 1, alpha, beta, c, first, {}, 0);
  beta = 4;
  fitOn(0, 1, alpha, beta, c, second, {}, 0);
  EXPECT_EQ(beta, 4.0);
  for (int i = 0; i < 12; ++i)
    EXPECT_NEAR(second.x[i] * 4, first.x[i], tight * first.x[i]);
}

TEST(SoninLaguerreSeries, EvaluateAtTheLeftEndAndBeyond) {
  const std::vector<double> c = {0.5, -1, 2};
  const double atLeft = double(soninLaguerreBasis.evaluate(1, 5, 0.5, 2, c.data(), 3, 1));
  EXPECT_NEAR(atLeft, double(explicitSeries(c, 0.5, 0.1L / 3)), tight);
  EXPECT_NEAR(double(soninLaguerreBasis.evaluate(1, 5, 0.5, 2, c.data(), 3, 2.5)),
              double(explicitSeries(c, 0.5, 3)), tight);
  EXPECT_EQ(soninLaguerreBasis.evaluate(1, 5, 0.5, 2, c.data(), 0, 2.5), 0.0L);
  // Far right every function is 0 (the recurrence alone would overflow there).
  for (double far : {1e200, HUGE_VAL})
    EXPECT_EQ(soninLaguerreBasis.evaluate(1, 5, 0.5, 2, c.data(), 3, far), 0.0L) << far;
  // Left of the half-line the function's logarithm is undefined: not finite, no crash.
  EXPECT_FALSE(std::isfinite(double(soninLaguerreBasis.evaluate(1, 5, 0.5, 2, c.data(), 3, 0))));
}

TEST(SoninLaguerreSeries, DerivativeOfTheOrderZeroSeries) {
  const double one[] = {1};
  double d[2] = {};
  soninLaguerreBasis.differentiate(0, 1, 0, 2, one, d, 1);
  EXPECT_EQ(d[0], -1.0);
  EXPECT_EQ(d[1], 0.0);
  // Against a central difference of evaluate (step 1e-5: error ~1e-10).
  const std::vector<double> c = {0.5, -1, 2, 0.25, -0.75};
  std::vector<double> e(6, 0.0);
  soninLaguerreBasis.differentiate(1, 9, 0, 1.5, c.data(), e.data(), 5);
  EXPECT_EQ(e[5], 0.0);
  for (double x : {1.5, 3.0, 6.0}) {
    const double h = 1e-5;
    const double difference =
        double(soninLaguerreBasis.evaluate(1, 9, 0, 1.5, c.data(), 5, x + h) -
               soninLaguerreBasis.evaluate(1, 9, 0, 1.5, c.data(), 5, x - h)) /
        (2 * h);
    EXPECT_NEAR(double(soninLaguerreBasis.evaluate(1, 9, 0, 1.5, e.data(), 5, x)), difference,
                1e-9);
  }
}

// Reference: int_0^T t^(m + a/2) e^(-t/2) dt = 2^(s) gamma(s, T/2), s = m + a/2 + 1, with the
// lower incomplete gamma by its power series.
ld lowerGamma(ld s, ld x) {
  ld term = 1 / s, sum = term;
  for (int n = 1; n < 400; ++n)
    sum += term *= x / (s + n);
  return sum * powl(x, s) * expl(-x);
}
ld referenceIntegral(const std::vector<double>& c, ld a, ld T) {
  ld total = 0;
  for (size_t k = 0; k < c.size(); ++k) {
    ld factorial = 1;
    for (size_t m = 0; m <= k; ++m) {
      if (m > 0) factorial *= m;
      const ld s = m + a / 2 + 1;
      total += c[k] * (m % 2 ? -1 : 1) * binomial(k + a, int(k - m)) / factorial * powl(2, s) *
               lowerGamma(s, T / 2);
    }
  }
  return total;
}

TEST(SoninLaguerreSeries, IntegralOverTheInterval) {
  // alpha = 0, c = (1): the integral of e^(-beta (x - left)/2) over [left, right].
  const double one[] = {1};
  EXPECT_NEAR(double(soninLaguerreBasis.integrate(1, 3, 0, 0.5, one, 1)),
              2 / 0.5 * (1 - std::exp(-0.5)), loose);
  const std::vector<double> c = {0.5, -1, 2, 0.25, -0.75, 1};
  for (double a : {-0.5, 0.0, 1.0, 3.5})
    for (double beta : {0.5, 4.0}) {
      const double expected = double(referenceIntegral(c, a, 6 * beta) / beta);
      EXPECT_NEAR(double(soninLaguerreBasis.integrate(2, 8, a, beta, c.data(), 6)), expected,
                  loose * std::fmax(1.0, std::fabs(expected)))
          << "a = " << a << ", beta = " << beta;
    }
}

TEST(SoninLaguerreSeries, IntegralAgainstMpmath) {
  // references/sonin_laguerre_integral_reference.py: the series expanded in powers of t, each
  // integrated by mpmath's incomplete gamma at a working precision above the cancellation.
  struct IntegralReference {
    double alpha;
    int n;
    double T;
    int pattern;
    long double integral;
    double scale;
  };
  constexpr IntegralReference references[] = {
#include "references/sonin_laguerre_integral_reference.inc"
  };
  for (const IntegralReference& r : references) {
    std::vector<double> c(r.n);
    for (int k = 0; k < r.n; ++k)
      c[k] = r.pattern == 0 ? 1.0 / (k + 1) : (k % 2 ? -1 : 1) * std::cos(double(k));
    // On [2, 2 + T / 2] with beta = 2: the same t-range, the integral halved.
    const long double integral =
        soninLaguerreBasis.integrate(2, 2 + r.T / 2, r.alpha, 2, c.data(), r.n);
    EXPECT_LT(fabsl(2 * integral - r.integral), epsilon * r.scale)
        << "alpha = " << r.alpha << ", N = " << r.n << ", T = " << r.T << ", pattern " << r.pattern;
  }
}

TEST(SoninLaguerreSeries, IntegralMatchesTheAntiderivativeForOrderZero) {
  // For alpha = 0, psi = sum e_k phi_k with e_{N-1} = -2 c_{N-1}, e_k = -2 (c_k + e_{k+1} +
  // ... + e_{N-1}) has psi' = S (from phi_k' = -phi_k / 2 - phi_0 - ... - phi_{k-1}), and
  // phi_k(0) = 1: the integral over [0, T] is psi(T) - sum e_k. T covers the oscillating
  // range, its turning point and the decay beyond.
  const int n = 100;
  std::vector<double> c(n);
  for (int k = 0; k < n; ++k)
    c[k] = std::sin(k + 1.0) / (1 + 0.01 * k);
  std::vector<ld> e(n);
  ld tail = 0;
  for (int k = n - 1; k >= 0; --k)
    tail += e[k] = -2 * (c[k] + tail);
  for (double T : {50.0, 400.0, 700.0}) {
    std::vector<double> phi(n);
    laguerreFunctions(n, T, 0, phi.data());
    ld expected = 0, scale = 0;
    for (int k = 0; k < n; ++k)
      expected += e[k] * (phi[k] - 1), scale += fabsl(e[k]);
    const long double integral = soninLaguerreBasis.integrate(0, T, 0, 1.0, c.data(), n);
    EXPECT_NEAR(double(integral), double(expected), double(tight * scale)) << "T = " << T;
  }
}

TEST(SoninLaguerreSeries, IntegralOfAFittedSeriesOverItsMesh) {
  // With the automatic scale the mesh reaches the right end and the integral covers the
  // whole oscillating range of 100 functions.
  double alpha = 0.5, beta = 0;
  Mesh mesh(100);
  std::vector<double> c(100);
  fitOn(0, 50, alpha, beta, c, mesh, [](double x) { return ld(std::exp(-x / 5) * std::sin(x)); });
  const long double integral = soninLaguerreBasis.integrate(0, 50, alpha, beta, c.data(), 100);
  // Reference: Simpson's rule on evaluate in t = u^2 (smooth), 20000 panels.
  const int panels = 20000;
  const ld top = std::sqrt(50 * beta);
  ld simpson = 0;
  for (int j = 0; j <= panels; ++j) {
    const ld u = top * j / panels;
    const ld x = u * u / beta;
    const ld f =
        j == 0 ? 0
               : 2 * u * soninLaguerreBasis.evaluate(0, 50, alpha, beta, c.data(), 100, double(x));
    simpson += f * (j == 0 || j == panels ? 1 : (j % 2 ? 4 : 2));
  }
  simpson *= top / panels / 3 / beta;
  EXPECT_NEAR(double(integral), double(simpson), 1e-9);
}

}  // namespace

namespace {

// --- parameters outside the domain ---------------------------------------------------------

TEST(SoninLaguerreBadInput, OrderBelowMinusOneAndNonPositiveScaleFinish) {
  // Called directly (fit would correct alpha): the root finder is bounded and returns.
  std::vector<double> t(12), w(12);
  gaussLaguerre(t.data(), w.data(), 12, -1.5);
  const double c[] = {1, 0.5};
  EXPECT_FALSE(std::isfinite(double(soninLaguerreBasis.integrate(0, 1, 0, 0, c, 2))));
  EXPECT_FALSE(std::isfinite(double(soninLaguerreBasis.integrate(0, 1, 0, -2, c, 2))));
  // No mesh: nothing to lay or fit, and no largest node to take the scale from.
  Mesh none(0);
  std::vector<double> coefficients(2, 7.0);
  double alpha = -2, beta = 0;
  EXPECT_EQ(fitOn(0, 1, alpha, beta, coefficients, none, [](double) { return 1.0L; }), 0.0L);
  EXPECT_EQ(alpha, 0.0);
  EXPECT_EQ(beta, 0.0);
}

}  // namespace
