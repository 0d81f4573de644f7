// logGamma and gammaRatio against mpmath references (references/gamma_references.py wrote
// the table), exact values, and arguments outside the domain.
#include "bases/log_gamma.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "bases/gamma_ratio.h"

namespace {

#include "references/gamma_references.inc"

// Units of the last place of a long double.
constexpr long double ulp = LDBL_EPSILON;
// logGamma: relative to the result, also next to its zeros at 1 and 2.
constexpr long double logGammaTolerance = 4 * ulp;
// gammaRatio: a few units of the last place times the ratio's condition number, which grows
// with the distance a - b (the sensitivity to a and b is a psi(x + a) and b psi(x + b)).
constexpr long double gammaRatioUlps = 8;

TEST(LogGammaReference, WithinFourUnitsOfTheLastPlaceFromTinyToHuge) {
  for (const auto& r : logGammaReferences) {
    const long double error = std::fabs(logGamma(r.x) - r.value) / std::fabs(r.value);
    EXPECT_LE(error, logGammaTolerance) << "x = " << r.x << ", " << error / ulp << " ulp";
  }
}

TEST(LogGammaSpot, ZerosAndFactorials) {
  EXPECT_EQ(logGamma(1.0L), 0.0L);
  EXPECT_EQ(logGamma(2.0L), 0.0L);
  long double factorial = 1.0L;  // (n - 1)!, exact in a long double up to 20!
  for (int n = 1; n <= 21; ++n) {
    const long double expected = std::log(factorial);
    EXPECT_LE(std::fabs(logGamma(n) - expected), logGammaTolerance * std::fmax(1, expected))
        << "n = " << n;
    factorial *= n;
  }
}

TEST(LogGammaBadInput, ZeroNegativeAndNotANumber) {
  EXPECT_EQ(logGamma(0.0L), HUGE_VALL);
  EXPECT_TRUE(std::isnan(logGamma(-1.0L)));
  EXPECT_TRUE(std::isnan(logGamma(-0.5L)));
  EXPECT_TRUE(std::isnan(logGamma(NAN)));
  EXPECT_EQ(logGamma(HUGE_VALL), HUGE_VALL);
}

TEST(GammaRatioReference, FewUnitsOfTheLastPlaceTimesTheCondition) {
  for (const auto& r : gammaRatioReferences) {
    const long double ratio = gammaRatio(r.x, r.a, r.b);
    const long double error = std::fabs(ratio - r.value) / r.value;
    const long double condition = 1 + std::fabs(r.a - r.b) * std::log(2 + r.x + std::fabs(r.a));
    EXPECT_LE(error, gammaRatioUlps * ulp * condition)
        << "x = " << r.x << ", a = " << r.a << ", b = " << r.b << ": " << error / ulp << " ulp";
  }
}

TEST(GammaRatioSpot, IntegerDistancesAreProducts) {
  // Gamma(x + 3) / Gamma(x) = x (x + 1) (x + 2), Gamma(x) / Gamma(x + 1) = 1 / x.
  for (long double x : {0.25L, 1.0L, 17.5L, 19.75L, 20.0L, 1e3L, 1e12L}) {
    const long double cubic = x * (x + 1) * (x + 2);
    EXPECT_LE(std::fabs(gammaRatio(x, 3, 0) / cubic - 1), 8 * ulp) << "x = " << x;
    EXPECT_LE(std::fabs(gammaRatio(x, 0, 1) * x - 1), 8 * ulp) << "x = " << x;
  }
  EXPECT_EQ(gammaRatio(5, 0.5L, 0.5L), 1.0L);
}

TEST(GammaRatioBadInput, ArgumentsAtOrBelowZeroGiveNotANumber) {
  EXPECT_TRUE(std::isnan(gammaRatio(1, -1, 0)));
  EXPECT_TRUE(std::isnan(gammaRatio(1, 0, -2)));
  EXPECT_TRUE(std::isnan(gammaRatio(NAN, 0, 1)));
}

}  // namespace
