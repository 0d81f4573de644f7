#include "bases/gamma_ratio.h"

#include <cmath>
#include <limits>

#include "bases/log_gamma.h"

namespace {

// log1p(t) - t without the cancellation of the plain difference at small t: with
// s = t / (2 + t), log1p(t) = 2 atanh(s) and t = 2s + 2s^2 / (1 - s), so
// log1p(t) - t = -2s^2 / (1 - s) + 2 (s^3/3 + s^5/5 + ...). For |t| <= 1/2, |s| <= 1/3.
long double log1pMinusIdentity(long double t) {
  if (std::fabs(t) > 0.5L) return std::log1p(t) - t;
  const long double s = t / (2.0L + t), s2 = s * s;
  long double odd = 0.0L;  // s^2/3 + s^4/5 + ..., 1/9 smaller each term
  for (int k = 21; k >= 1; --k)
    odd = (odd + 1.0L / (2 * k + 1)) * s2;
  return 2.0L * s * (odd - s / (1.0L - s));
}

// Gamma(p + d) / Gamma(p) for p >= stirlingFrom and p + d >= stirlingFrom, from Stirling's
// series of both: the main parts differ by (p + d - 1/2) ln(p + d) - (p - 1/2) ln p - d
//   = d ln p + p (log1p(d/p) - d/p) + (d - 1/2) log1p(d/p),
// whose last two terms are small when d is small next to p. p^d is a power, not exp(d ln p),
// so that a large ln p does not magnify its rounding.
long double stirlingRatio(long double p, long double d) {
  const long double t = d / p;
  const long double exponent = p * log1pMinusIdentity(t) + (d - 0.5L) * std::log1p(t) +
                               (stirlingTail(p + d) - stirlingTail(p));
  return std::pow(p, d) * std::exp(exponent);
}

}  // namespace

// The ratio depends on x + b and the distance d = a - b; x + b is the pivot p, so that its
// rounding barely matters (the result's sensitivity to p is only psi(p + d) - psi(p) ~ d/p).
// A pivot below Stirling's range is raised by the recurrence Gamma(y + 1) = y Gamma(y), the
// factors gathered in two long-double products.
long double gammaRatio(long double x, long double a, long double b) {
  long double p = x + b;
  const long double d = a - b;
  if (!(p > 0) || !(p + d > 0)) return std::numeric_limits<long double>::quiet_NaN();
  if (d == 0) return 1.0L;
  long double numerator = 1.0L, denominator = 1.0L;
  // At most ~20 steps; the bound also ends the loop where p + 1 rounds back to p.
  for (int step = 0; step < 32 && (p < stirlingFrom || p + d < stirlingFrom); ++step) {
    numerator *= p;
    denominator *= p + d;
    p += 1.0L;
  }
  return stirlingRatio(p, d) * (numerator / denominator);
}
