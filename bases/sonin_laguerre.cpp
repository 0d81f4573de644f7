#include "bases/sonin_laguerre.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "bases/fit_start.h"
#include "bases/jacobi.h"
#include "bases/log_gamma.h"

namespace {

using ld = long double;

const ld ln2 = std::log(2.0L);

// Node cache for the key (M, alpha) and the table of phi_k at the nodes, row i holding
// phi_0(t[i]) .. phi_{K-1}(t[i]).
struct NodeCache {
  int32_t m = 0;
  double alpha = 0;
  std::vector<double> t, w;
  int32_t columns = 0;
  std::vector<double> table;
};
NodeCache cache;

// v = m 2^k with 0.5 <= |m| < 1 (m = 0, k = 0 for v = 0), as std::frexp, without the call
// for normal numbers.
double splitExponent(double v, int& k) {
  const uint64_t bits = std::bit_cast<uint64_t>(v);
  const int field = static_cast<int>((bits >> 52) & 0x7ff);
  if (field == 0 || field == 0x7ff) return std::frexp(v, &k);
  k = field - 1022;
  return std::bit_cast<double>((bits & ~(uint64_t(0x7ff) << 52)) | (uint64_t(1022) << 52));
}

// p 2^-k for |p| <= 1, exact as std::ldexp.
double scaleByPowerOfTwo(double p, int k) {
  if (k < -1000 || k > 1000) return std::ldexp(p, -k);
  return p * std::bit_cast<double>(uint64_t(1023 - k) << 52);
}

// One step of the Laguerre recurrence i L_i = (2i - 1 + alpha - t) L_{i-1} - (i - 1 + alpha)
// L_{i-2} on the scaled pair (p, q); the exponent of the scale goes to e.
inline void laguerreStep(int32_t i, double t, double alpha, double& p, double& q, int& e) {
  const double v = ((2 * i - 1 + ld(alpha) - t) * p - (i - 1 + ld(alpha)) * q) / i;
  int k;
  const double m = splitExponent(v, k);
  q = scaleByPowerOfTwo(p, k);
  p = m;
  e += k;
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

// e^(-t/2) sum c[k] L_k(t): the series without its factor t^(alpha/2), in extended
// precision, rescaled by powers of two whenever the polynomials grow large.
ld seriesWithoutPower(const double* c, int32_t n, ld t, double alpha) {
  ld previous = 0, current = 1, sum = c[0];
  int scale = 0;
  for (int32_t k = 1; k < n; ++k) {
    const ld inverse = 1.0L / k;  // off the chain of dependent products
    const ld next =
        ((2 * k - 1 + ld(alpha) - t) * current - (k - 1 + ld(alpha)) * previous) * inverse;
    previous = current;
    current = next;
    sum += c[k] * current;
    if (std::fabs(current) > 0x1p1000L) {
      previous = std::ldexp(previous, -1000);
      current = std::ldexp(current, -1000);
      sum = std::ldexp(sum, -1000);
      scale += 1000;
    }
  }
  return sum * std::exp(scale * ln2 - t / 2);
}

// Fixed 20-point rules for the integral: Gauss-Legendre, and Gauss-Jacobi with the weight
// (1 + s)^(alpha + 1) for the panel at the origin (kept for the last alpha).
constexpr int32_t panelPoints = 20;
struct PanelRules {
  double alpha = std::numeric_limits<double>::quiet_NaN();
  double legendreT[panelPoints], legendreW[panelPoints];
  double originT[panelPoints], originW[panelPoints];
};
PanelRules rules;

void normalise(double* weights, ld total) {
  ld sum = 0;
  for (int32_t q = 0; q < panelPoints; ++q)
    sum += weights[q];
  for (int32_t q = 0; q < panelPoints; ++q)
    weights[q] = weights[q] * (total / sum);
}

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
  if (n > cache.columns || rebuilt) {
    cache.columns = n;
    cache.table.assign(size_t(m) * n, 0.0);
    for (int32_t i = 0; i < m; ++i)
      laguerreFunctions(n, cache.t[i], alpha, cache.table.data() + size_t(i) * n);
  }
  const std::vector<double>& t = cache.t;
  const std::vector<double>& w = cache.w;
  const int32_t columns = cache.columns;
  if (beta <= 0) beta = t[m - 1] / (ld(right) - left);

  for (int32_t i = 0; i < m; ++i)
    meshX[i] = t[i] / ld(beta) + left;

  long double figure = 0.0L;
  if (mode & fitCoefficients) {
    startFit(source, meshX, sourceValues, m, c, n);
    long double energy = 0.0L;
    for (int32_t i = 0; i < m; ++i) {
      const double u = ld(w[i]) * sourceValues[i];
      energy += ld(u) * sourceValues[i];
      const double* row = cache.table.data() + size_t(i) * columns;
      for (int32_t k = 0; k < n; ++k)
        c[k] += ld(u) * row[k];
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
      const double* row = cache.table.data() + size_t(i) * columns;
      seriesValues[i] = 0.0;
      for (int32_t k = 0; k < n; ++k)
        seriesValues[i] += ld(c[k]) * row[k];
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

// The integral over [left, right] is (1/beta) times the integral of S over [0, T],
// T = beta (right - left). With t = u^2 the oscillations of phi_k become uniform in u
// (about 2 sqrt(k) radians per unit), and the integrand u^(alpha+1) e^(-u^2/2) P(u^2) is
// smooth away from u = 0: composite 20-point Gauss-Legendre panels of at most 10 radians,
// Gauss-Jacobi with the weight u^(alpha+1) on the panel at the origin. Past the turning
// point 4N of the last function the integrand decays like exp(-s^(3/2) / (3 sqrt(4N))) at
// s past it, so the panels stop at s = 200 + 60 N^(1/3), where that is below e^-45.
long double integrateSoninLaguerre(double left, double right, double alpha, double beta,
                                   const double* c, int32_t n) {
  if (n <= 0) return 0.0L;
  if (!(beta > 0)) return std::numeric_limits<double>::quiet_NaN();
  if (!(alpha == rules.alpha)) {
    gaussJacobi(rules.legendreT, rules.legendreW, panelPoints, 0, 0);
    gaussJacobi(rules.originT, rules.originW, panelPoints, 0, alpha + 1);
    // The weights share the error of logGamma as a common factor: scale each rule to its
    // exact total, 2 and 2^(alpha + 2) / (alpha + 2).
    normalise(rules.legendreW, 2.0L);
    normalise(rules.originW, std::exp((alpha + 2) * ln2) / (alpha + 2));
    rules.alpha = alpha;
  }
  const ld T = (ld(right) - left) * beta;
  const ld decayed = 4.0L * n + 2 * std::fabs(alpha) + 2 + 200 + 60 * std::cbrt(ld(n));
  const ld width = std::sqrt(std::fmin(T, decayed));
  const ld rate = 2 * std::sqrt(n + std::fabs(alpha) + 1) + width;
  const int64_t panels = std::max<int64_t>(1, static_cast<int64_t>(std::ceil(rate * width / 10)));
  const ld h = width / panels;

  ld origin = 0;
  for (int32_t q = 0; q < panelPoints; ++q) {
    const ld u = h * (1 + ld(rules.originT[q])) / 2;
    origin += rules.originW[q] * seriesWithoutPower(c, n, u * u, alpha);
  }
  ld sum = origin * std::pow(h / 2, alpha + 2);
  for (int64_t panel = 1; panel < panels; ++panel) {
    ld inner = 0;
    for (int32_t q = 0; q < panelPoints; ++q) {
      const ld u = h * (panel + (1 + ld(rules.legendreT[q])) / 2);
      inner += rules.legendreW[q] * std::pow(u, alpha + 1) * seriesWithoutPower(c, n, u * u, alpha);
    }
    sum += inner * h / 2;
  }
  return 2 * sum / beta;
}

}  // namespace

long double laguerreFunction(int32_t n, double t, double alpha) {
  double p = 1.0, q = 0.0;
  int e = 0;
  for (int32_t i = 1; i <= n; ++i)
    laguerreStep(i, t, alpha, p, q, e);
  return std::exp(e * ln2 + (alpha / 2.0L) * std::log(ld(t)) - t / 2.0L) * p;
}

void laguerreFunctions(int32_t n, double t, double alpha, double* out) {
  if (n <= 0) return;
  const ld s = (alpha * std::log(ld(t)) - t) / 2;
  out[0] = std::exp(s);
  double p = 1.0, q = 0.0;
  int e = 0;
  for (int32_t i = 1; i < n; ++i) {
    laguerreStep(i, t, alpha, p, q, e);
    out[i] = std::exp(e * ln2 + s) * p;
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
