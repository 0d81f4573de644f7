// The contract every basis fulfils, checked on each entry of the basis list: what each fit mode
// may touch, the order in which the source is sampled, the agreement of the mesh evaluation
// with `evaluate`, projectValues and sumOnMesh against the fit modes they name, odd counts, and
// bad counts. Bernstein, whose coefficients are source values, samples in any mode with a
// source and evaluates in every mode.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

#include "bases/basis.h"
#include "tests/bases/test_mesh.h"

namespace {

class BasisContract : public ::testing::TestWithParam<int32_t> {
 protected:
  const BasisOps& ops() const { return basisEntry(GetParam()).ops; }
  bool finite() const {
    return GetParam() != soninLaguerreBasisIndex && GetParam() != hermiteBasisIndex;
  }
  bool sampledCoefficients() const { return GetParam() == bernsteinBasisIndex; }

  long double fit(double left, double right, std::vector<double>& c, Mesh& mesh,
                  const SourceFn& source, int32_t mode) {
    return ops().fit(left, right, alpha, beta, c.data(), static_cast<int32_t>(c.size()),
                     mesh.x.data(), mesh.source.data(), mesh.series.data(),
                     static_cast<int32_t>(mesh.x.size()), source, mode);
  }

  // Order and scale of the half-line and line bases; exponents of the Jacobi weight.
  double alpha = 0.5, beta = 1.5;
};

TEST_P(BasisContract, ModesTouchOnlyWhatTheyOwn) {
  Mesh mesh(6);
  std::vector<double> c = {1, 2, 3};
  mesh.source.assign(6, 7.0);
  mesh.series.assign(6, 8.0);
  int calls = 0;
  const SourceFn counting = [&](double) {
    ++calls;
    return 0.0L;
  };
  const auto expectSeriesOfC = [&] {
    for (int i = 0; i < 6; ++i) {
      const double expected =
          static_cast<double>(ops().evaluate(0, 1, alpha, beta, c.data(), 3, mesh.x[i]));
      EXPECT_NEAR(mesh.series[i], expected, 1e-12 * (1 + std::fabs(expected))) << "node " << i;
    }
  };
  EXPECT_EQ(fit(0, 1, c, mesh, counting, 0), 0.0L);
  EXPECT_EQ(c, (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(mesh.source, std::vector<double>(6, 7.0));
  if (sampledCoefficients())
    expectSeriesOfC();  // summed in every mode
  else
    EXPECT_EQ(mesh.series, std::vector<double>(6, 8.0));
  for (int i = 1; i < 6; ++i)
    EXPECT_LT(mesh.x[i - 1], mesh.x[i]);

  if (sampledCoefficients()) {
    // Mode 2 with a source samples the mesh and the three coefficients' abscissae.
    EXPECT_EQ(fit(0, 1, c, mesh, counting, 2), 0.0L);
    EXPECT_EQ(calls, 6 + 3);
    EXPECT_EQ(c, std::vector<double>(3, 0.0));
    EXPECT_EQ(mesh.series, std::vector<double>(6, 0.0));
    c = {1, 2, 3};
    EXPECT_EQ(fit(0, 1, c, mesh, {}, 2), 0.0L);
  } else {
    EXPECT_EQ(fit(0, 1, c, mesh, counting, 2), 0.0L);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(c, (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(mesh.source, std::vector<double>(6, 7.0));
  }
  expectSeriesOfC();

  std::vector<double> seen;
  const SourceFn recording = [&](double x) {
    seen.push_back(x);
    return 0.0L;
  };
  EXPECT_EQ(fit(0, 1, c, mesh, recording, 3), 0.0L);  // a zero source: zero figure
  if (sampledCoefficients()) {
    seen.resize(6);  // then the coefficients' abscissae
  }
  EXPECT_EQ(seen, mesh.x);
  EXPECT_EQ(c, std::vector<double>(3, 0.0));
}

// The same doubles to the bit (a not-a-number included).
std::vector<uint64_t> bitsOf(const std::vector<double>& values) {
  std::vector<uint64_t> bits;
  for (double v : values)
    bits.push_back(std::bit_cast<uint64_t>(v));
  return bits;
}

// projectValues is fit's mode 1 without a source and sumOnMesh its mode 2, to the bit: the
// figure, the coefficients, the mesh and the corrected alpha and beta (out of range here, so
// that the half-line and line bases correct them; the Jacobi series is then not finite). A
// record without the two steps (a test's) takes them from its fit.
TEST_P(BasisContract, ProjectValuesAndSumOnMeshAreFitModesOneAndTwo) {
  ASSERT_NE(ops().projectValues, nullptr);
  ASSERT_NE(ops().sumOnMesh, nullptr);
  // An alpha that the correcting bases replace, where the basis takes it at all.
  const double startAlpha = parameterRefusal(ops(), -2, 0).empty() ? -2 : 0.5;
  BasisOps fitOnly = ops();
  fitOnly.projectValues = nullptr;
  fitOnly.sumOnMesh = nullptr;
  for (const auto& [m, n, record] : {std::tuple{40, 7, ops()}, std::tuple{64, 64, ops()},
                                     std::tuple{7, 3, ops()}, std::tuple{40, 7, fitOnly}}) {
    SCOPED_TRACE(testing::Message()
                 << "M = " << m << ", N = " << n << (record.projectValues ? "" : ", through fit"));
    Mesh viaFit(m);
    for (int32_t i = 0; i < m; ++i)
      viaFit.source[i] = std::cos(0.37 * i) + 0.01 * i;
    const std::vector<double> values = viaFit.source;
    std::vector<double> c(n, 5.0), projected = c;
    double fitAlpha = startAlpha, fitBeta = 0;
    const double figure =
        static_cast<double>(fitWith(ops(), 0.5, 3.0, fitAlpha, fitBeta, c, viaFit, {}, 1));

    Mesh direct(m, -1.0);
    double a = startAlpha, b = 0;
    const double projectedFigure = static_cast<double>(projectValues(
        record, 0.5, 3.0, a, b, values.data(), projected.data(), n, direct.x.data(), m));
    EXPECT_EQ(bitsOf({projectedFigure, a, b}), bitsOf({figure, fitAlpha, fitBeta}));
    EXPECT_EQ(bitsOf(projected), bitsOf(c));
    EXPECT_EQ(bitsOf(direct.x), bitsOf(viaFit.x));

    for (int32_t k = 0; k < n; ++k)
      c[k] = 1.0 / (k + 1);
    fitAlpha = startAlpha, fitBeta = 0, a = startAlpha, b = 0;
    fitWith(ops(), 0.5, 3.0, fitAlpha, fitBeta, c, viaFit, {}, 2);
    sumOnMesh(record, 0.5, 3.0, a, b, c.data(), n, direct.x.data(), direct.series.data(), m);
    EXPECT_EQ(bitsOf(direct.series), bitsOf(viaFit.series));
    EXPECT_EQ(bitsOf({direct.x[0], direct.x[m - 1], a, b}),
              bitsOf({viaFit.x[0], viaFit.x[m - 1], fitAlpha, fitBeta}));
  }
}

// No terms capture nothing: the figure is 1 where the basis forms one, and nothing past the
// empty coefficient vector is written.
TEST_P(BasisContract, NoTermsCaptureNothing) {
  Mesh mesh(8);
  std::vector<double> none;
  const long double figure = fit(
      0.5, 3.0, none, mesh, [](double x) { return (long double)std::sin(x); }, 3);
  const bool formsFigure = !sampledCoefficients() && GetParam() != discreteChebyshevBasisIndex;
  EXPECT_EQ(figure, formsFigure ? 1.0L : 0.0L);
  for (double v : mesh.series)
    EXPECT_EQ(v, 0.0);
}

TEST_P(BasisContract, OddCountsWriteEveryEntry) {
  for (int32_t m : {3, 7, 101}) {
    Mesh mesh(m);
    const double unset = std::numeric_limits<double>::quiet_NaN();
    mesh.x.assign(m, unset);
    mesh.series.assign(m, unset);
    std::vector<double> c(3);
    fit(
        0, 2, c, mesh, [](double x) { return (long double)std::sin(x); }, 3);
    for (int32_t i = 0; i < m; ++i) {
      EXPECT_TRUE(std::isfinite(mesh.x[i])) << "M = " << m << ", entry " << i;
      EXPECT_TRUE(std::isfinite(mesh.series[i])) << "M = " << m << ", entry " << i;
      if (i > 0) {
        EXPECT_LT(mesh.x[i - 1], mesh.x[i]) << "M = " << m;
      }
    }
  }
}

TEST_P(BasisContract, NodeCacheSurvivesAChangeOfInterval) {
  if (!finite()) GTEST_SKIP() << "the half-line and line bases place their mesh by beta";
  Mesh a(8), b(8);
  std::vector<double> c(1);
  fit(0, 1, c, a, {}, 0);
  fit(10, 20, c, b, {}, 0);
  for (int i = 0; i < 8; ++i)
    EXPECT_NEAR((b.x[i] - 15) / 5, (a.x[i] - 0.5) / 0.5, 1e-14);
}

TEST_P(BasisContract, EmptyMeshesAndEmptyIntervalsNeitherCrashNorWrite) {
  std::vector<double> nodes(1, 9.0), weights(1, 9.0);
  for (int32_t m : {0, -3}) {
    ops().quadrature(nodes.data(), weights.data(), m, 0, 0);
    double x = 9, s = 9, v = 9, one = 9;
    EXPECT_EQ(ops().fit(0, 1, alpha, beta, &one, 1, &x, &s, &v, m, {}, 3), 0.0L);
    EXPECT_EQ(x, 9.0);
    EXPECT_EQ(v, 9.0);
  }
  EXPECT_EQ(nodes[0], 9.0);
  EXPECT_EQ(weights[0], 9.0);
  if (GetParam() > chebyshev2BasisIndex) return;  // covered by the basis's own bad-input tests
  // left == right: the mapped variable is not finite and neither is the series; returned as is.
  const std::vector<double> c = {1, 2, 3};
  EXPECT_FALSE(std::isfinite((double)ops().evaluate(1, 1, 0, 0, c.data(), 3, 2.0)));
  std::vector<double> d(4, 0.0);
  ops().differentiate(1, 1, 0, 0, c.data(), d.data(), 3);
  EXPECT_FALSE(std::isfinite(d[1]));
  EXPECT_EQ(ops().integrate(0, 1, 0, 0, c.data(), 0), 0.0L);
}

// Every basis, Bernstein included: evaluateMany is evaluate for many abscissae at once, in any
// order, across the interval and at its ends.
class EvaluateMany : public BasisContract {};

TEST_P(EvaluateMany, AgreesWithEvaluate) {
  const double left = 0.5, right = 3.0;
  for (const auto& [m, n] : {std::pair{2000, 300}, std::pair{50, 7}, std::pair{10, 1}}) {
    Mesh mesh(m);
    std::vector<double> c(n);
    fit(
        left, right, c, mesh, [](double x) { return (long double)(std::sin(3 * x) + x * x); }, 3);
    std::vector<double> x = {right, left};
    for (int32_t i = 0; i < 997; ++i)
      x.push_back(left + (right - left) * std::fmod(i * 0.618033988749895, 1.0));
    std::vector<double> values(x.size(), NAN);
    ops().evaluateMany(left, right, alpha, beta, c.data(), n, x.data(), values.data(),
                       static_cast<int32_t>(x.size()));
    long double size = 0;
    for (double v : c)
      size += std::fabs(v);
    for (size_t i = 0; i < x.size(); ++i) {
      const double expected =
          static_cast<double>(ops().evaluate(left, right, alpha, beta, c.data(), n, x[i]));
      ASSERT_NEAR(values[i], expected, 1e-13 * (1 + std::fabs(expected) + (double)size))
          << "N = " << n << ", x = " << x[i];
    }
  }
}

std::string entryName(const ::testing::TestParamInfo<int32_t>& info) {
  std::string name;
  for (const char* p = basisEntry(info.param).text; *p; ++p)
    if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
  return name;
}

INSTANTIATE_TEST_SUITE_P(EveryBasis, BasisContract, ::testing::Range(0, basisCount), entryName);
INSTANTIATE_TEST_SUITE_P(EveryBasis, EvaluateMany, ::testing::Range(0, basisCount), entryName);

}  // namespace
