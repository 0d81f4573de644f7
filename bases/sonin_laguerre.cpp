#include "bases/sonin_laguerre.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "bases/fit_start.h"
#include "bases/log_gamma.h"

namespace {

using ld = long double;

const ld ln2 = std::log(2.0L);

// Node cache for the key (M, alpha) and the table of phi_k at the nodes, row i holding
// phi_0(t[i]) .. phi_{K-1}(t[i]). A table of more than tableLimit entries is not kept: the
// fit then computes each row as it goes (columns = 0).
struct NodeCache {
  int32_t m = 0;
  double alpha = 0;
  std::vector<double> t, w;
  int32_t columns = 0;
  std::vector<double> table;
};
NodeCache cache;
constexpr size_t tableLimit = size_t(1) << 26;  // 512 MB of doubles

// ln 2 in two parts: q ln2High is exact for |q| < 2^23.
constexpr ld ln2High = 0x1.62e42fefa3p-1L;
constexpr ld ln2Low = 2.8235290563031577122588448175e-13L;

// e^x = mantissa 2^exponent, the argument reduced by the two-part ln 2, so that the factor
// e^(-t/2) of a node far out (t up to 2^24) keeps its last digits and does not underflow.
struct SplitExp {
  ld mantissa;
  int64_t exponent;
};
SplitExp splitExp(ld x) {
  if (!(std::fabs(x) < 0x1p40L)) return {std::exp(x), 0};
  const ld q = std::nearbyint(x / ln2);
  return {std::exp((x - q * ln2High) - q * ln2Low), static_cast<int64_t>(q)};
}

// v 2^e for a double v, with the power of two built from its bits while it is a normal number.
inline double timesPowerOfTwo(double v, int64_t e) {
  if (e >= -1022 && e <= 1023) return v * std::bit_cast<double>(uint64_t(1023 + e) << 52);
  return std::ldexp(v, static_cast<int>(std::clamp<int64_t>(e, -4000, 4000)));
}

// The Laguerre recurrence i L_i = (2i - 1 + alpha - t) L_{i-1} - (i - 1 + alpha) L_{i-2} on a
// scaled pair (p, q) = (L_i, L_{i-1}) 2^-e: the pair is rescaled by 2^-+512 when it leaves
// [2^-512, 2^512], so that L_i may grow past the double range for large orders and large t.
struct LaguerreRun {
  double t, alpha;
  double p = 1, q = 0;
  int64_t e = 0;
  void step(int32_t i) {
    const double inverse = 1.0 / i;  // off the chain of dependent products
    const double next = ((2 * i - 1 + alpha - t) * p - (i - 1 + alpha) * q) * inverse;
    q = p;
    p = next;
    if (std::fabs(p) > 0x1p512) {
      p *= 0x1p-512, q *= 0x1p-512, e += 512;
    } else if (std::fabs(p) < 0x1p-512 && std::fabs(q) < 0x1p-512 && p != 0) {
      p *= 0x1p512, q *= 0x1p512, e -= 512;
    }
  }
};

// The factor t^(alpha/2) e^(-t/2) of the functions, taken once per argument.
SplitExp functionFactor(double t, double alpha) {
  return splitExp((alpha * std::log(ld(t)) - t) / 2);
}

// phi_i from the run and the factor; a value below 2^-1100 is 0.
inline double functionValue(const LaguerreRun& run, double mantissa, int64_t exponent) {
  const int64_t e = run.e + exponent;
  if (e < -1700) return 0.0;
  return timesPowerOfTwo(run.p * mantissa, e);
}

// Signs of (-1)^k L_k(t), k = 0 .. n, form a Sturm sequence (positive leading coefficients,
// positive damping for alpha > -1): their sign changes count the roots of L_n above t.
int32_t rootsAbove(int32_t n, ld t, double alpha) {
  int32_t changes = 0;
  ld previous = 1, current = t - 1 - alpha, lastNonZero = 1;
  auto note = [&](ld v) {
    if (v == 0) return;
    if ((v < 0) != (lastNonZero < 0)) ++changes;
    lastNonZero = v;
  };
  if (n >= 1) note(current);
  for (int32_t k = 2; k <= n; ++k) {
    ld next = ((t - (2 * k - 1 + ld(alpha))) * current - (k - 1 + ld(alpha)) * previous) / k;
    note(next);
    previous = current;
    current = next;
    if (std::fabs(current) > 0x1p1000L) {
      previous = std::ldexp(previous, -1000);
      current = std::ldexp(current, -1000);
    }
  }
  return changes;
}

// Safeguard for a root the iteration missed: bisection on the Sturm count isolates the root
// of L_n with `above` roots above it, between `lower` and a bound beyond the largest root.
double isolateRoot(int32_t n, double alpha, int32_t above, double lower) {
  ld hi = std::fmax(2 * lower, 4.0 * n + 2 * std::fabs(alpha) + 10);
  for (int doubling = 0; doubling < 64 && rootsAbove(n, hi, alpha) > 0; ++doubling)
    hi *= 2;
  ld lo = lower;
  for (int iteration = 0; iteration < 2200; ++iteration) {
    const ld mid = (lo + hi) / 2;
    if (mid == lo || mid == hi) break;
    if (rootsAbove(n, mid, alpha) > above)
      lo = mid;
    else
      hi = mid;
  }
  return static_cast<double>((lo + hi) / 2);
}

// L_n(t) and L_{n-1}(t) in extended precision as mantissas times 2^scale.
struct LaguerrePair {
  ld ln, lnm1;
  int scale;
};
LaguerrePair laguerrePair(int32_t n, ld t, double alpha) {
  ld previous = 0, current = 1;
  int scale = 0;
  for (int32_t k = 1; k <= n; ++k) {
    const ld next = ((2 * k - 1 + ld(alpha) - t) * current - (k - 1 + ld(alpha)) * previous) / k;
    previous = current;
    current = next;
    if (std::fabs(current) > 0x1p1000L) {
      previous = std::ldexp(previous, -1000);
      current = std::ldexp(current, -1000);
      scale += 1000;
    }
  }
  return {current, previous, scale};
}

// Bounds on the phases of the root finder.
constexpr int newtonSteps = 100;
constexpr int falsePositionSteps = 100;
constexpr int bisectionSteps = 2200;

long double fitSoninLaguerre(double left, double right, double& alpha, double& beta, double* c,
                             int32_t n, double* meshX, double* sourceValues, double* seriesValues,
                             int32_t m, const SourceFn& source, int32_t mode) {
  if (alpha <= -1) alpha = 0;
  bool rebuilt = false;
  if (m != cache.m || alpha != cache.alpha) {
    cache.m = m;
    cache.alpha = alpha;
    cache.t.assign(m, 0.0);
    cache.w.assign(m, 0.0);
    gaussLaguerre(cache.t.data(), cache.w.data(), m, alpha);
    rebuilt = true;
  }
  const bool tabled = size_t(m) * size_t(std::max(n, 0)) <= tableLimit;
  if (!tabled) {
    cache.columns = 0;
    std::vector<double>().swap(cache.table);
  } else if (n > cache.columns || rebuilt) {
    cache.columns = n;
    cache.table.assign(size_t(m) * n, 0.0);
    for (int32_t i = 0; i < m; ++i)
      laguerreFunctions(n, cache.t[i], alpha, cache.table.data() + size_t(i) * n);
  }
  const std::vector<double>& t = cache.t;
  const std::vector<double>& w = cache.w;
  if (beta <= 0) beta = t[m - 1] / (ld(right) - left);

  for (int32_t i = 0; i < m; ++i)
    meshX[i] = t[i] / ld(beta) + left;

  // Row i of the table, or computed into the scratch row when the table is not kept.
  std::vector<double> scratch(tabled ? 0 : n);
  auto row = [&](int32_t i) -> const double* {
    if (tabled) return cache.table.data() + size_t(i) * cache.columns;
    laguerreFunctions(n, t[i], alpha, scratch.data());
    return scratch.data();
  };

  long double figure = 0.0L;
  if (mode & fitCoefficients) {
    startFit(source, meshX, sourceValues, m, c, n);
    long double energy = 0.0L;
    for (int32_t i = 0; i < m; ++i) {
      const double u = ld(w[i]) * sourceValues[i];
      energy += ld(u) * sourceValues[i];
      const double* values = row(i);
      for (int32_t k = 0; k < n; ++k)
        c[k] += ld(u) * values[k];
    }
    // h runs through the squared norms h_k = Gamma(k + alpha + 1) / k!.
    double h = std::exp(logGamma(alpha + 1.0L));
    c[0] = c[0] / h;
    long double captured = ld(c[0]) * c[0] * h;
    for (int32_t k = 1; k < n; ++k) {
      h = h * (k + ld(alpha)) / k;
      c[k] = c[k] / h;
      captured += ld(c[k]) * c[k] * h;
    }
    if (energy != 0) figure = 1 - captured / energy;
  }

  if (mode & evaluateOnMesh) {
    for (int32_t i = 0; i < m; ++i) {
      const double* values = row(i);
      seriesValues[i] = 0.0;
      for (int32_t k = 0; k < n; ++k)
        seriesValues[i] += ld(c[k]) * values[k];
    }
  }
  return figure;
}

long double evaluateSoninLaguerre(double left, double, double alpha, double beta, const double* c,
                                  int32_t n, double x) {
  if (n <= 0) return 0.0L;
  double t = (ld(x) - left) * beta;
  if (t == 0) t = 0.1L / n;  // the functions' logarithm needs t > 0
  std::vector<double> scratch(n);
  laguerreFunctions(n, t, alpha, scratch.data());
  double sum = 0.0;
  for (int32_t k = 0; k < n; ++k)
    sum += ld(c[k]) * scratch[k];
  return sum;
}

void quadratureSoninLaguerre(double* nodes, double* weights, int32_t m, double alpha, double) {
  gaussLaguerre(nodes, weights, m, alpha);
}

// From phi_k' = -phi_k / 2 - (phi_0 + ... + phi_{k-1}) for alpha = 0; for other alpha the
// derivative of the factor t^(alpha/2) is not included. beta is dt/dx.
void differentiateSoninLaguerre(double, double, double, double beta, const double* c, double* d,
                                int32_t n) {
  double sum = 0.0;
  for (int32_t k = n - 1; k >= 0; --k) {
    sum = sum + ld(c[k]);
    d[k] = 0.5L * c[k] - sum;
  }
  for (int32_t k = 0; k < n; ++k)
    d[k] = ld(d[k]) * beta;
}

// int_0^T t^(s-1) e^(-t/2) dt = 2^s gamma(s, T/2) for s > 0: the power series of the lower
// incomplete gamma up to T/2 = s + 1, above it Gamma(s) less the continued fraction of the
// upper one (modified Lentz), which converges fast there.
ld halfDecayMoment(ld s, ld T) {
  const ld x = T / 2;
  if (x <= 0) return 0;
  if (!std::isfinite(x)) return std::exp(s * ln2) * std::tgamma(s);
  const ld power = std::exp(s * std::log(T) - x);  // 2^s x^s e^-x
  constexpr ld precision = std::numeric_limits<ld>::epsilon();
  if (x < s + 1) {
    ld term = 1 / s, sum = term;
    for (int n = 1; n < 10000 && term > sum * precision; ++n)
      sum += term *= x / (s + n);
    return sum * power;
  }
  constexpr ld tiny = 0x1p-16000L;
  ld b = x + 1 - s, c = 1 / tiny, d = 1 / b, fraction = d;
  for (int i = 1; i < 10000; ++i) {
    const ld a = -i * (i - s);
    b += 2;
    d = a * d + b;
    if (std::fabs(d) < tiny) d = tiny;
    c = b + a / c;
    if (std::fabs(c) < tiny) c = tiny;
    d = 1 / d;
    const ld change = c * d;
    fraction *= change;
    if (std::fabs(change - 1) <= precision) break;
  }
  return std::exp(s * ln2) * std::tgamma(s) - power * fraction;
}

// The integral over [left, right] is (1/beta) times J = sum c_k J_k, J_k the integral of
// phi_k over [0, T], T = beta (right - left). Integrating t phi_k' by parts and eliminating
// t phi_k with the three-term recurrence gives
//   (k + 1) J_{k+1} = 2 T phi_k(T) - J_k + (k + alpha) J_{k-1},  J_{-1} = 0,
// from J_0 = 2^s gamma(s, T/2), s = alpha/2 + 1: O(N) with one row of function values.
long double integrateSoninLaguerre(double left, double right, double alpha, double beta,
                                   const double* c, int32_t n) {
  if (n <= 0) return 0.0L;
  if (!(beta > 0)) return std::numeric_limits<double>::quiet_NaN();
  const double T = (ld(right) - left) * beta;
  if (!(T >= 0)) return std::numeric_limits<double>::quiet_NaN();  // left of the half-line
  if (T == 0) return 0.0L;
  std::vector<double> atEnd(n, 0.0);  // phi_k(T), 0 at infinity
  if (std::isfinite(T)) laguerreFunctions(n, T, alpha, atEnd.data());
  ld previous = 0, current = halfDecayMoment(alpha / 2.0L + 1, T);
  ld sum = c[0] * current;
  for (int32_t k = 0; k + 1 < n; ++k) {
    const ld boundary = std::isfinite(T) ? 2 * ld(T) * atEnd[k] : 0.0L;
    const ld next = (boundary - current + (k + ld(alpha)) * previous) / (k + 1);
    previous = current;
    current = next;
    sum += c[k + 1] * current;
  }
  return sum / beta;
}

}  // namespace

long double laguerreFunction(int32_t n, double t, double alpha) {
  const SplitExp factor = functionFactor(t, alpha);
  LaguerreRun run{t, alpha};
  for (int32_t i = 1; i <= n; ++i)
    run.step(i);
  return std::ldexp(factor.mantissa * run.p,
                    static_cast<int>(std::clamp<int64_t>(run.e + factor.exponent, -20000, 20000)));
}

void laguerreFunctions(int32_t n, double t, double alpha, double* out) {
  if (n <= 0) return;
  const SplitExp factor = functionFactor(t, alpha);
  const double mantissa = static_cast<double>(factor.mantissa);
  LaguerreRun run{t, alpha};
  out[0] = functionValue(run, mantissa, factor.exponent);
  for (int32_t i = 1; i < n; ++i) {
    run.step(i);
    out[i] = functionValue(run, mantissa, factor.exponent);
  }
}

// Roots of phi_n from the smallest up. Each starts from an empirical guess (the first two)
// or the linear extrapolation through the two roots below; Newton runs while it approaches
// from one side, then false position and bisection shrink the bracket that a sign change
// gives until it cannot shrink further. Each phase is bounded, a Newton step that leaves
// (previous root, infinity) is halved back into it, and a root that is not the i-th (by
// the Sturm count on either side) is isolated by bisection on the count instead.
void gaussLaguerre(double* nodes, double* weights, int32_t n, double alpha) {
  if (n <= 0) return;
  const ld weightFactor = std::exp(logGamma(n + ld(alpha)) - logGamma(n));
  auto F = [&](double x) -> double { return laguerreFunction(n, x, alpha); };
  auto G = [&](double x) -> double { return laguerreFunction(n - 1, x, alpha); };
  double z = 0;
  for (int32_t i = 0; i < n; ++i) {
    if (i == 0)
      z = (3.0L + 0.92L * alpha) * (1.0L + alpha) / (1.0L + 2.4L * n + 1.8L * alpha);
    else if (i == 1)
      z = z + (15.0L + 6.25L * alpha) / (1.0L + 0.9L * alpha + 2.5L * n);
    else
      z = z + (ld(z) - nodes[i - 2]);
    const double lower = i > 0 ? nodes[i - 1] : 0.0;

    double a = z, fa = F(a), b = a, fb = fa;
    for (int step = 0; step < newtonSteps; ++step) {
      b = a;
      fb = fa;
      const double d = ((n + (ld(alpha) - b) / 2) * fb - (n + ld(alpha)) * G(b)) / b;
      a = b - ld(fb) / d;
      if (!(a > lower) || !std::isfinite(a))
        a = (ld(b) + lower) / 2;  // stay right of the last root
      fa = F(a);
      if (!(ld(fb) * fa > 0 && fb != fa)) break;
    }
    double root = a;
    if (ld(fb) * fa < 0) {
      for (int step = 0; step < falsePositionSteps && ld(fb) * fa < 0; ++step) {
        z = (ld(b) * fa - ld(a) * fb) / (ld(fa) - fb);
        root = z;
        if (z == b || z == a) break;
        const double fz = F(z);
        if (ld(fb) * fz < 0) {
          a = z;
          fa = fz;
        } else {
          b = z;
          fb = fz;
        }
      }
      for (int step = 0; step < bisectionSteps && ld(fb) * fa < 0; ++step) {
        z = (ld(b) + a) * 0.5L;
        root = z;
        if (z == b || z == a) break;
        const double fz = F(z);
        if (ld(fb) * fz < 0) {
          a = z;
          fa = fz;
        } else {
          b = z;
          fb = fz;
        }
      }
    }
    const int32_t above = n - 1 - i;
    // The Sturm count must drop by one across the root: a flat stretch of phi_n near t = 0
    // can stop the iteration where there is no root.
    const ld margin = std::fmin(ld(root) - lower, ld(root)) * 1e-6L;
    if (!(root > lower) || !std::isfinite(root) ||
        rootsAbove(n, root - margin, alpha) != above + 1 ||
        rootsAbove(n, root + margin, alpha) != above)
      root = isolateRoot(n, alpha, above, lower);
    // Two Newton steps on L_n in extended precision settle the last bits of the root. The
    // weight Gamma(n + alpha + 1) / (n! t L_n'(t)^2) e^t t^-alpha varies with t on the scale
    // of t itself; the equal form with phi_{n-1} varies ~n times faster and would turn the
    // last bits of the root into lost digits of the weight.
    const ld reach = (ld(root) - lower) * 1e-3L;
    ld polished = root;
    LaguerrePair at = laguerrePair(n, polished, alpha);
    ld derivative = (n * at.ln - (n + ld(alpha)) * at.lnm1) / polished;
    for (int step = 0; step < 2; ++step) {
      const ld next = polished - at.ln / derivative;
      if (!(next > lower) || !std::isfinite(next) || std::fabs(next - root) > reach) break;
      polished = next;
      at = laguerrePair(n, polished, alpha);
      derivative = (n * at.ln - (n + ld(alpha)) * at.lnm1) / polished;
    }
    z = static_cast<double>(polished);
    nodes[i] = z;
    const ld logScale = polished - alpha * std::log(polished) - 2 * at.scale * ln2;
    weights[i] = weightFactor * (n + ld(alpha)) / n / (polished * derivative * derivative) *
                 std::exp(logScale);
  }
}

const BasisOps soninLaguerreBasis = {fitSoninLaguerre, evaluateSoninLaguerre,
                                     quadratureSoninLaguerre, differentiateSoninLaguerre,
                                     integrateSoninLaguerre};
