#include "bases/log_gamma.h"

#include <cmath>
#include <limits>

namespace {

// ln Gamma(2 + z) = (1 - gamma) z + sum over k >= 2 of (-1)^k (zeta(k) - 1) / k z^k, which
// converges for |z| < 2; on |z| <= 1/2 the terms fall by a factor of 4 each and 36 of them
// reach the last place. Coefficients from mpmath (tests/bases/references/gamma_references.py).
constexpr long double twoPlusSeries[] = {
    0.4227843350984671393934879L,        0.3224670334241132182362076L,
    -0.06735230105319809513324605L,      0.02058080842778454787900092L,
    -0.007385551028673985266273097L,     0.002890510330741523285752988L,
    -0.001192753911703260977113936L,     0.0005096695247430424223356548L,
    -0.0002231547584535793797614188L,    0.00009945751278180853371459589L,
    -0.0000449262367381331417002075L,    0.0000205072127756706915531665L,
    -0.000009439488275268395903987425L,  0.000004374866789907487804181793L,
    -0.000002039215753801366236781901L,  0.000000955141213040741983285718L,
    -0.000000449246919876456604329429L,  0.0000002120718480555466586923136L,
    -0.0000001004322482396809960872083L, 4.769810169363980565760193e-8L,
    -2.271109460894316491031998e-8L,     1.083865921489695409107492e-8L,
    -5.183475041970046655121249e-9L,     2.483674543802478317185009e-9L,
    -1.192140140586091207442548e-9L,     5.731367241678862013330195e-10L,
    -2.75952288512423314517815e-10L,     1.330476437424448948149716e-10L,
    -6.422964563838100022082448e-11L,    3.104424774732227276239216e-11L,
    -1.502138408075414217093301e-11L,    7.27597448023907966250455e-12L,
    -3.527742476575915083615072e-12L,    1.711991790559617908601084e-12L,
    -8.315385841420284819798358e-13L,    4.042200525289440065536009e-13L,
};

long double logGammaTwoPlus(long double z) {
  constexpr int count = sizeof twoPlusSeries / sizeof twoPlusSeries[0];
  long double sum = 0.0L;
  for (int k = count - 1; k >= 0; --k)
    sum = (sum + twoPlusSeries[k]) * z;
  return sum;
}

constexpr long double halfLogTwoPi = 0.918938533204672741780329736406L;

}  // namespace

// B_2k / (2k (2k - 1) y^(2k - 1)) for k = 1..9: at y >= 20 the next term is below 1e-22.
long double stirlingTail(long double y) {
  constexpr long double coefficients[] = {
      1.0L / 12,        -1.0L / 360, 1.0L / 1260,       -1.0L / 1680,      1.0L / 1188,
      -691.0L / 360360, 1.0L / 156,  -3617.0L / 122400, 43867.0L / 244188,
  };
  const long double r = 1.0L / y, r2 = r * r;
  long double sum = 0.0L;
  for (int k = 8; k >= 0; --k)
    sum = sum * r2 + coefficients[k];
  return sum * r;
}

// Large arguments take Stirling's series. Below it the argument is brought into
// [1.5, 2.5) by Gamma(x + 1) = x Gamma(x), exactly (the shifts subtract integers from x), and
// ln Gamma(2 + z) comes from its power series in z; below 1.5 the shifts go up, through
// log1p, so that the zero at 1 keeps its relative accuracy. Working downwards from a large
// shifted argument instead would cancel digits: ln Gamma(x + n) - ln(x ... (x + n - 1)).
long double logGamma(long double x) {
  if (std::isnan(x) || x < 0) return std::numeric_limits<long double>::quiet_NaN();
  if (x == 0) return std::numeric_limits<long double>::infinity();
  if (x >= stirlingFrom) {
    if (std::isinf(x)) return x;
    const long double logX = std::log(x);
    return x * (logX - 1.0L) - 0.5L * logX + halfLogTwoPi + stirlingTail(x);
  }
  if (x < 0.5L) return logGammaTwoPlus(x) - std::log1p(x) - std::log(x);
  if (x < 1.5L) {
    const long double z = x - 1.0L;  // exact
    return logGammaTwoPlus(z) - std::log1p(z);
  }
  long double product = 1.0L;
  while (x >= 2.5L) {
    x -= 1.0L;  // exact: x keeps its last place or gains one
    product *= x;
  }
  return logGammaTwoPlus(x - 2.0L) + std::log(product);
}
