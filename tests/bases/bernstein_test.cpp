// Bernstein polynomials: spot values with exact answers, the series against de Casteljau's
// algorithm in long double, high degrees whose end terms underflow, and the operations against
// finite differences and Simpson's rule.
#include "bases/bernstein.h"
#include "tests/bases/test_mesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr double eps = 2.220446049250313e-16;
constexpr double tight = 16 * eps;
constexpr double loose = 1024 * eps;

// Unwritten entries stay not-a-number.
struct NanMesh : Mesh {
  explicit NanMesh(int32_t m) : Mesh(m, NAN) {}
};

long double fitOn(double left, double right, std::vector<double>& c, Mesh& mesh,
                  const SourceFn& source, int32_t mode = 3) {
  double alpha = 0, beta = 0;
  return fitWith(bernsteinBasis, left, right, alpha, beta, c, mesh, source, mode);
}

// Reference: de Casteljau's repeated linear interpolation, in long double.
long double deCasteljau(const std::vector<double>& c, long double g) {
  std::vector<long double> b(c.begin(), c.end());
  for (size_t level = 1; level < b.size(); ++level)
    for (size_t k = 0; k + level < b.size(); ++k)
      b[k] = (1 - g) * b[k] + g * b[k + 1];
  return b[0];
}

TEST(BernsteinSpotValues, SquareOnThreeCoefficients) {
  NanMesh mesh(3);
  std::vector<double> c(3);
  EXPECT_EQ(fitOn(0, 1, c, mesh, [](double x) { return (long double)x * x; }), 0.0L);
  EXPECT_EQ(c, (std::vector<double>{0, 0.25, 1}));
  EXPECT_EQ(mesh.x, (std::vector<double>{0, 0.5, 1}));
  EXPECT_EQ(mesh.series[1], 0.375);  // g g + g (1 - g) / 2, not g g
  EXPECT_EQ(mesh.series[0], 0.0);
  EXPECT_EQ(mesh.series[2], 1.0);
}

TEST(BernsteinReference, SeriesMatchesDeCasteljau) {
  const int32_t m = 1000, n = 300;
  NanMesh mesh(m);
  std::vector<double> c(n);
  fitOn(-1, 2, c, mesh, [](double x) { return (long double)std::sin(3 * x) + x * x; });
  for (int32_t i = 1; i < m - 1; i += 37)
    EXPECT_NEAR(mesh.series[i], (double)deCasteljau(c, (long double)i / (m - 1)), loose) << i;
}

TEST(BernsteinEdgeCases, UnderflowingEndTermsLoseNothing) {
  // Constant and straight-line sources are reproduced exactly; for these degrees g^(N-1) or
  // (1 - g)^(N-1) underflows at most mesh points.
  for (auto [m, n] : {std::pair{1000, 200}, std::pair{1500, 1200}, std::pair{1000, 1000}}) {
    NanMesh mesh(m);
    std::vector<double> c(n);
    fitOn(0, 1, c, mesh, [](double) { return 1.0L; });
    for (int32_t i = 0; i < m; ++i)
      ASSERT_NEAR(mesh.series[i], 1.0, loose) << m << " " << n << " " << i;
    fitOn(2, 5, c, mesh, [](double x) { return (long double)(3 * x - 7); });
    for (int32_t i = 0; i < m; ++i)
      ASSERT_NEAR(mesh.series[i], 3 * mesh.x[i] - 7, 8 * loose) << i;
  }
}

TEST(BernsteinEdgeCases, ModesAndTheSingleCoefficient) {
  NanMesh mesh(5);
  std::vector<double> c = {1, 2, 3};
  int calls = 0;
  SourceFn counting = [&](double x) {
    ++calls;
    return (long double)x;
  };
  fitOn(0, 4, c, mesh, {}, 1);  // no source: coefficients kept, series recomputed
  EXPECT_EQ(c, (std::vector<double>{1, 2, 3}));
  EXPECT_NEAR(mesh.series[2], 2.0, tight);
  EXPECT_EQ(fitOn(0, 4, c, mesh, counting, 2), 0.0L);  // any mode with a source refits
  EXPECT_EQ(calls, 5 + 3);
  EXPECT_EQ(c, (std::vector<double>{0, 2, 4}));

  std::vector<double> single(1);
  fitOn(3, 4, single, mesh, counting, 3);
  EXPECT_EQ(single[0], 3.0);
  for (double v : mesh.series)
    EXPECT_EQ(v, 3.0);
}

TEST(BernsteinSeries, EvaluateExtrapolatesAndMatchesTheMesh) {
  const BasisOps& ops = bernsteinBasis;
  const std::vector<double> ramp = {0, 1, 2};  // the series 2g
  EXPECT_NEAR((double)ops.evaluate(0, 2, 0, 0, ramp.data(), 3, 4), 4.0, tight);
  EXPECT_NEAR((double)ops.evaluate(0, 2, 0, 0, ramp.data(), 3, -2), -2.0, tight);
  EXPECT_EQ(ops.evaluate(0, 2, 0, 0, ramp.data(), 0, 1), 0.0L);

  NanMesh mesh(400);
  std::vector<double> c(250);
  fitOn(1, 3, c, mesh, [](double x) { return (long double)std::exp(-x) * std::cos(4 * x); });
  for (int32_t i = 0; i < 400; i += 7)
    EXPECT_NEAR((double)ops.evaluate(1, 3, 0, 0, c.data(), 250, mesh.x[i]), mesh.series[i], loose);
}

TEST(BernsteinSeries, DerivativeIntegralAndWeights) {
  const BasisOps& ops = bernsteinBasis;
  const std::vector<double> c = {0.3, -1.2, 0.8, 2.0, -0.5, 1.1};
  const double left = -1, right = 1.5;
  std::vector<double> d(7, 0.0);
  ops.differentiate(left, right, 0, 0, c.data(), d.data(), 6);
  for (double x : {-0.9, 0.0, 0.7, 1.4}) {
    const double h = 1e-5;
    const long double fd = (ops.evaluate(left, right, 0, 0, c.data(), 6, x + h) -
                            ops.evaluate(left, right, 0, 0, c.data(), 6, x - h)) /
                           (2 * h);
    EXPECT_NEAR((double)ops.evaluate(left, right, 0, 0, d.data(), 7, x), (double)fd, 1e-8) << x;
  }
  const double one[] = {5};
  std::vector<double> zero(2, 9.0);
  ops.differentiate(0, 1, 0, 0, one, zero.data(), 1);
  EXPECT_EQ(zero, (std::vector<double>{0, 0}));

  // Simpson's rule is exact for polynomials up to degree 3 per panel pair; a fine mesh makes
  // its error for degree 5 negligible.
  const int panels = 2000;
  const double h = (right - left) / panels;
  long double simpson = 0;
  for (int i = 0; i <= panels; ++i)
    simpson += (i == 0 || i == panels ? 1
                : i % 2               ? 4
                                      : 2) *
               ops.evaluate(left, right, 0, 0, c.data(), 6, left + i * h);
  simpson *= h / 3;
  EXPECT_NEAR((double)ops.integrate(left, right, 0, 0, c.data(), 6), (double)simpson, 1e-12);

  std::vector<double> nodes(6), weights(6);
  ops.quadrature(nodes.data(), weights.data(), 6, 0, 0);
  long double weighted = 0;
  for (int i = 0; i < 6; ++i)
    weighted += weights[i] * c[i];
  EXPECT_EQ(nodes.front(), 0.0);
  EXPECT_EQ(nodes.back(), 1.0);
  EXPECT_NEAR((double)(weighted * (right - left)), (double)simpson, 1e-12);
}

TEST(BernsteinBadInput, NoTermsAndAnEmptyInterval) {
  NanMesh mesh(4);
  std::vector<double> none;
  fitOn(0, 1, none, mesh, [](double) { return 1.0L; });  // reads no coefficient
  EXPECT_EQ(mesh.series[1], 0.0);
  const double c[] = {1, 2};
  EXPECT_TRUE(std::isnan((double)bernsteinBasis.evaluate(1, 1, 0, 0, c, 2, 1)));
}

}  // namespace
