// The contract every basis with a quadrature fulfils, checked on each entry of the basis list:
// what each fit mode may touch, the order in which the source is sampled, the agreement of the
// mesh evaluation with `evaluate`, odd counts, and bad counts. Bernstein, whose fit samples and
// evaluates in every mode, has its own tests.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "bases/basis.h"
#include "tests/bases/test_mesh.h"

namespace {

class BasisContract : public ::testing::TestWithParam<int32_t> {
 protected:
  const BasisOps& ops() const { return basisEntry(GetParam()).ops; }
  bool finite() const { return GetParam() != 4 && GetParam() != 5; }

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
  EXPECT_EQ(fit(0, 1, c, mesh, counting, 0), 0.0L);
  EXPECT_EQ(c, (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(mesh.source, std::vector<double>(6, 7.0));
  EXPECT_EQ(mesh.series, std::vector<double>(6, 8.0));
  for (int i = 1; i < 6; ++i)
    EXPECT_LT(mesh.x[i - 1], mesh.x[i]);

  EXPECT_EQ(fit(0, 1, c, mesh, counting, 2), 0.0L);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(c, (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(mesh.source, std::vector<double>(6, 7.0));
  for (int i = 0; i < 6; ++i) {
    const double expected =
        static_cast<double>(ops().evaluate(0, 1, alpha, beta, c.data(), 3, mesh.x[i]));
    EXPECT_NEAR(mesh.series[i], expected, 1e-12 * (1 + std::fabs(expected))) << "node " << i;
  }

  std::vector<double> seen;
  const SourceFn recording = [&](double x) {
    seen.push_back(x);
    return 0.0L;
  };
  EXPECT_EQ(fit(0, 1, c, mesh, recording, 3), 0.0L);  // a zero source: zero figure
  EXPECT_EQ(seen, mesh.x);
  EXPECT_EQ(c, std::vector<double>(3, 0.0));
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
  if (GetParam() > 3) GTEST_SKIP() << "covered by the basis's own bad-input tests";
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

INSTANTIATE_TEST_SUITE_P(EveryBasis, EvaluateMany, ::testing::Range(0, basisCount),
                         [](const ::testing::TestParamInfo<int32_t>& info) {
                           std::string name;
                           for (const char* p = basisEntry(info.param).text; *p; ++p)
                             if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
                           return name;
                         });

std::string entryName(const ::testing::TestParamInfo<int32_t>& info) {
  std::string name;
  for (const char* p = basisEntry(info.param).text; *p; ++p)
    if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
  return name;
}

INSTANTIATE_TEST_SUITE_P(EveryQuadratureBasis, BasisContract,
                         ::testing::Values(0, 1, 2, 3, 4, 5, 7, 8), entryName);

}  // namespace
