#include "bases/ode_root_marching.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "bases/interval_map.h"
#include "bases/progress_blocks.h"
#include "bases/vector_target.h"

namespace {

using ld = long double;

// Taylor terms per step, at most: with the step one root spacing the terms fall like pi^k / k!,
// and the series stops once three in a row are below 2^-72 of the largest (about 33 terms for a
// plain oscillation; fewer where the step is short beside the oscillation).
constexpr int maxTerms = 48;
constexpr int minTerms = 8;
// Steps of the classical Runge-Kutta rule over the pi the Pruefer angle turns from root to root;
// the guess only has to be close enough for Newton to converge in a few steps.
constexpr int angleSteps = 5;
constexpr int newtonSteps = 16;

// The factors of the Taylor recursion that depend only on the order k: k (k + 1), k + 1,
// k (k - 1), k, k - 1 and (k + 2)(k + 1), all exact, in long double for the leading terms and
// in double for the rest. The recursion divides by (k + 2)(k + 1) rather than multiplying by a
// tabulated reciprocal: that reciprocal's rounding would be the same at every step, a bias that
// builds up along the march (1e-15 in the weights after 10^5 Sonin-Laguerre steps, against
// 1.3e-16 with the division, whose rounding varies from step to step). With a fused
// multiply-add the double terms multiply by the reciprocal as a high and a low part instead,
// which rounds once as the division does, at half its latency.
template <typename Real>
struct RecursionTable {
  Real kk1[maxTerms], k1[maxTerms], kkm[maxTerms], k0[maxTerms], km[maxTerms], order[maxTerms];
  // 1 / ((k + 2)(k + 1)) as high + low, to 2^-64: with a fused multiply-add, q = fma(s, high,
  // s low) rounds once, as the division does, and its rounding varies from step to step too.
  // (Without the fusion the low part mostly rounds away, which brings the bias back.)
  Real inverseHigh[maxTerms], inverseLow[maxTerms];
  RecursionTable() {
    for (int k = 0; k < maxTerms; ++k) {
      const long double x = k;
      kk1[k] = static_cast<Real>(x * (x + 1)), k1[k] = static_cast<Real>(x + 1);
      kkm[k] = static_cast<Real>(x * (x - 1)), k0[k] = static_cast<Real>(x);
      km[k] = static_cast<Real>(x - 1);
      order[k] = static_cast<Real>((x + 2) * (x + 1));
      const long double inverse = 1 / ((x + 2) * (x + 1));
      inverseHigh[k] = static_cast<Real>(inverse);
      inverseLow[k] = static_cast<Real>(inverse - inverseHigh[k]);
    }
  }
};
const RecursionTable<long double> longTable;
const RecursionTable<double> doubleTable;

// 2^-e for x = m 2^e, 1/2 <= m < 1: from the bits of x as a double where both are normal
// doubles (every step of a march in practice), as the long-double frexp and ldexp are calls.
ld reciprocalPowerOfTwo(ld x) {
  const double rounded = static_cast<double>(x);
  if (rounded >= 0x1p-1000 && rounded <= 0x1p1000) {
    const int exponent = static_cast<int>(std::bit_cast<uint64_t>(rounded) >> 52) - 1022;
    const ld scale = std::bit_cast<double>(static_cast<uint64_t>(1023 - exponent) << 52);
    // x may round up to the next power of two as a double; the scale must then follow x.
    return x * scale < 0.5L ? 2 * scale : scale;
  }
  int exponent = 0;
  std::frexp(x, &exponent);
  return std::ldexp(1.0L, -exponent);
}

ld polynomial(const ld* c, ld x) {
  return c[0] + x * (c[1] + x * c[2]);
}
ld slope(const ld* c, ld x) {
  return c[1] + 2 * x * c[2];
}

// The leading coefficient p of the ODE, evaluated through its real zeros where it has them:
// near a zero (a singular point, where the steps end) the plain polynomial would lose the
// relative digits of p(x) that the Taylor recursion divides by.
struct Leading {
  const ld* c;
  int zeros = 0;  // 0, 1 or 2 real zeros
  ld first = 0, second = 0;
  ld centre = 0, spread = 0;  // complex zeros centre +- i spread, when zeros = 0 and c[2] != 0

  explicit Leading(const ld* coefficients) : c(coefficients) {
    if (c[2] == 0) {
      if (c[1] != 0) zeros = 1, first = -c[0] / c[1];
      return;
    }
    centre = -c[1] / (2 * c[2]);
    const ld discriminant = c[1] * c[1] - 4 * c[2] * c[0];
    spread = std::sqrt(std::fabs(discriminant)) / (2 * std::fabs(c[2]));
    if (discriminant >= 0) zeros = 2, first = centre - spread, second = centre + spread;
  }
  ld operator()(ld x) const {
    if (zeros == 1) return c[1] * (x - first);
    if (zeros == 2) return c[2] * (x - first) * (x - second);
    return polynomial(c, x);
  }
  // Distance from x to the nearest zero, real or complex (infinite for a constant): the radius
  // of convergence of the Taylor series of u about x.
  ld reach(ld x) const {
    if (zeros == 1) return std::fabs(x - first);
    if (zeros == 2) {  // both distances are numbers here; fmin on long double is a library call
      const ld near = std::fabs(x - first), far = std::fabs(x - second);
      return near < far ? near : far;
    }
    if (c[2] != 0) return std::hypot(x - centre, spread);
    return std::numeric_limits<ld>::infinity();
  }
};

// Pruefer angle: with tan(theta) = g u / u', g = sqrt(r/p), the roots of u sit at theta = k pi
// and theta' = g + c sin(2 theta) / 2 with c = (r'p - r p' + 2 r q) / (2 r p). Integrating
// dx/dtheta over the angle from one root to the next gives the guess for the next root.
struct AngleRate {
  const RootOde& ode;
  double operator()(double x, double halfSine) const {
    const ld p = polynomial(ode.p, x), r = polynomial(ode.r, x);
    const double g = std::sqrt(static_cast<double>(r / p));
    const double c = static_cast<double>(
        (slope(ode.r, x) * p - r * slope(ode.p, x) + 2 * r * polynomial(ode.q, x)) / (2 * r * p));
    return 1.0 / (g + c * halfSine);
  }
};

// sin(2 theta) / 2 at the angles from + j (to - from) / (2 angleSteps), j = 0 .. 2 angleSteps:
// the Runge-Kutta stages' angles.
struct StageSines {
  double at[2 * angleSteps + 1];
  StageSines(double from, double to) {
    for (int j = 0; j <= 2 * angleSteps; ++j)
      at[j] = std::sin(2 * (from + j * (to - from) / (2 * angleSteps))) / 2;
  }
};

// x where the angle reaches `to`, from x0 at angle `from`, by Runge-Kutta in the angle.
double angleGuess(const AngleRate& rate, double x0, double from, double to,
                  const StageSines& sines) {
  const double step = (to - from) / angleSteps;
  double x = x0;
  for (int i = 0; i < angleSteps; ++i) {
    const double s0 = sines.at[2 * i], s1 = sines.at[2 * i + 1], s2 = sines.at[2 * i + 2];
    const double k1 = rate(x, s0);
    const double k2 = rate(x + step / 2 * k1, s1);
    const double k3 = rate(x + step / 2 * k2, s1);
    const double k4 = rate(x + step * k3, s2);
    x += step / 6 * (k1 + 2 * k2 + 2 * k3 + k4);
  }
  return x;
}

// Taylor coefficients b_k = u^(k)(x0) h^k / k! of u about x0, from u(x0) and u'(x0). With the
// coefficients of p, q, r re-expanded about x0 (P, Q, R in powers of s = x - x0), the ODE's
// coefficient of s^k gives
//   P0 (k+2)(k+1) b_{k+2} = -[(P1 k + Q0) h (k+1) b_{k+1} + (P2 k(k-1) + Q1 k + R0) h^2 b_k
//                            + (Q2 (k-1) + R1) h^3 b_{k-1} + R2 h^4 b_{k-2}].
// Only the leading terms need long double: once two terms in a row are below 2^-13 of the
// largest, the double rounding of the rest stays below the long-double rounding of the sum, so
// they continue in double. The series ends once three terms in a row are below 2^-72 of the
// largest, which for sigma near 1 leaves a tail far below the long-double rounding.
struct Taylor {
  int head = 0;             // b[0 .. head) in long double
  int count = 0;            // terms in all
  int newtonCount = 0;      // terms enough for the double Newton iterations (to 2^-44)
  ld b[maxTerms + 2];       // from b[2]: b[k + 2] = b_k, with two zeros before
  double scaled[maxTerms];  // every b_k times `scale`
  ld scale = 1;             // a power of two that brings the largest term near 1
};

// The long-double terms b_2 .. b_{head-1} (see taylorCoefficients); returns head - 3. With
// neither a varying p nor any q (as for the Hermite functions) only three products remain.
template <bool plain, bool linearQ>
int headLoop(ld a1, ld a0, ld b2, ld b1, ld b0, ld c1, ld c0, ld d, ld* b, ld& largest) {
  const RecursionTable<double>& D = doubleTable;
  int k = 0, small = 0;
  // The last four terms ride in locals, so that the chain from one term to the next does not
  // go through a store and a load.
  ld back2 = b[-2], back1 = b[-1], here = b[0], ahead = b[1];
  for (; k + 2 < maxTerms; ++k) {
    // The newest term comes in last, so that only one product, one sum and the division lie
    // on the chain from term to term; the rest is ready while the last division runs.
    ld sum = plain ? b0 * here : (b2 * D.kkm[k] + b1 * D.k0[k] + b0) * here;
    sum += (linearQ ? c0 : c1 * D.km[k] + c0) * back1 + d * back2;
    if (!plain) sum += (a1 * D.kk1[k] + a0 * D.k1[k]) * ahead;
    const ld next = sum / longTable.order[k];
    b[k + 2] = next;
    back2 = back1, back1 = here, here = ahead, ahead = next;
    const ld size = std::fabs(next);
    largest = size > largest ? size : largest;
    small = size <= largest * 0x1p-13L ? small + 1 : 0;
    if (small == 2 && k >= 2) break;
  }
  return k;
}
int headTerms(ld a1, ld a0, ld b2, ld b1, ld b0, ld c1, ld c0, ld d, ld* b, ld& largest) {
  if (a1 == 0 && a0 == 0 && b2 == 0 && b1 == 0 && c1 == 0)
    return headLoop<true, true>(a1, a0, b2, b1, b0, c1, c0, d, b, largest);
  if (c1 == 0) return headLoop<false, true>(a1, a0, b2, b1, b0, c1, c0, d, b, largest);
  return headLoop<false, false>(a1, a0, b2, b1, b0, c1, c0, d, b, largest);
}

// a b + c: fused (one rounding, on processors with FMA) or plain.
template <bool fused>
double mulAdd(double a, double b, double c) {
  if constexpr (fused)
    return std::fma(a, b, c);
  else
    return a * b + c;
}

template <bool fused>
void taylorCoefficients(const RootOde& ode, const Leading& p, ld x0, ld u, ld du, ld h, Taylor& t) {
  const ld s = -1 / p(x0), h2 = h * h, h3 = h2 * h;
  const ld a1 = s * h * slope(ode.p, x0), a0 = s * h * polynomial(ode.q, x0);
  const ld b2 = s * h2 * ode.p[2], b1 = s * h2 * slope(ode.q, x0);
  const ld b0 = s * h2 * polynomial(ode.r, x0);
  const ld c1 = s * h3 * ode.q[2], c0 = s * h3 * slope(ode.r, x0), d = s * h2 * h2 * ode.r[2];
  ld* b = t.b + 2;
  b[-2] = b[-1] = 0;
  b[0] = u;
  b[1] = du * h;
  ld largest = std::fabs(b[0]) > std::fabs(b[1]) ? std::fabs(b[0]) : std::fabs(b[1]);
  int k = headTerms(a1, a0, b2, b1, b0, c1, c0, d, b, largest), small = 0;
  t.head = k + 3 < maxTerms ? k + 3 : maxTerms;
  t.scale = reciprocalPowerOfTwo(largest);
  double* bd = t.scaled;
  for (int j = 0; j < t.head; ++j)
    bd[j] = static_cast<double>(b[j] * t.scale);
  const RecursionTable<double>& D = doubleTable;
  const double da1 = a1, da0 = a0, db2 = b2, db1 = b1, db0 = b0, dc1 = c1, dc0 = c0, dd = d;
  const double limit = static_cast<double>(largest * t.scale) * 0x1p-72;
  t.count = maxTerms;
  t.newtonCount = 0;
  int coarse = 0;
  k = t.head - 2;
  double back2 = bd[k - 2], back1 = bd[k - 1], here = bd[k], ahead = bd[k + 1];  // as above
  for (; k + 2 < maxTerms; ++k) {
    const double rest = (db2 * D.kkm[k] + db1 * D.k0[k] + db0) * here +
                        (dc1 * D.km[k] + dc0) * back1 + dd * back2;  // off the chain, as above
    const double sum = mulAdd<fused>(da1 * D.kk1[k] + da0 * D.k1[k], ahead, rest);
    double next;
    if constexpr (fused)
      next = std::fma(sum, D.inverseHigh[k], sum * D.inverseLow[k]);
    else
      next = sum / D.order[k];
    bd[k + 2] = next;
    back2 = back1, back1 = here, here = ahead, ahead = next;
    small = std::fabs(next) <= limit ? small + 1 : 0;
    coarse = std::fabs(next) <= limit * 0x1p28 ? coarse + 1 : 0;
    if (coarse == 2 && t.newtonCount == 0) t.newtonCount = k + 3;
    if (small == 3 && k + 3 >= minTerms) {
      t.count = k + 3;
      break;
    }
  }
  if (t.newtonCount == 0) t.newtonCount = t.count;
}

// U(sigma) and dU/dsigma of the scaled terms, in double: the Newton iterations that find the
// root to double precision before one long-double step finishes it.
struct DoubleSeries {
  double value, derivative;
};
template <bool fused>
DoubleSeries seriesInDouble(const double* b, int count, double sigma) {
  double value = b[count - 1], derivative = 0;
  for (int k = count - 2; k >= 0; --k) {
    derivative = mulAdd<fused>(derivative, sigma, value);
    value = mulAdd<fused>(value, sigma, b[k]);
  }
  return {value, derivative};
}

// U, dU/dsigma and d2U/dsigma2 / 2: the leading terms in long double, the rest in double.
struct SeriesValue {
  ld value, derivative, half2;
};
template <bool fused>
SeriesValue series(const Taylor& t, double sigma) {
  double tv = 0, td = 0, t2 = 0;
  for (int k = t.count - 1; k >= t.head; --k) {
    t2 = mulAdd<fused>(t2, sigma, td);
    td = mulAdd<fused>(td, sigma, tv);
    tv = mulAdd<fused>(tv, sigma, t.scaled[k]);
  }
  for (int k = t.head - 1; k >= 0; --k) {  // the terms below head come in long double
    t2 = t2 * sigma + td;
    td = td * sigma + tv;
    tv = tv * sigma;
  }
  const ld* b = t.b + 2;
  const ld x = sigma;
  ld value = b[t.head - 1], derivative = 0, half2 = 0;
  for (int k = t.head - 2; k >= 0; --k) {
    half2 = half2 * x + derivative;
    derivative = derivative * x + value;
    value = value * x + b[k];
  }
  const ld unscale = 1 / t.scale;
  return {value + tv * unscale, derivative + td * unscale, half2 + t2 * unscale};
}

// One step of the march: the root of the Taylor series of u about x0 (scaled by the step h, so
// that the guess sits at sigma = 1) nearest sigma = 1, by Newton in double and one final
// Newton step in long double. From that last evaluation (value, slope and curvature at a sigma
// already within double rounding of the root) follow the root, u' there, and u and u' at the
// root rounded to a double: the carried residual that keeps the small error of each root from
// building up along thousands of steps (setting u = 0 at each root would not).
struct StepResult {
  bool found;
  MarchedRoot root;
  ld rounded, u, du;
};
template <bool fused>
StepResult stepToRoot(const RootOde& ode, const Leading& leading, ld x0, ld u, ld du, ld h) {
  Taylor t;
  taylorCoefficients<fused>(ode, leading, x0, u, du, h, t);
  double sigma = 1;
  for (int step = 0; step < newtonSteps; ++step) {
    const DoubleSeries at = seriesInDouble<fused>(t.scaled, t.newtonCount, sigma);
    const double change = at.value / at.derivative;
    sigma -= change;
    // Newton squares the error: after a change below 1e-6 what is left is near 1e-12, and
    // the long-double step below takes it to far below the long-double rounding.
    if (!(std::fabs(change) > 1e-6)) break;
  }
  if (!(sigma > 0.25 && sigma < 1.75)) return {false, {}, 0, 0, 0};  // no root where expected
  const SeriesValue at = series<fused>(t, sigma);
  const ld change = at.value / at.derivative;
  const ld root = x0 + h * (sigma - change);
  const ld rootSlope = at.derivative - 2 * at.half2 * change;
  const ld rounded = static_cast<double>(root);
  const ld delta = (rounded - x0) / h - sigma;
  const ld carried = at.value + delta * (at.derivative + delta * at.half2);
  const ld carriedSlope = at.derivative + 2 * delta * at.half2;
  if (!std::isfinite(carried) || !std::isfinite(carriedSlope)) return {false, {}, 0, 0, 0};
  return {
      true, {root, rootSlope / h, x0, h * (sigma - change)}, rounded, carried, carriedSlope / h};
}

// Glaser-Liu-Rokhlin marching. The first steps guess the next root from the Pruefer angle,
// integrated by a few Runge-Kutta steps; once three roots are known, the next is extrapolated
// from them (the spacing varies smoothly), which is as good a guess at a fraction of the cost.
// A step from an extrapolated guess that finds no root, or a root whose slope has the sign of
// the last one (a skipped root), is taken again from the angle. Each root goes to `take`;
// returns how many were found.
template <bool fused>
int32_t march(const RootOde& ode, const MarchStart& start, int direction, int32_t count,
              long double reach, const RootTaker& take) {
  int32_t found = 0;
  if (count <= 0 || direction == 0) return found;
  const double sign = direction > 0 ? 1.0 : -1.0;
  const AngleRate rate{ode};
  const Leading leading(ode.p);
  ld x0 = start.x, u = start.u, du = start.du;
  bool atRoot = start.atRoot;
  const StageSines rootToRoot(0, sign * pi);
  // The last three roots (rounded, as the march re-expands there), newest last, and how many
  // of them are known; a start at a root counts as one.
  ld last[3] = {0, 0, start.x};
  int known = start.atRoot ? 1 : 0;
  ld lastDerivative = 0;
  // A step costs some maxTerms^2 operations (the Taylor coefficients and the Newton sums).
  BlockProgress progress(count, maxTerms * maxTerms);
  while (found < count) {
    progress.at(found);
    StepResult step{false, {}, 0, 0, 0};
    if (known == 3) {
      const ld h = 2 * last[2] - 3 * last[1] + last[0];
      if (!(std::fabs(h) <= reach * leading.reach(x0)) || h * sign <= 0) break;
      step = stepToRoot<fused>(ode, leading, x0, u, du, h);
      const bool alternates = found == 0 || (step.root.derivative > 0) != (lastDerivative > 0);
      if (step.found && !alternates) step.found = false;
    }
    if (!step.found) {
      // The angle goes up with x; from a root it turns by pi, from any other point up to the
      // next multiple of pi in the marching direction.
      double from = 0, to = sign * pi;
      if (!atRoot) {
        const ld g = std::sqrt(polynomial(ode.r, x0) / polynomial(ode.p, x0));
        from = static_cast<double>(std::atan(g * u / du));
        to = (sign > 0) == (from < 0) ? 0.0 : to;
      }
      const ld h = angleGuess(rate, static_cast<double>(x0), from, to,
                              atRoot ? rootToRoot : StageSines(from, to)) -
                   x0;
      if (!(std::fabs(h) <= reach * leading.reach(x0)) || h * sign <= 0) break;
      step = stepToRoot<fused>(ode, leading, x0, u, du, h);
      if (!step.found) break;
    }
    take(step.root);
    ++found;
    lastDerivative = step.root.derivative;
    x0 = step.rounded;
    u = step.u;
    du = step.du;
    atRoot = true;
    last[0] = last[1], last[1] = last[2], last[2] = x0;
    known = std::min(known + 1, 3);
  }
  return found;
}

// The march built for processors with FMA (x86-64-v3 and up), everything it calls inlined so
// that the Taylor tail and the Newton sums run fused, and the plain one for the rest (see
// runFusesMultiplyAdd).
[[gnu::flatten]] int32_t marchPlain(const RootOde& ode, const MarchStart& start, int direction,
                                    int32_t count, long double reach, const RootTaker& take) {
  return march<false>(ode, start, direction, count, reach, take);
}
#ifdef SERNA_FUSED_BUILDS
[[gnu::flatten, gnu::target("arch=x86-64-v3")]] int32_t marchFused(const RootOde& ode,
                                                                   const MarchStart& start,
                                                                   int direction, int32_t count,
                                                                   long double reach,
                                                                   const RootTaker& take) {
  return march<true>(ode, start, direction, count, reach, take);
}
#endif

}  // namespace

int32_t marchRoots(const RootOde& ode, const MarchStart& start, int direction, int32_t count,
                   long double reach, const RootTaker& take) {
#ifdef SERNA_FUSED_BUILDS
  if (runFusesMultiplyAdd()) return marchFused(ode, start, direction, count, reach, take);
#endif
  return marchPlain(ode, start, direction, count, reach, take);
}

std::vector<MarchedRoot> marchRoots(const RootOde& ode, const MarchStart& start, int direction,
                                    int32_t count, long double reach) {
  std::vector<MarchedRoot> roots;
  if (count > 0) roots.reserve(count);
  marchRoots(ode, start, direction, count, reach,
             [&](const MarchedRoot& root) { roots.push_back(root); });
  return roots;
}
