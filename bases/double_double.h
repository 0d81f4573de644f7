// Numbers as an unevaluated sum hi + lo of two doubles, about 106 bits: for factors that must
// come out correctly rounded to long double, where the roundings of a long-double formula would
// repeat from one degree to the next instead of averaging out.
//
// fused: the processor has a fused multiply-add, which gives a product's rounding error in one
// operation; otherwise Dekker's splitting does, in seventeen. Both are exact, so the results are
// the same. The file that uses these must not let the compiler fuse on its own (the default for
// ISO C++), or the splitting breaks.
#pragma once

#include <cmath>

struct DoubleDouble {
  double hi, lo;
};

// a + b exactly (Knuth's two-sum).
inline DoubleDouble exactSum(double a, double b) {
  const double sum = a + b, back = sum - a;
  return {sum, (a - (sum - back)) + (b - back)};
}
// a + b exactly, for |a| >= |b|.
inline DoubleDouble orderedSum(double a, double b) {
  const double sum = a + b;
  return {sum, b - (sum - a)};
}

template <bool fused>
DoubleDouble exactProduct(double a, double b) {
  const double product = a * b;
  if constexpr (fused) {
    return {product, std::fma(a, b, -product)};
  } else {
    constexpr double split = 134217729.0;  // 2^27 + 1
    const double ta = split * a, aHigh = ta - (ta - a), aLow = a - aHigh;
    const double tb = split * b, bHigh = tb - (tb - b), bLow = b - bHigh;
    return {product, ((aHigh * bHigh - product) + aHigh * bLow + aLow * bHigh) + aLow * bLow};
  }
}

inline DoubleDouble plus(DoubleDouble a, DoubleDouble b) {
  const DoubleDouble sum = exactSum(a.hi, b.hi);
  return orderedSum(sum.hi, sum.lo + (a.lo + b.lo));
}

template <bool fused>
DoubleDouble times(DoubleDouble a, DoubleDouble b) {
  const DoubleDouble product = exactProduct<fused>(a.hi, b.hi);
  return orderedSum(product.hi, product.lo + (a.hi * b.lo + a.lo * b.hi));
}

template <bool fused>
DoubleDouble over(DoubleDouble a, DoubleDouble b) {
  const double first = a.hi / b.hi;
  const DoubleDouble rest = plus(a, times<fused>(b, {-first, 0}));
  return orderedSum(first, rest.hi / b.hi);
}

inline long double toLongDouble(DoubleDouble a) {
  return static_cast<long double>(a.hi) + a.lo;
}
