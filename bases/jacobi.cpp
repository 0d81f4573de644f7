#include "bases/jacobi.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "bases/double_double.h"
#include "bases/fit_driver.h"
#include "bases/gamma_ratio.h"
#include "bases/interval_map.h"
#include "bases/node_cache.h"
#include "bases/ode_root_marching.h"
#include "bases/progress_blocks.h"
#include "bases/quadrature_fit.h"
#include "bases/vector_target.h"

namespace {

using ld = long double;

thread_local NodeCache<GaussNodes> ruleCache;  // keyed on (M, alpha, beta)

// Where an exponent is below 1/2, the Gauss weights grow towards its end faster than the
// values P_k fall, and the rounding errors of the three-term recurrence, which grow there as
// 1 / sin(theta), reach the coefficients: at (M, N) = (10^4, 10^3), 5.4e5 eps of the largest
// coefficient for (-0.9, 2.5), 100 eps for (0, 0). Near an exponent below 0, P_k is also the
// recurrence's small solution for the low degrees. The nodes within 1/8 of such an end take
// the pair of first-order recurrences in s = 1 - |t| instead (34 eps and 18 eps there; 1/4
// gained little more and cost a third more time):
//   P_{k+1} = ((k + alpha + 1) P_k - (k + ab/2 + 1) s Q_k) / (k + 1),
//   Q_{k+1} = ((2k + ab + 3) P_{k+1} + (k + 1 + beta) Q_k) / (k + ab + 2),
// with Q_k = P_k^(alpha+1,beta) (from (2k + ab + 1) P_k = (k + ab + 1) Q_k - (k + beta) Q_{k-1}
// and the contiguous relation of (1 - t) Q_k), at the left end in the exponents swapped, by
// P_k^(alpha,beta)(t) = (-1)^k P_k^(beta,alpha)(-t). For |t| >= 1/2, s is exact. The factors
// are formed in long double from the exponents as given: k + alpha rounded to a double first
// moves alpha by up to k eps, which near -1 cost 100 eps.
constexpr double endExponentBound = 0.5, endReach = 0.125;

// The end recurrence in the exponents seen from the end: its own first.
EndRecurrence jacobiEndRecurrence(int32_t n, double own, double other) {
  EndRecurrence r(n);
  const ld ab = ld(own) + other;
  for (int32_t k = 0; k + 1 < n; ++k) {
    r.f[k] = static_cast<double>((ld(own) + k + 1) / (k + 1));
    r.g[k] = static_cast<double>((k + ab / 2 + 1) / (k + 1));
    r.h[k] = static_cast<double>((2.0L * k + ab + 3) / (k + ab + 2));
    r.l[k] = static_cast<double>((k + 1.0L + other) / (k + ab + 2));
  }
  return r;
}

// The recurrences and the squared norms: the norms take two gamma ratios each, which would cost
// more than a small fit itself.
struct SeriesFactors {
  ThreeTermRecurrence p{0};
  std::vector<double> norms;
  bool nearLeft = false, nearRight = false;  // beta, alpha below the bound
  EndRecurrence left{0}, right{0};
};
thread_local NodeCache<SeriesFactors> factorCache;  // keyed on (N, alpha, beta)

// Three-term recurrence of the Jacobi polynomials, P_j from P_{j-1} and P_{j-2} at t:
//   P_j = ((temp - 1)(alpha^2 - beta^2 + temp (temp - 2) t) P_{j-1}
//          - 2 (j - 1 + alpha)(j - 1 + beta) temp P_{j-2}) / (2j (j + ab)(temp - 2)),
// temp = 2j + ab, and P_1 = ((ab + 2) t + alpha - beta) / 2, that is
// P_j = (slope z + offset) P_{j-1} - damping P_{j-2}, j >= 2, with slope and damping positive
// for alpha, beta > -1. The factors of degree j, with ab = alpha + beta exact in long double
// (rounded to a double, it shifts every P_k by about k eps, and the coefficients with it).
struct JacobiFactors {
  ld slope, offset, damping;
};
JacobiFactors jacobiFactors(int32_t j, ld alpha, ld beta, ld ab) {
  const ld temp = 2.0L * j + ab, lead = temp - 1;
  const ld divisor = 2.0L * j * (j + ab) * (temp - 2);
  return {lead * temp * (temp - 2) / divisor, lead * (alpha * alpha - beta * beta) / divisor,
          2 * (j - 1 + alpha) * (j - 1 + beta) * temp / divisor};
}

// Each sum such as j + alpha rounds away the bits of alpha below the last place of j: the same
// bits for every j of a binade, and the products and quotients of such sums then round alike
// from one degree to the next too. Along a recurrence of 10^5 or 10^6 degrees those errors add
// up rather than average out: 3e-15 in every weight for alpha = 0.37, beta = 0.71, and 1e-14 to
// 4e-14 in the end weights of 10^6 nodes, also for alpha = -0.9 alone. Where some sum rounds,
// the factors of the node set's long passes come from double-double arithmetic instead,
// correctly rounded to long double, and their roundings vary from degree to degree.
//
// sumsExact: whether j + c and 2j + c are exact in long double for every j <= n, that is c a
// multiple of the last place of 2n + |c| (0, 1/2, 5/2, 20 are; 0.37 and -0.9 are not).
bool sumsExact(ld c, int32_t n) {
  const ld scaled = std::ldexp(c, 63 - std::ilogb(2.0L * n + std::fabs(c)));
  return scaled == std::nearbyint(scaled);
}
bool sumsExact(ld alpha, ld beta, int32_t n) {
  return sumsExact(alpha, n) && sumsExact(beta, n) && sumsExact(alpha + beta, n);
}

// The exponents as the double-double factors take them.
struct ExactExponents {
  double alpha, beta;
  DoubleDouble ab, squares;  // alpha + beta and alpha^2 - beta^2
  ExactExponents(double a, double b)
      : alpha(a), beta(b), ab(exactSum(a, b)), squares(times<false>(exactSum(a, -b), ab)) {}
  DoubleDouble shifted(double integer) const { return plus({integer, 0}, ab); }  // integer + ab
};

// jacobiFactors from double-double arithmetic.
template <bool fused>
JacobiFactors jacobiFactorsExactly(int32_t j, const ExactExponents& e) {
  const double i = j;
  const DoubleDouble withAlpha = exactSum(i - 1, e.alpha), withBeta = exactSum(i - 1, e.beta);
  const DoubleDouble temp = e.shifted(2 * i), lead = e.shifted(2 * i - 1),
                     low = e.shifted(2 * i - 2);
  const DoubleDouble half = times<fused>(e.shifted(i), {i, 0});  // j (j + ab)
  const DoubleDouble below = times<fused>(half, low);            // the divisor, halved
  return {toLongDouble(over<fused>(times<fused>(lead, temp), times<fused>(half, {2, 0}))),
          toLongDouble(over<fused>(times<fused>(lead, e.squares), times<fused>(below, {2, 0}))),
          toLongDouble(over<fused>(times<fused>(times<fused>(withAlpha, withBeta), temp), below))};
}

// The recurrence with its factors per degree divided out once, for the kernels.
ThreeTermRecurrence jacobiRecurrence(double alpha, double beta, int32_t n) {
  const ld ab = ld(alpha) + beta;
  ThreeTermRecurrence r(n);
  r.a[1] = static_cast<double>((ab + 2.0L) / 2);
  r.b[1] = static_cast<double>((ld(alpha) - beta) / 2);
  for (int32_t j = 2; j < n; ++j) {
    const JacobiFactors d = jacobiFactors(j, alpha, beta, ab);
    r.a[j] = static_cast<double>(d.slope);
    r.b[j] = static_cast<double>(d.offset);
    r.c[j] = static_cast<double>(d.damping);
  }
  return r;
}

// The factors in long double for the root finders; they depend only on j, so one table serves
// every root of a node set.
struct JacobiTable {
  int32_t n;
  ld alpha, beta, ab;
  std::vector<ld> slope, offset, damping;

  JacobiTable(int32_t count, ld a, ld b)
      : n(count),
        alpha(a),
        beta(b),
        ab(a + b),
        slope(count + 1),
        offset(count + 1),
        damping(count + 1) {
    for (int32_t j = 2; j <= n; ++j) {
      const JacobiFactors d = jacobiFactors(j, alpha, beta, ab);
      slope[j] = d.slope;
      offset[j] = d.offset;
      damping[j] = d.damping;
    }
  }
  ld first(ld z) const { return ((ab + 2) * z + alpha - beta) / 2; }
  // P_j(z) from P_{j-1}(z) = current and P_{j-2}(z) = previous.
  ld next(int32_t j, ld z, ld current, ld previous) const {
    return (slope[j] * z + offset[j]) * current - damping[j] * previous;
  }
};

// Squared norm h_j = 2^(ab+1) / (2j + ab + 1) Gamma(j + alpha + 1) Gamma(j + beta + 1) /
// (Gamma(j + ab + 1) j!) of P_j, from gamma ratios; g = 2^(ab + 1). At j = 0 the form
// 2^(ab+1) Gamma(alpha + 1) Gamma(beta + 1) / Gamma(ab + 2) holds also where ab + 1 <= 0.
ld squaredNorm(int32_t j, ld alpha, ld beta, ld g) {
  const ld ab = alpha + beta;
  if (j == 0) return g * gammaRatio(0, alpha + 1, ab + 2) * gammaRatio(0, beta + 1, 1);
  return g * gammaRatio(j, alpha + 1, ab + 1) * gammaRatio(j, beta + 1, 1) / (2.0L * j + ab + 1);
}

SeriesFactors makeSeriesFactors(int32_t n, double alpha, double beta) {
  SeriesFactors fresh{jacobiRecurrence(alpha, beta, n), std::vector<double>(std::max(n, 0))};
  const ld g = std::exp2(ld(alpha) + beta + 1);
  for (int32_t j = 0; j < n; ++j)
    fresh.norms[j] = static_cast<double>(squaredNorm(j, alpha, beta, g));
  fresh.nearLeft = beta < endExponentBound, fresh.nearRight = alpha < endExponentBound;
  if (fresh.nearLeft) fresh.left = jacobiEndRecurrence(n, beta, alpha);
  if (fresh.nearRight) fresh.right = jacobiEndRecurrence(n, alpha, beta);
  return fresh;
}

// sums[k] = sum_i u_i P_k(t_i), k < n, at the ascending nodes t: the nodes near an end with a
// small exponent by its end recurrence, the rest by the three-term one.
void jacobiSums(const SeriesFactors& factors, const double* t, const double* u, int32_t m,
                double* sums, int32_t n) {
  const int32_t lo =
      factors.nearLeft ? static_cast<int32_t>(std::lower_bound(t, t + m, endReach - 1) - t) : 0;
  const int32_t hi =
      factors.nearRight ? static_cast<int32_t>(std::upper_bound(t, t + m, 1 - endReach) - t) : m;
  projectOntoRecurrence(factors.p, t + lo, u + lo, std::max(hi - lo, 0), sums, n);
  std::vector<double> s, part(n);
  if (lo > 0) {
    s.resize(lo);
    for (int32_t i = 0; i < lo; ++i)
      s[i] = 1 + t[i];
    projectNearEnd(factors.left, s.data(), u, lo, part.data(), n);
    for (int32_t k = 0; k < n; ++k)
      sums[k] += k % 2 ? -part[k] : part[k];
  }
  if (hi < m) {
    s.resize(m - hi);
    for (int32_t i = hi; i < m; ++i)
      s[i - hi] = 1 - t[i];
    projectNearEnd(factors.right, s.data(), u + hi, m - hi, part.data(), n);
    for (int32_t k = 0; k < n; ++k)
      sums[k] += part[k];
  }
}

// jacobiSums for `spectra` rows of u (spectra x m) into sums (spectra x n), every part by the
// blocked product.
void jacobiManySums(const SeriesFactors& factors, const double* t, const double* u, int32_t m,
                    int64_t spectra, double* sums, int32_t n) {
  const int32_t lo =
      factors.nearLeft ? static_cast<int32_t>(std::lower_bound(t, t + m, endReach - 1) - t) : 0;
  const int32_t hi =
      factors.nearRight ? static_cast<int32_t>(std::upper_bound(t, t + m, 1 - endReach) - t) : m;
  projectManyOntoRecurrence(factors.p, t + lo, u + lo, std::max(hi - lo, 0), m, spectra, sums, n);
  if (lo == 0 && hi == m) return;
  std::vector<double> s, part(static_cast<size_t>(spectra) * n);
  // The left end's recurrence is in the mirrored variable, where P_k changes sign with k odd.
  auto addEnd = [&](const EndRecurrence& end, int32_t from, int32_t count, bool left) {
    s.resize(count);
    for (int32_t i = 0; i < count; ++i)
      s[i] = left ? 1 + t[from + i] : 1 - t[from + i];
    projectManyNearEnd(end, s.data(), u + from, count, m, spectra, part.data(), n);
    for (int64_t j = 0; j < spectra; ++j)
      for (int32_t k = 0; k < n; ++k)
        sums[j * n + k] += left && k % 2 ? -part[j * n + k] : part[j * n + k];
  };
  if (lo > 0) addEnd(factors.left, 0, lo, true);
  if (hi < m) addEnd(factors.right, hi, m - hi, false);
}

// Large alpha or beta put the weights (2^(alpha + beta + 1) times gamma ratios) or the
// polynomials beyond doubles; a rule that came out so is never used or kept.
void refuseUnrepresentableRule(const double* t, const double* w, int32_t m, double alpha,
                               double beta) {
  for (int32_t i = 0; i < m; ++i)
    if (!std::isfinite(t[i]) || !std::isfinite(w[i])) {
      char text[200];
      std::snprintf(text, sizeof text,
                    "The Jacobi nodes and weights for alpha %lg, beta %lg and %d points are "
                    "beyond doubles: take smaller alpha and beta (greater than -1)",
                    alpha, beta, m);
      throw ParametersRefused(text);
    }
}

struct JacobiSeries {
  int32_t n = 0;
  const SeriesFactors* factors = nullptr;

  const GaussNodes& settle(int32_t m, int32_t terms, double alpha, double beta) {
    n = terms;
    const GaussNodes& rule = ruleCache.at({m, alpha, beta}, [=] {
      return makeGaussNodes(m, [=](double* t, double* w) {
        gaussJacobi(t, w, m, alpha, beta);
        refuseUnrepresentableRule(t, w, m, alpha, beta);
      });
    });
    factors = &factorCache.at({terms, alpha, beta},
                              [=] { return makeSeriesFactors(terms, alpha, beta); });
    return rule;
  }
  long double sums(const GaussNodes& rule, const double* f, double* sums) const {
    const int32_t m = static_cast<int32_t>(rule.t.size());
    std::vector<double> u(m);
    const long double energy = weightedEnergy(rule, f, u.data());
    if (n > 0) jacobiSums(*factors, rule.t.data(), u.data(), m, sums, n);
    return energy;
  }
  void manySums(const GaussNodes& rule, const double* f, int64_t spectra, double* sums) const {
    const int32_t m = static_cast<int32_t>(rule.t.size());
    std::vector<double> u(static_cast<size_t>(spectra) * m);
    for (int64_t j = 0; j < spectra; ++j)
      weightedEnergy(rule, f + j * m, u.data() + j * m);
    if (n > 0) jacobiManySums(*factors, rule.t.data(), u.data(), m, spectra, sums, n);
  }
  double squaredNorm(int32_t k) const { return factors->norms[k]; }
  void sum(const GaussNodes& rule, const double* c, double* values) const {
    sumAtNodesByRecurrence(rule, factors->p, c, n, values);
  }
};

void evaluateManyJacobi(double left, double right, double alpha, double beta, const double* c,
                        int32_t n, const double* x, double* values, int32_t count) {
  evaluateByRecurrence(left, right, jacobiRecurrence(alpha, beta, n), c, n, x, values, count);
}

long double evaluateJacobi(double left, double right, double alpha, double beta, const double* c,
                           int32_t n, double x) {
  double value = 0.0;
  evaluateManyJacobi(left, right, alpha, beta, c, n, &x, &value, 1);
  return value;
}

void quadratureJacobi(double* nodes, double* weights, int32_t m, double alpha, double beta) {
  gaussJacobi(nodes, weights, m, alpha, beta);
}

// The derivatives of the Jacobi polynomials span the same space one degree lower:
//   P_k = A_k P'_{k+1} + B_k P'_k + C_k P'_{k-1},
// so matching the coefficient of P'_k in sum d_k P_k = sum c_k P'_k gives a backward
// recurrence for d, as for the Chebyshev series. A_0 = 2 / (ab + 2) is the limit of the
// general A_k, whose factor (2k + ab + 1) cancels.
void differentiateJacobi(double left, double right, double alpha, double beta, const double* c,
                         double* d, int32_t n) {
  if (n <= 0) return;
  const ld ab = ld(alpha) + beta;
  auto a = [&](int32_t k) -> ld {
    if (k == 0) return 2 / (ab + 2);
    return 2 * (k + ab + 1) / ((2 * k + ab + 1) * (2 * k + ab + 2));
  };
  auto b = [&](int32_t k) -> ld {
    return 2 * (ld(alpha) - beta) / ((2 * k + ab) * (2 * k + ab + 2));
  };
  auto cc = [&](int32_t k) -> ld {
    return -2 * (k + ld(alpha)) * (k + ld(beta)) / ((k + ab) * (2 * k + ab) * (2 * k + ab + 1));
  };
  const ld chain = unitPerAbscissa(left, right);
  ld above = 0, twoAbove = 0;  // d_k and d_{k+1} of the step before, unscaled
  d[n - 1] = 0.0;
  for (int32_t k = n - 1; k >= 1; --k) {
    const ld below = (c[k] - b(k) * above - cc(k + 1) * twoAbove) / a(k - 1);
    d[k - 1] = static_cast<double>(below * chain);
    twoAbove = above;
    above = below;
  }
}

// The integral over [-1, 1] of P_k is 2 for k = 0, alpha - beta for k = 1, and from
// P_k = 2 / (k + ab) d/dt P_{k+1}^(alpha-1,beta-1) for k >= 2
//   2 / (k + ab) (binomial(k + alpha, k + 1) + (-1)^k binomial(k + beta, k + 1)).
long double integrateJacobi(double left, double right, double alpha, double beta, const double* c,
                            int32_t n) {
  if (n <= 0) return 0.0L;
  const ld ab = ld(alpha) + beta;
  ld sum = 2.0L * c[0];
  if (n >= 2) sum += (ld(alpha) - beta) * c[1];
  ld up = (alpha + 1.0L) * alpha / 2;  // binomial(k + alpha, k + 1) at k = 1
  ld down = (beta + 1.0L) * beta / 2;  // binomial(k + beta, k + 1) at k = 1
  for (int32_t k = 2; k < n; ++k) {
    up = up * (k + ld(alpha)) / (k + 1);
    down = down * (k + ld(beta)) / (k + 1);
    sum += 2 / (k + ab) * (up + (k % 2 ? -down : down)) * c[k];
  }
  return (ld(right) - left) / 2 * sum;
}

struct JacobiValues {
  ld pn, pnm1, derivative;
};

// P_n(z), P_{n-1}(z) and P_n'(z) = (n (alpha - beta - (2n + ab) z) P_n + 2 (n + alpha)
// (n + beta) P_{n-1}) / ((2n + ab)(1 - z^2)).
JacobiValues jacobiAt(const JacobiTable& p, ld z) {
  ld current = p.first(z), previous = 1;
  for (int32_t j = 2; j <= p.n; ++j) {
    const ld next = p.next(j, z, current, previous);
    previous = current;
    current = next;
  }
  const int32_t n = p.n;
  const ld temp = 2.0L * n + p.ab;
  const ld derivative =
      (n * (p.alpha - p.beta - temp * z) * current + 2 * (n + p.alpha) * (n + p.beta) * previous) /
      (temp * (1 - z * z));
  return {current, previous, derivative};
}

// Sign changes along P_0(z), ..., P_n(z): the number of roots of P_n above z (the sequence
// is a Sturm sequence because slope and damping are positive).
int32_t rootsAbove(const JacobiTable& p, ld z) {
  int32_t changes = 0;
  ld lastNonZero = 1;
  auto note = [&](ld v) {
    if (v == 0) return;  // a zero sits between two values of opposite sign
    if ((v < 0) != (lastNonZero < 0)) ++changes;
    lastNonZero = v;
  };
  ld current = p.first(z), previous = 1;
  note(current);
  for (int32_t j = 2; j <= p.n; ++j) {
    const ld next = p.next(j, z, current, previous);
    note(next);
    previous = current;
    current = next;
  }
  return changes;
}

// Safeguard for a guess that Newton took outside (-1, upper) or onto a root already found:
// bisection on the Sturm count isolates the root with `above` roots above it.
ld isolateRoot(const JacobiTable& p, int32_t above, ld upper) {
  ld lo = -1, hi = upper;
  for (int iteration = 0; iteration < 200; ++iteration) {
    const ld mid = (lo + hi) / 2;
    if (mid == lo || mid == hi) break;
    if (rootsAbove(p, mid) > above)
      lo = mid;
    else
      hi = mid;
  }
  return (lo + hi) / 2;
}

// Near x = 1 the recurrence runs in s = sin^2(theta / 2) = (1 - x) / 2 on R_j = P_j(x) / P_j(1)
// and its differences D_j = R_j - R_{j-1}, since 1 - 2s would lose the digits of s that decide
// the end nodes and their weights. With P_j(1) = binomial(j + alpha, j) the three-term
// recurrence becomes D_j = f_j D_{j-1} - g_j s R_{j-1}, D_1 = -(ab + 2) s / (alpha + 1), with
//   f_j = (j - 1)(j - 1 + beta)(2j + ab) / ((j + alpha)(j + ab)(2j + ab - 2)),
//   g_j = (2j + ab - 1)(2j + ab) / ((j + alpha)(j + ab)),
// in which nothing cancels for small s. The end at -1 is the end at +1 of P_n^(beta,alpha).
// The factors are formed on the way: a table of them for 10^6 degrees is 32 MB whose first
// touch costs more than the few passes the roots take. Each is one correctly rounded division:
// a reciprocal shared by f_j and g_j rounds alike along the degrees and, for alpha = -0.5,
// moved the end weights of 10^6 nodes by 1e-14.
struct EndRecurrence {
  int32_t n;
  ld alpha, beta, ab;

  // Where some sum of the exponents rounds (see sumsExact), the correction that brings each
  // plain f_j and g_j to the double-double value correctly rounded, relative to the plain
  // value, tabulated once: the double-double factors cost several times the plain ones, and
  // each root takes a few passes. Floats are enough for corrections near 2^-64, and keep the
  // table at 8 bytes a degree. Empty where the plain factors hold.
  struct Correction {
    float f, g;
  };
  std::unique_ptr<Correction[]> corrections;

  EndRecurrence(int32_t count, ld a, ld b) : n(count), alpha(a), beta(b), ab(a + b) {
    if (sumsExact(a, b, count) || count < 2) return;
    corrections.reset(new Correction[count + 1]);
#ifdef SERNA_FUSED_BUILDS
    if (runFusesMultiplyAdd()) {
      fillFused(*this);
      return;
    }
#endif
    fill<false>(*this);
  }

  // f = (j - 1)(j - 1 + beta)(2j + ab) / ((j + alpha)(j + ab)(2j - 2 + ab)) and
  // g = (2j - 1 + ab)(2j + ab) / ((j + alpha)(j + ab)) in long double.
  struct Factors {
    ld f, g;
  };
  Factors plainFactors(int32_t j) const {
    const ld temp = 2.0L * j + ab;
    return {(j - 1) * (j - 1 + beta) * temp / ((j + alpha) * (j + ab) * (temp - 2)),
            (temp - 1) * temp / ((j + alpha) * (j + ab))};
  }
  template <bool fused>
  static void fill(EndRecurrence& p) {
    const double alpha = static_cast<double>(p.alpha), beta = static_cast<double>(p.beta);
    const ExactExponents e(alpha, beta);
    for (int32_t j = 2; j <= p.n; ++j) {
      const double i = j, m = j - 1;
      const DoubleDouble withAlpha = exactSum(i, alpha), withBeta = exactSum(m, beta);
      const DoubleDouble temp = e.shifted(2 * i);
      const DoubleDouble below = times<fused>(withAlpha, e.shifted(i));
      const ld f = toLongDouble(over<fused>(times<fused>(times<fused>(withBeta, {m, 0}), temp),
                                            times<fused>(below, e.shifted(2 * i - 2))));
      const ld g = toLongDouble(over<fused>(times<fused>(e.shifted(2 * i - 1), temp), below));
      const Factors plain = p.plainFactors(j);
      p.corrections[j] = {static_cast<float>((f - plain.f) / plain.f),
                          static_cast<float>((g - plain.g) / plain.g)};
    }
  }
#ifdef SERNA_FUSED_BUILDS
  [[gnu::flatten, gnu::target("arch=x86-64-v3")]] static void fillFused(EndRecurrence& p) {
    fill<true>(p);
  }
#endif
  int32_t degree() const {
    return n;
  }

  struct Value {
    ld r, slope;      // R_n(s) and dR_n/ds
    int32_t changes;  // sign changes along R_0 .. R_n: the roots with an s below this one
  };
  Value at(ld s) const {
    return corrections ? walk<true>(s) : walk<false>(s);
  }
  // One loop with the corrections and one without, so that the state stays in registers.
  template <bool corrected>
  Value walk(ld s) const {
    const ld first = (ab + 2) / (alpha + 1);
    ld d = -first * s, dSlope = -first;  // D_1 and dD_1/ds
    ld r = 1 + d, rSlope = dSlope;       // R_1 and dR_1/ds
    int32_t changes = r < 0 ? 1 : 0;
    for (int32_t j = 2; j <= n; ++j) {
      auto [f, g] = plainFactors(j);
      if constexpr (corrected) {
        f += f * corrections[j].f;
        g += g * corrections[j].g;
      }
      const ld dNext = f * d - g * s * r;
      dSlope = f * dSlope - g * (r + s * rSlope);
      d = dNext;
      const ld next = r + d;
      changes += (next < 0) != (r < 0);
      r = next;
      rSlope += dSlope;
    }
    return {r, rSlope, changes};
  }
};

// C / P_n(1)^2 = 2^(ab+1) Gamma(first+1)^2 Gamma(n+second+1) n! / (Gamma(n+ab+1) Gamma(n+first+1)),
// the constant of the weights in s at the end where (1 - x)^first vanishes.
ld endConstant(int32_t n, ld first, ld second) {
  const ld ab = first + second;
  const ld gammaFirst = gammaRatio(0, first + 1, 1);
  return std::exp2(ab + 1) * gammaFirst * gammaFirst * gammaRatio(n, second + 1, ab + 1) *
         gammaRatio(n, 1, first + 1);
}

// Small counts, where the march from 0 does not reach two roots on each side: Newton's method
// on P_n from the largest root down. The first three and the last two roots
// start from empirical guesses in alpha, beta and n; every other root from the quadratic
// extrapolation through the three roots above it. The iterate is kept in extended precision,
// since near the ends the node spacing is ~1/n^2 and a node rounded to a double would cost
// digits of the weight. A guess that Newton takes to a neighbour is caught by the Sturm count
// and replaced by bisection on that count.
void recurrenceRoots(double* nodes, double* weights, int32_t n, double alpha, double beta) {
  const JacobiTable p(n, alpha, beta);
  // The weights from the recurrence in s about the nearer end, as for the end nodes of the march.
  const EndRecurrence right(n, alpha, beta), left(n, beta, alpha);
  const ld rightConstant = endConstant(n, alpha, beta), leftConstant = endConstant(n, beta, alpha);
  const ld nn = ld(int64_t(n) * n);
  ld z = 0, upper = 1;
  for (int32_t k = n - 1; k >= 0; --k) {
    if (k == n - 1) {
      const ld an = alpha / ld(n), bn = beta / ld(n);
      const ld r1 = (1.0L + alpha) * (2.78L / (4 + nn) + 0.768L * an / n);
      const ld r2 = 1.0L + 1.48L * an + 0.96L * bn + 0.452L * an * an + 0.83L * an * bn;
      z = 1.0L - r1 / r2;
    } else if (k == n - 2) {
      const ld r1 = (4.1L + alpha) / ((1.0L + alpha) * (1.0L + 0.156L * alpha));
      const ld r2 = 1.0L + 0.06L * (n - 8.0L) * (1.0L + 0.12L * alpha) / n;
      const ld r3 = 1.0L + 0.012L * beta * (1.0L + 0.25L * std::fabs(alpha)) / n;
      z = z - (1.0L - z) * r1 * r2 * r3;
    } else if (k == n - 3) {
      const ld r1 = (1.67L + 0.28L * alpha) / (1.0L + 0.37L * alpha);
      const ld r2 = 1.0L + 0.22L * (n - 8.0L) / n;
      const ld r3 = 1.0L + 8.0L * beta / ((6.28L + beta) * nn);
      z = z - (nodes[n - 1] - z) * r1 * r2 * r3;
    } else if (k == 1) {
      const ld r1 = (1.0L + 0.235L * beta) / (0.766L + 0.119L * beta);
      const ld r2 = 1.0L / (1.0L + 0.639L * (n - 4.0L) / (1.0L + 0.71L * (n - 4.0L)));
      const ld r3 = 1.0L / (1.0L + 20.0L * alpha / ((7.5L + alpha) * nn));
      z = z + (z - nodes[3]) * r1 * r2 * r3;
    } else if (k == 0) {
      const ld r1 = (1.0L + 0.37L * beta) / (1.67L + 0.28L * beta);
      const ld r2 = 1.0L / (1.0L + 0.22L * (n - 8.0L) / n);
      const ld r3 = 1.0L / (1.0L + 8.0L * alpha / ((6.28L + alpha) * nn));
      z = z + (z - nodes[2]) * r1 * r2 * r3;
    } else {
      z = 3.0L * nodes[k + 1] - 3.0L * nodes[k + 2] + nodes[k + 3];
    }

    // Newton, at most 10 steps; the values of the final pass are those at the root.
    JacobiValues at = jacobiAt(p, z);
    for (int iteration = 0; iteration < 10; ++iteration) {
      const ld step = at.pn / at.derivative;
      z -= step;
      at = jacobiAt(p, z);
      if (std::fabs(step) <= 3e-14L) break;
    }
    // Accept the root only if it lies below the one found before and the Sturm count drops
    // from n - k to n - 1 - k across it (within a small fraction of the gap to the root
    // above): the guess then led to the k-th root and not to a neighbour or a flat stretch.
    const int32_t above = n - 1 - k;
    const ld margin = (upper - z) * 1e-3L;
    const bool accepted = z > -1 && z < upper && rootsAbove(p, z - margin) == above + 1 &&
                          rootsAbove(p, z + margin) == above;
    if (!accepted) {
      z = isolateRoot(p, above, upper);
      at = jacobiAt(p, z);
      for (int iteration = 0; iteration < 3 && at.derivative != 0; ++iteration) {
        const ld next = z - at.pn / at.derivative;
        if (!(next > -1 && next < upper)) break;
        z = next;
        at = jacobiAt(p, z);
      }
    }
    // One step more: the loop ends at a step of 3e-14, and the weight wants the root to the
    // last bits of the long double.
    if (at.derivative != 0) {
      const ld next = z - at.pn / at.derivative;
      if (next > -1 && next < upper) z = next, at = jacobiAt(p, z);
    }
    // Two Newton steps more in s about the nearer end, where x has lost the digits of 1 -+ x.
    const EndRecurrence& end = z > 0 ? right : left;
    const ld sign = z > 0 ? 1 : -1;
    ld s = (1 - sign * z) / 2;
    EndRecurrence::Value v = end.at(s);
    for (int step = 0; step < 2 && v.slope != 0; ++step) {
      const ld next = s - v.r / v.slope;
      if (!(next > 0 && next < 1)) break;
      s = next;
      v = end.at(s);
    }
    z = sign * (1 - 2 * s);
    nodes[k] = static_cast<double>(z);
    weights[k] = static_cast<double>((z > 0 ? rightConstant : leftConstant) /
                                     (s * (1 - s) * v.slope * v.slope));
    upper = z;
  }
}

struct EndRoot {
  ld s, slope;  // the root in s and dR_n/ds there
};

// The `count` smallest roots of R_n in s, below `bound`, by Newton with the roots already found
// divided out (Maehly). R_n is a polynomial in s with only real roots, so Newton started below
// all the roots left rises to the smallest of them without overshooting, whatever alpha is:
// from s = 0 for the outermost root, from just above it for the second, and from there on from
// half the last spacing in theta beyond the last root (the spacings of the Bessel zeros that
// these roots follow change by far less than half from the second on), which saves about half
// of the Newton steps of a start just above the last root. Each step is a pass over all n
// degrees, some eight per root. Empty when a root does not come out where it must lie.
std::vector<EndRoot> rootsFromBelow(const EndRecurrence& p, int32_t count, ld bound) {
  std::vector<EndRoot> roots;
  for (int32_t k = 0; k < count; ++k) {
    const ld below = k > 0 ? roots.back().s : 0.0L;
    ld s = below * (1 + 1e-3L);
    if (k >= 2) {
      // theta = 2 asin(sqrt(s)) of the last two roots
      const ld last = 2 * std::asin(std::sqrt(below));
      const ld before = 2 * std::asin(std::sqrt(roots[k - 2].s));
      const ld start = std::sin((last + (last - before) / 2) / 2);  // sqrt(s) half a spacing on
      s = std::fmax(s, start * start);
    }
    for (int step = 0; step < 200; ++step) {
      const EndRecurrence::Value v = p.at(s);
      ld deflation = 0;
      for (const EndRoot& root : roots)
        deflation += 1 / (s - root.s);
      const ld change = 1 / (v.slope / v.r - deflation);
      s -= change;
      if (!(std::fabs(change) > 1e-13L * s)) break;
    }
    if (!(s > below && s < bound)) return {};
    roots.push_back({s, p.at(s).slope});
  }
  return roots;
}

// The roots of R_n in s from starts within a small fraction of their spacing, by Newton with
// the roots before divided out: one pass from a start good to 1e-10, two from one good to
// ~1e-7 (the scaled starts below come within 1e-17 to 3e-11 for exponents up to 2.5 at 10^5 and
// 10^6 nodes, 2e-8 for (20, 20) at 10^5). The last pass
// gives R_n, R_n' at an s within ~1e-10 s of the root; the slope at the root follows from
// them and the Jacobi equation in s,
//   s (1 - s) R'' + ((alpha + 1) - (ab + 2) s) R' + n (n + ab + 1) R = 0,
// and its derivative, by Taylor's formula to second order, which saves the pass that would
// evaluate it there. A root that moves more than a tenth of the way to its neighbour from its
// start, or leaves (0, bound) or the order, makes the result empty: the starts were not good.
std::vector<EndRoot> rootsFromStarts(const EndRecurrence& p, const std::vector<ld>& starts,
                                     ld bound) {
  const int32_t n = p.degree();
  const ld lambda = ld(n) * (n + p.ab + 1);
  std::vector<EndRoot> roots;
  for (size_t k = 0; k < starts.size(); ++k) {
    const ld below = k > 0 ? roots.back().s : 0.0L;
    const ld above = k + 1 < starts.size() ? starts[k + 1] : bound;
    const ld start = starts[k];
    const ld allowed = std::fmin(start - below, above - start) / 10;
    ld s = start, slope = 0;
    bool converged = false;
    for (int step = 0; step < 8 && !converged; ++step) {
      const EndRecurrence::Value v = p.at(s);
      ld deflation = 0;
      for (const EndRoot& root : roots)
        deflation += 1 / (s - root.s);
      const ld change = 1 / (v.slope / v.r - deflation);
      if (!std::isfinite(change)) return {};
      if (std::fabs(change) <= 1e-10L * s) {
        const ld spread = s * (1 - s), q = (p.alpha + 1) - (p.ab + 2) * s;
        const ld second = -(q * v.slope + lambda * v.r) / spread;
        const ld third = -((1 - 2 * s + q) * second + (lambda - p.ab - 2) * v.slope) / spread;
        slope = v.slope - change * (second - change / 2 * third);
        converged = true;
      }
      s -= change;
      if (!(std::fabs(s - start) <= allowed)) return {};
    }
    if (!converged || !(s > below && s < bound)) return {};
    roots.push_back({s, slope});
  }
  return roots;
}

// Counts at which the end roots start from those of a smaller count scaled in theta: from
// scaledCount nodes on, the start count is a fixed fraction of n or smaller.
constexpr int32_t scaledCount = 8192, startCount = 1024;

// theta_k nu = j_k (the k-th zero of the Bessel function J_alpha) + O(nu^-4), with
// nu^2 = (n + (ab + 1) / 2)^2 + (1 - alpha^2 - 3 beta^2) / 12, so theta_k at count n0 times
// nu(n0) / nu(n) is theta_k at n to a few parts in 10^8 (more for large exponents, which the
// Newton passes still absorb).
ld besselScale(int32_t n, ld alpha, ld beta) {
  const ld rho = n + (alpha + beta + 1) / 2;
  return std::sqrt(rho * rho + (1 - alpha * alpha - 3 * beta * beta) / 12);
}

// The `count` roots of P_n^(alpha,beta) between x = 1 and the last marched root, whose
// s = (1 - x) / 2 is sLast, from the end inwards; sBefore is that of the root marched before it.
// They must lie below sLast by most of a spacing, so a root found beyond a quarter of the last
// spacing below sLast means the count was wrong (a root the march skipped). For large n the
// roots start from the same roots at startCount nodes, scaled, and take one or two passes
// each; where that fails, or for smaller n, they rise from below (rootsFromBelow). Ascending
// in s; empty with ok = false when a root does not come out where it must lie.
std::vector<EndRoot> endRoots(int32_t n, ld alpha, ld beta, int32_t count, ld sBefore, ld sLast,
                              bool& ok) {
  ok = count >= 0;
  if (count <= 0) return {};
  const EndRecurrence p(n, alpha, beta);
  const ld bound = sLast - (sBefore - sLast) / 4;
  if (n >= scaledCount) {
    const std::vector<EndRoot> coarse =
        rootsFromBelow(EndRecurrence(startCount, alpha, beta), count, 0.5L);
    if (static_cast<int32_t>(coarse.size()) == count) {
      const ld scale = besselScale(startCount, alpha, beta) / besselScale(n, alpha, beta);
      std::vector<ld> starts;
      for (const EndRoot& root : coarse) {
        const ld half = std::asin(std::sqrt(root.s)) * scale;  // theta / 2
        starts.push_back(std::sin(half) * std::sin(half));
      }
      std::vector<EndRoot> roots = rootsFromStarts(p, starts, bound);
      if (static_cast<int32_t>(roots.size()) == count) return roots;
    }
  }
  std::vector<EndRoot> roots = rootsFromBelow(p, count, bound);
  ok = static_cast<int32_t>(roots.size()) == count;
  return roots;
}

struct ValuesAtZero {
  ld value, slope;  // P_n(0) and P_n'(0)
  int32_t above;    // the roots of P_n in (0, 1)
};

// P_n(0) and P_n'(0) by the recurrence and its derivative, in long double, with the factors of
// each degree formed on the way (a table of them would cost more to fill than the pass), and the
// sign changes along P_0(0) .. P_n(0): the number of roots above 0, as for rootsAbove (a zero root
// is not counted: P_0 .. P_{n-1} then count those of P_{n-1}, which interlace).
template <bool plain, bool fused>
ValuesAtZero valuesAtZeroWith(int32_t n, ld alpha, ld beta) {
  const ld ab = alpha + beta;
  [[maybe_unused]] const ExactExponents e(static_cast<double>(alpha), static_cast<double>(beta));
  ld previous = 1, current = (alpha - beta) / 2, dPrevious = 0, dCurrent = (ab + 2) / 2;
  int32_t changes = 0;
  ld lastNonZero = 1;
  auto note = [&](ld v) {
    if (v != 0 && (v < 0) != (lastNonZero < 0)) ++changes;
    if (v != 0) lastNonZero = v;
  };
  note(current);
  for (int32_t j = 2; j <= n; ++j) {
    const JacobiFactors d =
        plain ? jacobiFactors(j, alpha, beta, ab) : jacobiFactorsExactly<fused>(j, e);
    const ld next = d.offset * current - d.damping * previous;
    const ld dNext = d.offset * dCurrent + d.slope * current - d.damping * dPrevious;
    previous = current;
    current = next;
    dPrevious = dCurrent;
    dCurrent = dNext;
    note(current);
  }
  return {current, dCurrent, changes};
}
#ifdef SERNA_FUSED_BUILDS
[[gnu::flatten, gnu::target("arch=x86-64-v3")]] ValuesAtZero valuesAtZeroFused(int32_t n, ld alpha,
                                                                               ld beta) {
  return valuesAtZeroWith<false, true>(n, alpha, beta);
}
#endif
ValuesAtZero valuesAtZero(int32_t n, ld alpha, ld beta) {
  if (sumsExact(alpha, beta, n)) return valuesAtZeroWith<true, false>(n, alpha, beta);
#ifdef SERNA_FUSED_BUILDS
  if (runFusesMultiplyAdd()) return valuesAtZeroFused(n, alpha, beta);
#endif
  return valuesAtZeroWith<false, false>(n, alpha, beta);
}

}  // namespace

// The interior roots are marched from 0 both ways along the Jacobi equation
// (1 - x^2) y'' + (beta - alpha - (alpha + beta + 2) x) y' + n (n + alpha + beta + 1) y = 0,
// which stops where the step exceeds 0.3 of the distance to the end; the few roots left at
// each end come from Newton on the recurrence in s. The Sturm count at 0 tells how many roots
// lie on each side, so every marched root goes straight to its place. The weights are
// C / ((1 - x)(1 + x) P_n'(x)^2) at the unrounded root, with
// C = 2^(ab+1) Gamma(n+alpha+1) Gamma(n+beta+1) / (Gamma(n+ab+1) n!) from gamma ratios; at the
// end roots, C / (s (1 - s) P_n(1)^2 (dR_n/ds)^2), whose constant is again two gamma ratios.
// For alpha = beta the nodes are symmetric about 0: the left half is the right one mirrored.
void gaussJacobi(double* nodes, double* weights, int32_t n, double alpha, double beta) {
  if (n <= 0) return;
  const ld a = alpha, b = beta, ab = a + b;
  const ld twoPower = std::exp2(ab + 1);
  const ld constant = twoPower * gammaRatio(n, a + 1, ab + 1) * gammaRatio(n, b + 1, 1);

  const ValuesAtZero zero = valuesAtZero(n, a, b);
  const bool rootAtZero = zero.value == 0, symmetric = alpha == beta;
  const int32_t above = zero.above, below = n - above - rootAtZero;
  const RootOde ode{{1, 0, -1}, {b - a, -(ab + 2), 0}, {n * (n + ab + 1), 0, 0}};
  const MarchStart start{0, zero.value, zero.slope, rootAtZero};

  // Each marched root with its weight at its place: 1 - x and 1 + x from the node expanded
  // from and the offset, both exact near their end. The last two roots of each side (their
  // s = (1 -+ x) / 2) bound the end roots.
  auto put = [&](int32_t i, ld x, ld oneMinus, ld onePlus, ld derivative) {
    nodes[i] = static_cast<double>(x);
    weights[i] = static_cast<double>(constant / (oneMinus * onePlus * derivative * derivative));
  };
  ld rightS[2] = {0, 0}, leftS[2] = {0, 0};
  int32_t rightCount = 0, leftCount = 0;  // counted as the roots come
  marchRoots(ode, start, 1, above, 0.3L, [&](const MarchedRoot& root) {
    const ld oneMinus = (1 - root.base) - root.offset;
    put(below + rootAtZero + rightCount, root.x, oneMinus, 1 + root.x, root.derivative);
    rightS[0] = rightS[1], rightS[1] = oneMinus / 2;
    ++rightCount;
  });
  if (!symmetric)
    marchRoots(ode, start, -1, below, 0.3L, [&](const MarchedRoot& root) {
      const ld onePlus = (1 + root.base) + root.offset;
      put(below - 1 - leftCount, root.x, 1 - root.x, onePlus, root.derivative);
      leftS[0] = leftS[1], leftS[1] = onePlus / 2;
      ++leftCount;
    });
  else
    leftCount = rightCount, leftS[0] = rightS[0], leftS[1] = rightS[1];
  bool ok = rightCount >= 2 && leftCount >= 2;
  std::vector<EndRoot> rightEnd, leftEnd;
  if (ok) rightEnd = endRoots(n, a, b, above - rightCount, rightS[0], rightS[1], ok);
  if (ok && !symmetric) leftEnd = endRoots(n, b, a, below - leftCount, leftS[0], leftS[1], ok);
  if (!ok) {
    recurrenceRoots(nodes, weights, n, alpha, beta);
    return;
  }

  if (rootAtZero) put(below, 0, 1, 1, zero.slope);
  auto putEnd = [&](int32_t i, const EndRoot& root, ld sign, ld scale) {
    nodes[i] = static_cast<double>(sign * (1 - 2 * root.s));
    weights[i] = static_cast<double>(scale / (root.s * (1 - root.s) * root.slope * root.slope));
  };
  const ld rightConstant = endConstant(n, a, b);
  for (size_t k = 0; k < rightEnd.size(); ++k)
    putEnd(n - 1 - static_cast<int32_t>(k), rightEnd[k], 1, rightConstant);
  if (symmetric) {
    for (int32_t i = 0; i < below; ++i)
      nodes[i] = -nodes[n - 1 - i], weights[i] = weights[n - 1 - i];
    return;
  }
  const ld leftConstant = endConstant(n, b, a);
  for (size_t k = 0; k < leftEnd.size(); ++k)
    putEnd(static_cast<int32_t>(k), leftEnd[k], -1, leftConstant);
}

namespace {
// The weight (1 - t)^alpha (1 + t)^beta is integrable only for alpha, beta > -1.
const char* refuseJacobiParameters(double alpha, double beta) {
  return alpha > -1 && beta > -1 ? nullptr
                                 : "Jacobi polynomials take alpha and beta greater than -1";
}
}  // namespace

constinit const BasisOps jacobiBasis = withParameterCheck(
    withSquaredNorm(
        withProjectMany<GaussSteps<JacobiSeries>>(basisWithSteps<GaussSteps<JacobiSeries>>(
            evaluateJacobi, quadratureJacobi, differentiateJacobi, integrateJacobi,
            evaluateManyJacobi)),
        [](int32_t k, double alpha, double beta, int32_t) {
          return static_cast<double>(squaredNorm(k, alpha, beta, std::exp2(ld(alpha) + beta + 1)));
        }),
    refuseJacobiParameters);
