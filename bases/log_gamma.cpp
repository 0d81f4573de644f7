#include "bases/log_gamma.h"

#include <cmath>

// Lanczos approximation with six terms (g = 5): Gamma(x) = sqrt(2 pi) s(x) / x (x + 5.5)^(x + 0.5)
// e^-(x + 5.5), where the partial-fraction sum s(x) = c0 + sum_j c_j / (x + j) is the only
// part that is not elementary. Taking the logarithm keeps large arguments in range.
long double logGamma(double x) {
  static constexpr double cof[6] = {76.18009172947146,  -86.50532032941678,   24.01409824083091,
                                    -1.231739572450155, 0.001208650973866179, -5.395239384953e-06};
  static constexpr double sqrtTwoPi = 2.5066282746310007;
  double tmp = x + 5.5L;
  tmp = tmp - (x + 0.5L) * std::log(static_cast<long double>(tmp));
  double ser = 1.000000000190015;
  double y = x;
  for (double c : cof) {
    y = y + 1.0L;
    ser = ser + c / static_cast<long double>(y);
  }
  return std::log(sqrtTwoPi * static_cast<long double>(ser) / x) - tmp;
}
