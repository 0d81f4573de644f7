// logGamma: exact values at small arguments, the standard library's lgammal as an independent
// reference over a wide range, and arguments outside its domain.
#include "bases/log_gamma.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double epsilon = 2.220446049250313e-16;

TEST(LogGammaSpot, OneTwoAndOneHalf) {
  EXPECT_NEAR(static_cast<double>(logGamma(1.0)), 0.0, 1e-15);
  EXPECT_NEAR(static_cast<double>(logGamma(2.0)), 0.0, 1e-15);
  EXPECT_NEAR(static_cast<double>(logGamma(0.5)), std::log(std::sqrt(3.141592653589793)), 1e-13);
  EXPECT_NEAR(static_cast<double>(logGamma(5.0)), std::log(24.0), 64 * epsilon);
}

TEST(LogGammaReference, AgreesWithLgammalFromHundredthsToHundredThousand) {
  // The six-term approximation is good to a few parts in 1e13 relative to max(1, |ln Gamma|).
  for (double x = 0.01; x < 1e5; x *= 1.07) {
    const long double reference = lgammal(static_cast<long double>(x));
    const long double scale = std::fmax(1.0L, std::fabs(reference));
    EXPECT_LT(std::fabs(logGamma(x) - reference) / scale, 1e-12) << "x = " << x;
  }
}

TEST(LogGammaBadInput, ZeroAndNegativeIntegersAreNotFinite) {
  EXPECT_FALSE(std::isfinite(static_cast<double>(logGamma(0.0))));
  EXPECT_FALSE(std::isfinite(static_cast<double>(logGamma(-1.0))));
}

}  // namespace
