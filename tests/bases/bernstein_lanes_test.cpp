// The vectorised Bernstein sum (behind fit's mesh and evaluateMany) against the sum in long
// double, at the mesh sizes and degrees where the walk's rounding errors would show.
#include "bases/bernstein.h"
#include "tests/bases/test_mesh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

// Mesh values and evaluateMany's values within this share of the largest |c_k|.
constexpr double walkTolerance = 1e-14;

// Reference: the terms in long double, from the end whose base 1 - s is the larger; 1 - g
// and r = s / (1 - s) keep 64 bits, so N products lose about N units of 2^-64.
long double longDoubleSum(const std::vector<double>& c, double g) {
  const int32_t n = static_cast<int32_t>(c.size());
  const bool fromRight = g > 0.5;
  const long double s = fromRight ? 1.0L - g : static_cast<long double>(g);
  const long double ratio = s / (1.0L - s);
  long double term = std::pow(1.0L - s, n - 1), sum = 0.0L;
  for (int32_t k = 0; k < n; ++k) {
    sum += c[fromRight ? n - 1 - k : k] * term;
    term = term * ratio * (n - 1 - k) / (k + 1);
  }
  return sum;
}

double largest(const std::vector<double>& c) {
  double size = 0;
  for (double v : c)
    size = std::max(size, std::fabs(v));
  return size;
}

// Smooth, random and constant coefficients; the constant ones take g = 1/3 and 2/3 on these
// meshes, where r is a unit below 1/2 and a plain product walk rounds the same way every step.
std::vector<std::vector<double>> coefficientSets(int32_t n, double size) {
  std::mt19937_64 random(n);
  std::uniform_real_distribution<double> uniform(-1, 1);
  std::vector<std::vector<double>> sets(3, std::vector<double>(n));
  for (int32_t k = 0; k < n; ++k) {
    sets[0][k] = size * (std::sin(7.0 * k / n) + 1.5);
    sets[1][k] = size * uniform(random);
    sets[2][k] = size;
  }
  return sets;
}

TEST(BernsteinWalk, MeshMatchesTheLongDoubleSum) {
  for (auto [m, n] : {std::pair{1000, 100}, std::pair{10000, 1000}, std::pair{3001, 1023},
                      std::pair{4001, 2040}}) {
    for (double size : {1.0, 0x1p-1000, 0x1p1000}) {
      for (std::vector<double>& c : coefficientSets(n, size)) {
        Mesh mesh(m, NAN);
        const std::vector<double> kept = c;
        double alpha = 0, beta = 0;
        fitWith(bernsteinBasis, -2, 3, alpha, beta, c, mesh, {}, 1);
        ASSERT_EQ(c, kept);
        EXPECT_EQ(mesh.series[0], c[0]);
        EXPECT_EQ(mesh.series[m - 1], c[n - 1]);
        const double bound = walkTolerance * largest(c);
        for (int32_t i = 1; i < m - 1; ++i) {
          const double g = static_cast<double>(i) / (m - 1);
          ASSERT_NEAR(mesh.series[i], static_cast<double>(longDoubleSum(c, g)), bound)
              << m << " " << n << " " << size << " " << i;
        }
      }
    }
  }
}

TEST(BernsteinWalk, EvaluateManyInsideAndOutsideTheInterval) {
  const double left = 1, right = 4;
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> uniform(left - 1, right + 1);
  for (int32_t n : {1, 2, 37, 600}) {
    for (const std::vector<double>& c : coefficientSets(n, 3.0)) {
      std::vector<double> x = {left, right, NAN, (left + right) / 2};
      for (int32_t i = 0; i < 500; ++i)
        x.push_back(uniform(random));
      std::vector<double> values(x.size(), NAN);
      bernsteinBasis.evaluateMany(left, right, 0, 0, c.data(), n, x.data(), values.data(),
                                  static_cast<int32_t>(x.size()));
      for (size_t i = 0; i < x.size(); ++i) {
        const double g = (static_cast<long double>(x[i]) - left) / (right - left);
        if (g >= 0 && g <= 1) {
          ASSERT_NEAR(values[i], static_cast<double>(longDoubleSum(c, g)),
                      walkTolerance * largest(c))
              << n << " " << x[i];
        } else {  // the extrapolation (or a not-a-number) is evaluate's, rounded
          const double expected =
              static_cast<double>(bernsteinBasis.evaluate(left, right, 0, 0, c.data(), n, x[i]));
          ASSERT_TRUE(values[i] == expected || (std::isnan(values[i]) && std::isnan(expected)))
              << n << " " << x[i];
        }
      }
    }
  }
}

TEST(BernsteinWalk, SeriesTheWalkCannotTakeGoTermByTerm) {
  // Beyond the walk's term count, and with a coefficient that is not finite, every abscissa
  // takes evaluate's path.
  std::vector<double> many = coefficientSets(2041, 1.0)[0], infinite = {1, INFINITY, 2};
  const std::vector<double> x = {0.0, 0.3, 0.5, 0.99, 1.0};
  for (const std::vector<double>& c : {many, infinite}) {
    std::vector<double> values(x.size());
    const int32_t n = static_cast<int32_t>(c.size());
    bernsteinBasis.evaluateMany(0, 1, 0, 0, c.data(), n, x.data(), values.data(), 5);
    for (size_t i = 0; i < x.size(); ++i) {
      const double expected =
          static_cast<double>(bernsteinBasis.evaluate(0, 1, 0, 0, c.data(), n, x[i]));
      EXPECT_TRUE(values[i] == expected || (std::isnan(values[i]) && std::isnan(expected)))
          << n << " " << x[i];
    }
  }
  // The term-by-term sums of 5000 terms, whose end terms lie far below the range of doubles,
  // against the long double sum.
  const std::vector<double> c = coefficientSets(5000, 1.0)[1];
  for (int32_t i = 1; i < 1000; ++i) {
    const double g = i / 1000.0;
    EXPECT_NEAR(static_cast<double>(bernsteinSum(c.data(), 5000, g)),
                static_cast<double>(longDoubleSum(c, g)), walkTolerance * largest(c))
        << g;
  }
  std::vector<double> none(3, 5.0);
  bernsteinBasis.evaluateMany(0, 1, 0, 0, nullptr, 0, x.data(), none.data(), 3);
  EXPECT_EQ(none, (std::vector<double>{0, 0, 0}));
}

}  // namespace
