// The chirp-z sums against long double direct sums at counts with large prime factors, for the
// roots of unity the bases use (e^(-2 pi i / n) of a real FFT, e^(i pi / (M + 1)) of the sine
// transform), odd and even counts, few and many frequencies; and the choice of route by the
// count's factors.
#include "bases/chirp_transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

namespace {

constexpr double eps = 2.220446049250313e-16;
constexpr long double truePi = 3.141592653589793238462643383279502884L;

// Values of mixed size and sign, reproducible without a generator.
std::vector<double> values(int32_t n) {
  std::vector<double> x(n);
  for (int32_t j = 0; j < n; ++j)
    x[j] = std::sin(0.7 * j + 0.3) + 0.25 * std::cos(0.013 * j * j) + (j % 7 == 3 ? 2.0 : 0.0);
  return x;
}

// w^(jk) = e^(i pi s jk / q) with jk reduced modulo 2q in integers.
std::complex<long double> power(int32_t s, int32_t q, int64_t jk) {
  const int64_t period = 2 * static_cast<int64_t>(q);
  const int64_t e = ((s * (jk % period)) % period + period) % period;
  const long double angle = truePi * e / q;
  return {cosl(angle), sinl(angle)};
}

// A bound of C eps log2(L) times the Euclidean size of the input: the rounding of the FFTs.
double bound(const ChirpTransform& t, long double size) {
  return 4 * eps * std::log2(static_cast<double>(t.length)) * static_cast<double>(std::sqrt(size));
}

struct Case {
  int32_t n, frequencies, numerator, denominator;
};

// Real FFTs of prime and prime-rich lengths, the sine transform's root of M + 1 = 1009 and
// 10007, K from 1 to past n/2, an even count with a large prime factor.
const Case cases[] = {{1009, 505, -2, 1009},  {10007, 100, -2, 10007}, {10007, 5004, 2, 10007},
                      {2018, 1010, -2, 2018}, {1009, 1, -2, 1009},     {1008, 1009, 1, 1009},
                      {10006, 300, 1, 10007}, {7, 4, -2, 7},           {99991, 37, -2, 99991}};

TEST(ChirpTransform, AnalysisMatchesLongDoubleSums) {
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "n = " << c.n << ", K = " << c.frequencies);
    const ChirpTransform t = makeChirpTransform(c.n, c.frequencies, c.numerator, c.denominator);
    const std::vector<double> x = values(c.n);
    std::vector<std::complex<double>> sums(c.frequencies);
    chirpAnalysis(t, x.data(), sums.data());
    long double size = 0;
    for (double v : x)
      size += (long double)v * v;
    const double tolerance = bound(t, size);
    for (int32_t k = 0; k < c.frequencies; k += 1 + k / 64) {
      std::complex<long double> ref = 0;
      for (int32_t j = 0; j < c.n; ++j)
        ref += (long double)x[j] * power(c.numerator, c.denominator, (int64_t)j * k);
      ASSERT_NEAR(sums[k].real(), (double)ref.real(), tolerance) << "k = " << k;
      ASSERT_NEAR(sums[k].imag(), (double)ref.imag(), tolerance) << "k = " << k;
    }
  }
}

TEST(ChirpTransform, SynthesisMatchesLongDoubleSums) {
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "n = " << c.n << ", K = " << c.frequencies);
    const ChirpTransform t = makeChirpTransform(c.n, c.frequencies, c.numerator, c.denominator);
    std::vector<std::complex<double>> z(c.frequencies);
    long double size = 0;
    for (int32_t k = 0; k < c.frequencies; ++k) {
      z[k] = {std::cos(0.37 * k) / (1 + 0.01 * k), std::sin(1.1 * k + 0.5)};
      size += std::norm(std::complex<long double>(z[k]));
    }
    std::vector<double> y(c.n);
    chirpSynthesis(t, z.data(), y.data());
    // Each value sums K terms: the size of the coefficients times sqrt(K) bounds it.
    const double tolerance = bound(t, size * c.frequencies);
    for (int32_t j = 0; j < c.n; j += 1 + j / 256) {
      long double ref = 0;
      for (int32_t k = 0; k < c.frequencies; ++k)
        ref += (std::complex<long double>(z[k]) * power(c.numerator, c.denominator, (int64_t)j * k))
                   .real();
      ASSERT_NEAR(y[j], (double)ref, tolerance) << "j = " << j;
    }
  }
}

TEST(ChirpTransform, LengthCoversHalfThePointsAndTwiceTheFrequencies) {
  const ChirpTransform t = makeChirpTransform(999983, 5001, -2, 999983);
  EXPECT_EQ(t.length, 1 << 19);  // 499992 + 10000 - 2 points fit in 2^19
  EXPECT_EQ(makeChirpTransform(1000000, 10001, 1, 1000001).length, 1 << 19);
  EXPECT_EQ(makeChirpTransform(1, 1, -2, 1).length, 2);
}

TEST(ChirpTransform, RouteFollowsTheLargestPrimeFactor) {
  EXPECT_EQ(largestPrimeFactor(1), 1);
  EXPECT_EQ(largestPrimeFactor(2), 2);
  EXPECT_EQ(largestPrimeFactor(999983), 999983);
  EXPECT_EQ(largestPrimeFactor(1000000), 5);
  EXPECT_EQ(largestPrimeFactor(999999), 37);     // 3^3 7 11 13 37
  EXPECT_EQ(largestPrimeFactor(2000002), 9901);  // 2 101 9901
  EXPECT_EQ(largestPrimeFactor(4294967294LL), 2147483647);
  EXPECT_FALSE(chirpPays(1000000));
  EXPECT_FALSE(chirpPays(993600));  // 2^6 3^3 5^2 23
  EXPECT_TRUE(chirpPays(999999));
  EXPECT_TRUE(chirpPays(999983));
  EXPECT_TRUE(chirpPays(2000002));
}

}  // namespace
