// Double-double products and quotients against binary128, with the fused and the split products.
#include "bases/double_double.h"

#include <gtest/gtest.h>
#include <quadmath.h>

#include <cmath>
#include <random>

namespace {

__float128 value(DoubleDouble a) {
  return static_cast<__float128>(a.hi) + a.lo;
}

// Operands as the Jacobi factors have them: integers up to 2^22 plus an exponent, and sums of
// two doubles far apart in size.
template <bool fused>
void expectNearlyExact() {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> exponent(-0.99, 40.0);
  std::uniform_int_distribution<int> degree(2, 1 << 22);
  double worst = 0;
  for (int trial = 0; trial < 20000; ++trial) {
    const DoubleDouble a = exactSum(degree(random), exponent(random));
    const DoubleDouble b = exactSum(2.0 * degree(random), exponent(random));
    const __float128 product = value(a) * value(b), quotient = value(a) / value(b);
    worst = std::fmax(worst, static_cast<double>(fabsq(value(times<fused>(a, b)) / product - 1)));
    worst = std::fmax(worst, static_cast<double>(fabsq(value(over<fused>(a, b)) / quotient - 1)));
    EXPECT_EQ(value(exactSum(a.hi, b.hi)), static_cast<__float128>(a.hi) + b.hi);
  }
  // About 106 bits; what the node sets need is well beyond the 64 of long double.
  EXPECT_LT(worst, 0x1p-100);
}

TEST(DoubleDouble, ProductsAndQuotientsWithFusedAndSplitProducts) {
  expectNearlyExact<true>();
  expectNearlyExact<false>();
}

}  // namespace
