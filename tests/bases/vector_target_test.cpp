// The choice of the vector target, and the recurrence kernels of every target this processor
// runs against sums in long double, at counts that leave ragged blocks for every target's width.
// (The whole basis tests run once per forced target through SERNA_VECTOR_TARGET; see CMake.)
#include "bases/vector_target.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "bases/function_recurrence_lanes.h"
#include "bases/progress_blocks.h"
#include "bases/three_term_lanes.h"

namespace {

TEST(VectorTarget, ARequestIsHonouredUpToTheProcessorsBest) {
  std::string note;
  EXPECT_EQ(chooseVectorTarget(nullptr, VectorTarget::avx2, note), VectorTarget::avx2);
  EXPECT_EQ(note, "");
  EXPECT_EQ(chooseVectorTarget("", VectorTarget::avx512, note), VectorTarget::avx512);
  EXPECT_EQ(note, "");
  EXPECT_EQ(chooseVectorTarget("sse2", VectorTarget::avx512, note), VectorTarget::sse2);
  EXPECT_EQ(note, "");
  EXPECT_EQ(chooseVectorTarget("portable", VectorTarget::sse2, note), VectorTarget::portable);
  EXPECT_EQ(chooseVectorTarget("avx2", VectorTarget::avx2, note), VectorTarget::avx2);
  EXPECT_EQ(note, "");
  // Never above what the processor runs, and never silently.
  EXPECT_EQ(chooseVectorTarget("avx512", VectorTarget::avx2, note), VectorTarget::avx2);
  EXPECT_EQ(note, "SERNA_VECTOR_TARGET=avx512: this processor runs at most avx2; using avx2");
  EXPECT_EQ(chooseVectorTarget("AVX2 ", VectorTarget::sse2, note), VectorTarget::sse2);
  EXPECT_EQ(note,
            "SERNA_VECTOR_TARGET=AVX2 : unknown target (avx512, avx2, sse2 or portable); using "
            "sse2");
}

TEST(VectorTarget, TheRunUsesTheForcedTarget) {
  const std::vector<VectorTarget> available = availableVectorTargets();
  ASSERT_FALSE(available.empty());
  EXPECT_EQ(available.front(), VectorTarget::portable);
  for (size_t i = 1; i < available.size(); ++i)
    EXPECT_LT(available[i - 1], available[i]);
  std::string note;
  const char* request = std::getenv("SERNA_VECTOR_TARGET");
  EXPECT_EQ(activeVectorTarget(), chooseVectorTarget(request, available.back(), note))
      << (request ? request : "(unset)");
  if (request && note.empty()) {
    EXPECT_STREQ(vectorTargetName(activeVectorTarget()), request);
  }
}

// Legendre's recurrence: P_k = ((2k - 1) t P_{k-1} - (k - 1) P_{k-2}) / k.
ThreeTermRecurrence legendre(int32_t n) {
  ThreeTermRecurrence p(n);
  for (int32_t k = 1; k < n; ++k) {
    p.a[k] = (2.0 * k - 1) / k;
    p.c[k] = (k - 1.0) / k;
  }
  return p;
}

long double legendreAt(int32_t k, long double t) {
  long double p1 = 1, p2 = 0;
  for (int32_t j = 1; j <= k; ++j) {
    const long double p = ((2 * j - 1) * t * p1 - (j - 1) * p2) / j;
    p2 = p1, p1 = p;
  }
  return p1;
}

std::vector<double> uniform(int32_t count, double low, double high, uint64_t seed) {
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> draw(low, high);
  std::vector<double> x(count);
  for (double& v : x)
    v = draw(random);
  return x;
}

// Counts below, at and past one block of every target (2 to 32 abscissae per block).
const int32_t raggedCounts[] = {1, 3, 8, 13, 33, 100, 1001};

TEST(VectorTargetKernels, ThreeTermSumsMatchLongDoubleOnEveryTarget) {
  for (VectorTarget target : availableVectorTargets()) {
    for (int32_t m : raggedCounts) {
      for (int32_t n : {1, 2, 3, 40, 257}) {
        const std::vector<double> t = uniform(m, -1, 1, m), u = uniform(m, -1, 1, m + 1);
        const std::vector<double> c = uniform(n, -1, 1, n);
        const ThreeTermRecurrence p = legendre(n);
        std::vector<double> sums(n, NAN), values(m, NAN);
        projectOntoRecurrence(p, t.data(), u.data(), m, sums.data(), n, target);
        sumRecurrenceSeries(p, c.data(), n, t.data(), values.data(), m, target);
        // |P_k| <= 1 on [-1, 1]: each sum's rounding stays within a few units of its size.
        for (int32_t k = 0; k < n; ++k) {
          long double sum = 0, size = 0;
          for (int32_t i = 0; i < m; ++i) {
            sum += u[i] * legendreAt(k, t[i]);
            size += std::fabs(u[i]);
          }
          ASSERT_NEAR(sums[k], static_cast<double>(sum), 4 * (k + 2) * 0x1p-52 * size)
              << vectorTargetName(target) << " m " << m << " n " << n << " k " << k;
        }
        for (int32_t i = 0; i < m; ++i) {
          long double value = 0, size = 0;
          for (int32_t k = 0; k < n; ++k) {
            value += c[k] * legendreAt(k, t[i]);
            size += std::fabs(c[k]);
          }
          ASSERT_NEAR(values[i], static_cast<double>(value), 4 * (n + 1) * 0x1p-52 * size)
              << vectorTargetName(target) << " m " << m << " n " << n << " i " << i;
        }
      }
    }
  }
}

// Jacobi's recurrence for P_k^(alpha, beta), whose shift b_k is not 0 where alpha != beta, and
// a recurrence with c_k < 0, which the kernels take as it is given: both against the recurrence
// run in long double from coefficients formed in long double.
struct LongRecurrence {
  std::vector<long double> a, b, c;
};

LongRecurrence jacobiLong(int32_t n, long double alpha, long double beta) {
  LongRecurrence r{std::vector<long double>(std::max(n, 2)),
                   std::vector<long double>(std::max(n, 2)),
                   std::vector<long double>(std::max(n, 2))};
  r.a[1] = (alpha + beta + 2) / 2, r.b[1] = (alpha - beta) / 2;
  for (int32_t k = 2; k < n; ++k) {
    const long double s = 2 * k + alpha + beta, d = 2 * k * (k + alpha + beta) * (s - 2);
    r.a[k] = (s - 1) * s * (s - 2) / d;
    r.b[k] = (s - 1) * (alpha * alpha - beta * beta) / d;
    r.c[k] = 2 * (k + alpha - 1) * (k + beta - 1) * s / d;
  }
  return r;
}

LongRecurrence negativeLast(int32_t n) {
  LongRecurrence r{std::vector<long double>(std::max(n, 2), 1.0L),
                   std::vector<long double>(std::max(n, 2), 0.25L),
                   std::vector<long double>(std::max(n, 2), -0.5L)};
  return r;
}

TEST(VectorTargetKernels, ShiftedAndNegativeRecurrencesMatchLongDoubleOnEveryTarget) {
  const int32_t m = 101, n = 120;
  const std::vector<double> t = uniform(m, -1, 1, 7), u = uniform(m, -1, 1, 8);
  const std::vector<double> c = uniform(n, -1, 1, 9);
  for (const LongRecurrence& r : {jacobiLong(n, 0.5L, -0.25L), negativeLast(n)}) {
    ThreeTermRecurrence p(n);
    for (int32_t k = 1; k < n; ++k)
      p.a[k] = static_cast<double>(r.a[k]), p.b[k] = static_cast<double>(r.b[k]),
      p.c[k] = static_cast<double>(r.c[k]);
    // P_k at every abscissa, and the largest |P_j|, j <= k, that the rounding scales with.
    std::vector<std::vector<long double>> values(m), largest(m);
    for (int32_t i = 0; i < m; ++i) {
      long double p2 = 0, p1 = 1, top = 1;
      for (int32_t k = 0; k < n; ++k) {
        if (k > 0) {
          const long double next = (r.a[k] * t[i] + r.b[k]) * p1 - (k > 1 ? r.c[k] * p2 : 0.0L);
          p2 = p1, p1 = next;
        }
        top = std::max(top, std::fabs(p1));
        values[i].push_back(p1);
        largest[i].push_back(top);
      }
    }
    for (VectorTarget target : availableVectorTargets()) {
      std::vector<double> sums(n, NAN), series(m, NAN);
      projectOntoRecurrence(p, t.data(), u.data(), m, sums.data(), n, target);
      sumRecurrenceSeries(p, c.data(), n, t.data(), series.data(), m, target);
      for (int32_t k = 0; k < n; ++k) {
        long double sum = 0, size = 0;
        for (int32_t i = 0; i < m; ++i)
          sum += u[i] * values[i][k], size += std::fabs(u[i]) * largest[i][k];
        ASSERT_NEAR(sums[k], static_cast<double>(sum), 4 * (k + 2) * 0x1p-52 * size)
            << vectorTargetName(target) << " k " << k;
      }
      for (int32_t i = 0; i < m; ++i) {
        long double value = 0, size = 0;
        for (int32_t k = 0; k < n; ++k)
          value += c[k] * values[i][k], size += std::fabs(c[k]) * largest[i][k];
        ASSERT_NEAR(series[i], static_cast<double>(value), 4 * (n + 1) * 0x1p-52 * size)
            << vectorTargetName(target) << " i " << i;
      }
    }
  }
}

// Hermite functions psi_k(t) = pi^(-1/4) e^(-t^2/2) H_k(t) / sqrt(2^k k!) and the Laguerre
// functions t^(alpha/2) e^(-t/2) L_k^(alpha)(t), by their classical recurrences in long double.
long double hermiteFunction(int32_t k, long double t) {
  long double p1 = std::exp(-t * t / 2) / std::sqrt(std::sqrt(3.141592653589793238462643383L));
  long double p2 = 0;
  for (int32_t j = 1; j <= k; ++j) {
    const long double p = std::sqrt(2.0L / j) * t * p1 - std::sqrt((j - 1.0L) / j) * p2;
    p2 = p1, p1 = p;
  }
  return p1;
}

long double laguerreFunction(int32_t k, long double t, long double alpha) {
  long double p1 = 1, p2 = 0;
  for (int32_t j = 1; j <= k; ++j) {
    const long double p = ((2 * j - 1 + alpha - t) * p1 - (j - 1 + alpha) * p2) / j;
    p2 = p1, p1 = p;
  }
  return std::pow(t, alpha / 2) * std::exp(-t / 2) * p1;
}

TEST(VectorTargetKernels, HermiteAndLaguerreFunctionsMatchLongDoubleOnEveryTarget) {
  const double alpha = 0.5;
  for (VectorTarget target : availableVectorTargets()) {
    for (int32_t m : raggedCounts) {
      const int32_t n = 60;
      const std::vector<double> t = uniform(m, 0, 6, m), w = uniform(m, -1, 1, m + 1);
      const std::vector<double> c = uniform(n, -1, 1, n);
      std::vector<double> rise(n), fall(n), order(n), inverse(n);
      for (int32_t k = 1; k < n; ++k) {
        rise[k] = std::sqrt(2.0 / k), fall[k] = std::sqrt((k - 1.0) / k);
        order[k] = (k + alpha) / k, inverse[k] = 1.0 / k;
      }
      FactoredAbscissae hermitePoints, laguerrePoints;
      for (int32_t i = 0; i < m; ++i) {
        hermitePoints.add(t[i], std::exp(-t[i] * t[i] / 2), 0);
        laguerrePoints.add(t[i], std::pow(t[i], alpha / 2) * std::exp(-t[i] / 2), 0);
      }
      std::vector<double> plus(m, NAN), minus(m, NAN), values(m, NAN);
      std::vector<double> hermiteSums(n, 0.0), laguerreSums(n, 0.0);
      BlockProgress progress(m);
      hermiteSeries(hermitePoints.points(), {rise.data(), fall.data()}, c.data(), n, INFINITY,
                    plus.data(), minus.data(), progress, target);
      hermiteProject(hermitePoints.points(), w.data(), w.data(), {rise.data(), fall.data()}, n,
                     INFINITY, hermiteSums.data(), progress, target);
      laguerreSeries(laguerrePoints.points(), {order.data(), inverse.data()}, c.data(), n, INFINITY,
                     values.data(), progress, target);
      laguerreProject(laguerrePoints.points(), w.data(), {order.data(), inverse.data()}, n,
                      INFINITY, laguerreSums.data(), progress, target);
      // The functions are at most about 1 in size here (Laguerre's up to a few): a bound of
      // 2^-44 times the sizes summed leaves room for n steps of the recurrence.
      const std::string where = std::string(vectorTargetName(target)) + " m " + std::to_string(m);
      for (int32_t i = 0; i < m; ++i) {
        long double even = 0, odd = 0, laguerre = 0, size = 0;
        for (int32_t k = 0; k < n; ++k) {
          (k % 2 ? odd : even) += c[k] * hermiteFunction(k, t[i]);
          laguerre += c[k] * laguerreFunction(k, t[i], alpha);
          size += std::fabs(c[k]);
        }
        ASSERT_NEAR(plus[i], static_cast<double>(even + odd), 0x1p-44 * size) << where;
        ASSERT_NEAR(minus[i], static_cast<double>(even - odd), 0x1p-44 * size) << where;
        ASSERT_NEAR(values[i], static_cast<double>(laguerre), 0x1p-44 * size) << where;
      }
      for (int32_t k = 0; k < n; ++k) {
        long double hermite = 0, laguerre = 0, size = 0;
        for (int32_t i = 0; i < m; ++i) {
          hermite += w[i] * hermiteFunction(k, t[i]);
          laguerre += w[i] * laguerreFunction(k, t[i], alpha);
          size += std::fabs(w[i]);
        }
        ASSERT_NEAR(hermiteSums[k], static_cast<double>(hermite), 0x1p-44 * size) << where;
        ASSERT_NEAR(laguerreSums[k], static_cast<double>(laguerre), 0x1p-44 * size) << where;
      }
    }
  }
}

}  // namespace
