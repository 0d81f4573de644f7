#include "bases/sonin_laguerre.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "bases/fit_driver.h"
#include "bases/function_recurrence_lanes.h"
#include "bases/gamma_ratio.h"
#include "bases/half_line_power.h"
#include "bases/interval_map.h"
#include "bases/log_gamma.h"
#include "bases/node_cache.h"
#include "bases/ode_root_marching.h"
#include "bases/progress_blocks.h"
#include "bases/table_product_lanes.h"

namespace {

using ld = long double;

const ld ln2 = std::log(2.0L);

// The weights, and the nodes with the functions' factor t^(alpha/2) e^(-t/2).
struct LaguerreNodes {
  std::vector<double> w;
  FactoredAbscissae factored;  // the nodes with their factors
};
thread_local NodeCache<LaguerreNodes> nodeCache;  // keyed on (M, alpha)

// ln 2 in two parts: q ln2High is exact for |q| < 2^23, that is |x| below 5.8e6 in splitExp.
constexpr ld ln2High = 0x1.62e42fefa3p-1L;
constexpr ld ln2Low = 2.8235290563031577122588448175e-13L;

// e^x = mantissa 2^exponent, the argument reduced by the two-part ln 2, so that the factor
// e^(-t/2) of a node far out keeps its last digits and does not underflow.
struct SplitExp {
  ld mantissa;
  int64_t exponent;
};
SplitExp splitExp(ld x) {
  if (!(std::fabs(x) < 0x1p40L)) return {std::exp(x), 0};
  const ld q = std::nearbyint(x / ln2);
  return {std::exp((x - q * ln2High) - q * ln2Low), static_cast<int64_t>(q)};
}

// The factor t^(alpha/2) e^(-t/2) of the functions, taken once per argument.
SplitExp functionFactor(double t, double alpha) {
  return splitExp((alpha * std::log(ld(t)) - t) / 2);
}

// Past this t every function is far below the range of doubles (e^(-t/2) < 2^-10^15).
constexpr double farOut = 0x1p50;

// Appends t with the functions' factor split as mantissa 2^exponent. Past farOut the lane runs
// at t = 0 with a factor of 0 (a not-a-number t keeps its NaN).
void addFactored(FactoredAbscissae& points, double t, double alpha) {
  if (!(t <= farOut)) {
    points.add(0.0, std::isnan(t) ? t : 0.0, 0);
    return;
  }
  const SplitExp factor = functionFactor(t, alpha);
  points.add(t, static_cast<double>(factor.mantissa), factor.exponent);
}

// The per-degree coefficients (k + alpha) / k and 1 / k of the kernel's pair recurrence.
// (k + alpha) / k is formed as 1 + alpha / k: the sum k + alpha would lose the low bits of
// alpha, the same bits for every k of a binade, an error that adds up along the recurrence
// instead of averaging out (see the pair recurrence below).
struct DegreeSteps {
  std::vector<double> order, inverse;
  DegreeSteps(int32_t n, double alpha) : order(std::max(n, 1)), inverse(std::max(n, 1)) {
    for (int32_t k = 1; k < n; ++k) {
      order[k] = static_cast<double>(1 + ld(alpha) / k);
      inverse[k] = 1.0 / k;
    }
  }
  LaguerreSteps view() const { return {order.data(), inverse.data()}; }
};

// Past 4N + 2 alpha + 2 every phi_k, k < N, is beyond its last turning point and decays in t.
double decayingBeyond(int32_t n, double alpha) {
  return 4.0 * n + 2 * alpha + 2;
}

// L_k^(alpha) runs with L_k^(alpha+1):
//   k L_k^(alpha) = (k + alpha) L_{k-1}^(alpha) - t L_{k-1}^(alpha+1),
//   L_k^(alpha+1) = L_{k-1}^(alpha+1) + L_k^(alpha).
// t enters as a factor rather than through the coefficient 2k - 1 + alpha - t of the
// three-term recurrence, whose rounding costs ~k eps / t of relative accuracy near t = 0.
// The step runs as L_k = (1 + alpha / k) L_{k-1} - (t / k) L_{k-1}^(alpha+1). Forming k + alpha
// instead would round away the bits of alpha below the last place of k: the same bits for
// every k of a binade, so that near t = 0, where L_n is about the product of the (k + alpha) / k,
// the errors add up rather than average out (2e-15 at n = 10^5 in long double, for alpha such
// as 13.24 whose bits run past 2^-47). The roundings of 1 + alpha / k vary from k to k. The
// product by 1 / k also leaves only one multiplication and one difference on the chain.
// Both are kept as mantissas times 2^scale, rescaled when L^(alpha+1) passes 2^512 (it
// bounds L^(alpha)), so that large orders and large t stay in range.

// L_n(t) and L_{n-1}(t) in extended precision, as mantissas times 2^scale.
struct LaguerrePair {
  ld ln, lnm1;
  int64_t scale;
};
LaguerrePair laguerrePair(int32_t n, ld t, double alpha) {
  ld u = 1, w = 1, previous = 0;
  int64_t scale = 0;
  for (int32_t k = 1; k <= n; ++k) {
    previous = u;
    const ld inverse = 1.0L / k;
    u = (1 + alpha * inverse) * u - (t * inverse) * w;
    w += u;
    if (std::fabs(w) > 0x1p512L) {
      u *= 0x1p-512L, w *= 0x1p-512L, previous *= 0x1p-512L;
      scale += 512;
    }
  }
  return {u, previous, scale};
}

// laguerrePair at up to `pairLanes` arguments: two at a time, whose independent chains overlap
// in the pipeline while the state of both stays in the eight x87 registers (more lanes at once
// would go through memory, where the 80-bit loads and stores cost more than the arithmetic).
// L_{n-1} comes from the last step alone.
constexpr int pairLanes = 40;
void laguerrePairs(int32_t n, const ld* t, int count, double alpha, LaguerrePair* out) {
  for (int j = 0; j < count; j += 2) {
    const bool two = j + 1 < count;
    const ld t0 = t[j], t1 = two ? t[j + 1] : t[j];
    ld u0 = 1, w0 = 1, u1 = 1, w1 = 1;
    int64_t scale0 = 0, scale1 = 0;
    auto step = [&](int32_t k) {
      const ld inverse = 1.0L / k, order = 1 + alpha * inverse;
      u0 = order * u0 - (t0 * inverse) * w0;
      u1 = order * u1 - (t1 * inverse) * w1;
      w0 += u0;
      w1 += u1;
      if (std::fabs(w0) > 0x1p512L || std::fabs(w1) > 0x1p512L) [[unlikely]] {
        if (std::fabs(w0) > 0x1p512L) u0 *= 0x1p-512L, w0 *= 0x1p-512L, scale0 += 512;
        if (std::fabs(w1) > 0x1p512L) u1 *= 0x1p-512L, w1 *= 0x1p-512L, scale1 += 512;
      }
    };
    for (int32_t k = 1; k < n; ++k)
      step(k);
    // L_{n-1} in the scale of L_n: the last step's rescaling (if any) applies to it too.
    ld previous0 = u0, previous1 = u1;
    const int64_t before0 = scale0, before1 = scale1;
    if (n >= 1) step(n);
    previous0 = std::ldexp(previous0, static_cast<int>(before0 - scale0));
    previous1 = std::ldexp(previous1, static_cast<int>(before1 - scale1));
    out[j] = {n >= 1 ? u0 : 1, n >= 1 ? previous0 : 0, scale0};
    if (two) out[j + 1] = {n >= 1 ? u1 : 1, n >= 1 ? previous1 : 0, scale1};
  }
}

// Rows out[j * stride + k] = phi_k(t[j]), k < n, for up to `lanes` arguments at once: the
// independent chains overlap in the pipeline. The factor t^(alpha/2) e^(-t/2) is taken once
// per row as m 2^e and applied to each value as two multiplications, (L m 2^(e + c)) 2^-c,
// with c = 600 where 2^e alone would be subnormal; below 2^-1700 the values are 0.
constexpr int32_t lanes = 4;
void laguerreRows(int32_t n, const double* t, int count, double alpha, double* out, size_t stride) {
  double arg[lanes], u[lanes], w[lanes], mantissa[lanes], first[lanes], second[lanes];
  int64_t e[lanes];
  auto setScale = [&](int j) {
    const int64_t c = e[j] < -1022 ? 600 : 0;
    const int shifted = static_cast<int>(std::min<int64_t>(e[j] + c, 4000));
    first[j] = e[j] < -1700 ? 0.0 : std::ldexp(mantissa[j], shifted);
    second[j] = c ? 0x1p-600 : 1.0;
  };
  for (int j = 0; j < lanes; ++j) {
    arg[j] = t[j < count ? j : 0];
    const SplitExp factor = functionFactor(arg[j], alpha);
    mantissa[j] = static_cast<double>(factor.mantissa);
    e[j] = factor.exponent;
    u[j] = w[j] = 1;
    setScale(j);
  }
  for (int j = 0; j < count; ++j)
    out[j * stride] = first[j] * second[j];
  for (int32_t k = 1; k < n; ++k) {
    const double inverse = 1.0 / k, order = 1 + alpha * inverse;
    double largest = 0;
    for (int j = 0; j < lanes; ++j) {
      u[j] = order * u[j] - (arg[j] * inverse) * w[j];
      w[j] += u[j];
      largest = std::fabs(w[j]) > largest ? std::fabs(w[j]) : largest;
    }
    for (int j = 0; j < count; ++j)
      out[j * stride + k] = u[j] * first[j] * second[j];
    if (largest > 0x1p512)
      for (int j = 0; j < lanes; ++j)
        if (std::fabs(w[j]) > 0x1p512) {
          u[j] *= 0x1p-512, w[j] *= 0x1p-512, e[j] += 512;
          setScale(j);
        }
  }
}

// The k-th positive zero of the Bessel function J_alpha (k >= 1): McMahon's expansion in
// 1/beta, beta = (k + alpha/2 - 1/4) pi, while alpha is small beside k, otherwise Olver's
// expansion about the turning point with the zeros of Airy's function (Abramowitz and
// Stegun 9.5.12, 9.5.22 and 10.4.105). Within a few parts in 1e3 for every alpha > -1.
ld besselZero(double alpha, int32_t k) {
  static constexpr ld airyZeros[] = {2.338107410459767L, 4.087949444130971L, 5.520559828095551L,
                                     6.786708090071759L, 7.944133587120853L, 9.022650853340980L,
                                     10.04017434155809L, 11.00852430373326L, 11.93601556323626L,
                                     12.82877675286576L};
  constexpr int32_t tabulated = sizeof airyZeros / sizeof airyZeros[0];
  const ld a = alpha;
  if (a < 4 * k) {
    const ld b = (k + a / 2 - 0.25L) * piLong, mu = 4 * a * a, e = 8 * b;
    return b - (mu - 1) / e - 4 * (mu - 1) * (7 * mu - 31) / (3 * e * e * e) -
           32 * (mu - 1) * (83 * mu * mu - 982 * mu + 3779) / (15 * e * e * e * e * e);
  }
  // |a_k| = T(3 pi (4k - 1) / 8), T(u) = u^(2/3) (1 + 5/48 u^-2 - 5/36 u^-4) past the table.
  const ld u = 3 * piLong * (4 * k - 1) / 8;
  const ld z = k <= tabulated
                   ? airyZeros[k - 1]
                   : std::cbrt(u * u) * (1 + 5 / (48 * u * u) - 5 / (36 * u * u * u * u));
  const ld cube = std::cbrt(a);
  return a + z * cube / std::cbrt(2.0L) + 0.15L * z * z * std::cbrt(2.0L) / cube;
}

// Guess for the k-th node (k >= 1) of L_n^(alpha), from the Bessel asymptotics of the
// Laguerre polynomials near the origin (as in chebfun's lagpts.m):
// t_k = (j^2 / nu) (1 + (j^2 + 2 alpha^2 - 2) / (3 nu^2)), j = j_{alpha,k}, nu = 4n + 2 alpha + 2.
ld nodeGuess(int32_t n, double alpha, int32_t k) {
  const ld j = besselZero(alpha, k), nu = 4.0L * n + 2 * ld(alpha) + 2;
  return j * j / nu * (1 + (j * j + 2 * ld(alpha) * alpha - 2) / (3 * nu * nu));
}

// The node after `found` nodes lower[0 .. found-1], in extended precision, by Laguerre's
// method on L_n deflated by the nodes found: with all roots real, it climbs monotonically
// and cubically from any point between the last node found and the next root onto that root,
// however far the start. L_n''/L_n comes from the differential equation
// t L'' + (alpha + 1 - t) L' + n L = 0. The start is the guess drawn halfway towards the last
// node; while L_n has the sign it has beyond the next root, it is halved back further.
ld nextNode(int32_t n, double alpha, const ld* lower, int32_t found) {
  const ld floor = found > 0 ? lower[found - 1] : 0.0L;
  ld x = floor + 0.5L * (nodeGuess(n, alpha, found + 1) - floor);
  if (!(x > floor)) x = floor + (found > 1 ? floor - lower[found - 2] : 1.0L / n) / 2;
  const bool evenBelow = found % 2 == 0;  // sign of L_n between the last node and the next
  for (int halving = 0; halving < 64; ++halving) {
    const ld value = laguerrePair(n, x, alpha).ln;
    if ((value > 0) == evenBelow || value == 0) break;
    x = (x + floor) / 2;
  }
  const ld degree = n - found;  // of the deflated polynomial
  ld lastStep = std::numeric_limits<ld>::infinity();
  for (int iteration = 0; iteration < 100; ++iteration) {
    const LaguerrePair at = laguerrePair(n, x, alpha);
    if (at.ln == 0) break;
    const ld first = (n - (n + ld(alpha)) * at.lnm1 / at.ln) / x;  // L_n' / L_n
    const ld second = ((x - alpha - 1) * first - n) / x;           // L_n'' / L_n
    ld g = first, h = first * first - second;
    for (int32_t j = 0; j < found; ++j) {
      const ld inverse = 1 / (x - lower[j]);
      g -= inverse;
      h -= inverse * inverse;
    }
    const ld root = std::sqrt(std::fmax(0.0L, (degree - 1) * (degree * h - g * g)));
    ld next = x - degree / (g + std::copysign(root, g));
    if (!(next > floor)) next = (x + floor) / 2;  // rounding only
    const ld size = std::fabs(next - x);
    x = next;
    if (size <= x * 0x1p-62L || (size >= lastStep && size < x * 1e-10L)) break;
    lastStep = size;
  }
  return x;
}

// The sum of x[i] y[i] in extended precision.
[[gnu::noinline]] long double productSum(const double* x, const double* y, int32_t m) {
  long double sum = 0.0L;
  for (int32_t i = 0; i < m; ++i)
    sum += ld(x[i]) * y[i];
  return sum;
}

LaguerreNodes makeNodes(int32_t m, double alpha) {
  std::vector<double> t(m, 0.0);
  LaguerreNodes fresh{std::vector<double>(m, 0.0), {}};
  gaussLaguerre(t.data(), fresh.w.data(), m, alpha);
  for (double z : t)
    addFactored(fresh.factored, z, alpha);
  return fresh;
}

struct LaguerreFitSteps {
  static constexpr FitRules rules = FitRules::figure;
  int32_t m = 0, n = 0;
  double left = 0, alpha = 0, beta = 0;
  const LaguerreNodes* nodes = nullptr;
  std::vector<double> norms;  // the squared norms h_k = Gamma(k + alpha + 1) / k!

  // alpha of -1 or below becomes 0, beta of 0 or below the scale that puts the largest node at
  // the right end.
  FitSettings settle(double from, double right, double order, double scale, int32_t terms,
                     int32_t count) {
    m = count;
    n = terms;
    left = from;
    alpha = order <= -1 ? 0 : order;
    beta = scale;
    if (m <= 0) return {alpha, beta, m, false};  // no mesh (and no largest node for the scale)
    const int32_t points = m;
    const double a = alpha;
    nodes = &nodeCache.at({m, alpha}, [points, a] { return makeNodes(points, a); });
    if (beta <= 0) beta = nodes->factored.t[m - 1] / (ld(right) - left);
    return {alpha, beta, m, true};
  }
  void layMesh(double* meshX) const {
    const std::vector<double>& t = nodes->factored.t;
    for (int32_t i = 0; i < m; ++i)
      meshX[i] = t[i] / ld(beta) + left;
  }
  long double project(const double* f, double* c) {
    const std::vector<double>& w = nodes->w;
    std::vector<double> weighted(m), sums(n, 0.0);  // weight times source value, per node
    for (int32_t i = 0; i < m; ++i)
      weighted[i] = static_cast<double>(ld(w[i]) * f[i]);
    const long double energy = productSum(weighted.data(), f, m);
    BlockProgress progress(m, n);
    laguerreProject(nodes->factored.points(), weighted.data(), DegreeSteps(n, alpha).view(), n,
                    decayingBeyond(n, alpha), sums.data(), progress);
    formNorms();
    for (int32_t k = 0; k < n; ++k)
      c[k] = sums[k] / norms[k];
    return energy;
  }
  // The rows of values (spectra x M) projected together into c (spectra x N).
  void projectMany(const double* f, int64_t spectra, double* c) {
    const std::vector<double>& w = nodes->w;
    std::vector<double> u(static_cast<size_t>(spectra) * m);
    for (int64_t j = 0; j < spectra; ++j)
      for (int32_t i = 0; i < m; ++i)
        u[j * m + i] = static_cast<double>(ld(w[i]) * f[j * m + i]);
    const DegreeSteps steps(n, alpha);
    const FactoredPoints points = nodes->factored.points();
    addProductByTables(m, n, u.data(), m, spectra, c,
                       [&](int32_t from, int32_t width, FunctionTable& table) {
                         laguerreTable(points.part(from, width), steps.view(), table);
                       });
    formNorms();
    for (int64_t j = 0; j < spectra; ++j)
      for (int32_t k = 0; k < n; ++k)
        c[j * n + k] /= norms[k];
  }
  // h_k = Gamma(k + alpha + 1) / k! by its ratios.
  void formNorms() {
    norms.assign(std::max(n, 1), std::exp(logGamma(alpha + 1.0L)));
    for (int32_t k = 1; k < n; ++k)
      norms[k] = static_cast<double>(norms[k - 1] * (k + ld(alpha)) / k);
  }
  double squaredNorm(int32_t k) const { return norms[k]; }
  void sum(const double* c, double* values) const {
    BlockProgress progress(m, n);
    laguerreSeries(nodes->factored.points(), DegreeSteps(n, alpha).view(), c, n,
                   decayingBeyond(n, alpha), values, progress);
  }
};

long double evaluateSoninLaguerre(double left, double, double alpha, double beta, const double* c,
                                  int32_t n, double x) {
  if (n <= 0) return 0.0L;
  double t = (ld(x) - left) * beta;
  if (t == 0) t = 0.1L / n;     // the functions' logarithm needs t > 0
  if (t > farOut) return 0.0L;  // where the recurrence alone would overflow
  std::vector<double> scratch(n);
  laguerreFunctions(n, t, alpha, scratch.data());
  double sum = 0.0;
  for (int32_t k = 0; k < n; ++k)
    sum += ld(c[k]) * scratch[k];
  return sum;
}

// The series at many abscissae, t as in evaluateSoninLaguerre, in lanes.
void evaluateManySoninLaguerre(double left, double, double alpha, double beta, const double* c,
                               int32_t n, const double* x, double* values, int32_t count) {
  if (count <= 0) return;
  FactoredAbscissae points;
  for (int32_t i = 0; i < count; ++i) {
    double t = (ld(x[i]) - left) * beta;
    if (t == 0) t = 0.1L / n;  // the functions' logarithm needs t > 0
    addFactored(points, t, alpha);
  }
  BlockProgress progress(count, n);
  laguerreSeries(points.points(), DegreeSteps(n, alpha).view(), c, n,
                 std::numeric_limits<double>::infinity(), values, progress);
}

void quadratureSoninLaguerre(double* nodes, double* weights, int32_t m, double alpha, double) {
  gaussLaguerre(nodes, weights, m, alpha);
}

// From phi_k' = -phi_k / 2 - (phi_0 + ... + phi_{k-1}) for alpha = 0. beta is dt/dx.
// For other alpha the derivative of the factor t^(alpha/2) brings in t^(alpha/2 - 1), which no
// series of this alpha holds (and which is unbounded at 0 for alpha < 2); rather than show a
// series that drops it, Differentiate answers that the method is unavailable there
// (`differentiatesSoninLaguerre`).
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
// from J_0 = 2^s gamma(s, T/2), s = alpha/2 + 1: O(N), phi_k(T) from the same pass.
long double integrateSoninLaguerre(double left, double right, double alpha, double beta,
                                   const double* c, int32_t n) {
  if (n <= 0) return 0.0L;
  if (!(beta > 0)) return std::numeric_limits<double>::quiet_NaN();
  const double T = (ld(right) - left) * beta;
  if (!(T >= 0)) return std::numeric_limits<double>::quiet_NaN();  // left of the half-line
  if (T == 0) return 0.0L;
  // phi_k(T) = u 2^scale by the pair recurrence in extended precision: its rounding enters
  // J_{k+1} directly. 0 at infinity.
  const bool finite = std::isfinite(T);
  const SplitExp factor = finite ? functionFactor(T, alpha) : SplitExp{0, 0};
  ld u = factor.mantissa, w = factor.mantissa;
  int64_t scale = factor.exponent;
  ld previous = 0, current = halfDecayMoment(alpha / 2.0L + 1, T);
  ld sum = c[0] * current;
  for (int32_t k = 0; k + 1 < n; ++k) {
    const int e = static_cast<int>(std::clamp<int64_t>(scale, -20000, 20000));
    const ld boundary = finite ? 2 * ld(T) * std::ldexp(u, e) : 0.0L;
    const ld next = (boundary - current + (k + ld(alpha)) * previous) / (k + 1);
    previous = current;
    current = next;
    sum += c[k + 1] * current;
    u = ((k + 1 + ld(alpha)) * u - T * w) / (k + 1);
    w += u;
    if (std::fabs(w) > 0x1p512L) u *= 0x1p-512L, w *= 0x1p-512L, scale += 512;
  }
  return sum / beta;
}

// h_n = Gamma(n + alpha + 1) / n! as mantissa 2^exponent: one gamma ratio, or for a large
// alpha a product of ratios over steps of alpha / parts, each within the long double range.
SplitExp squaredNorm(int32_t n, double alpha) {
  const int parts =
      1 + static_cast<int>(std::fmax(alpha, 0) * std::log(n + std::fabs(alpha) + 2) / 8000);
  const ld step = ld(alpha) / parts;
  SplitExp norm{1, 0};
  for (int j = 0; j < parts; ++j) {
    int e = 0;
    norm.mantissa = std::frexp(norm.mantissa * gammaRatio(n + j * step, step + 1, 1), &e);
    norm.exponent += e;
  }
  return norm;
}

// The orthonormal phi = t^(alpha/2) e^(-t/2) L_n / sqrt(h_n) and its derivative at t, from
// the recurrence with its power-of-two scale folded into the factor.
struct Orthonormal {
  ld value, derivative;
};
Orthonormal orthonormalFrom(int32_t n, double alpha, ld t, const LaguerrePair& at,
                            const SplitExp& norm) {
  const SplitExp factor = splitExp(alpha / 2 * std::log(t) - t / 2);
  const bool odd = norm.exponent % 2 != 0;
  const ld scale = factor.mantissa / std::sqrt(odd ? 2 * norm.mantissa : norm.mantissa);
  const int64_t exponent = factor.exponent + at.scale - (norm.exponent - odd) / 2;
  const ld derivative = (n * at.ln - (n + ld(alpha)) * at.lnm1) / t;  // L_n'
  const int e = static_cast<int>(std::clamp<int64_t>(exponent, -20000, 20000));
  return {std::ldexp(scale * at.ln, e),
          std::ldexp(scale * (derivative + (alpha / (2 * t) - 0.5L) * at.ln), e)};
}
Orthonormal orthonormalAt(int32_t n, double alpha, ld t, const SplitExp& norm) {
  return orthonormalFrom(n, alpha, t, laguerrePair(n, t, alpha), norm);
}

// The first nodes, up to where the march can take over (the spacing below a fifth of the
// node), all at once: Laguerre's method on L_n from the asymptotic guesses, every node a lane
// of one pass of the recurrence, so that the O(n) passes are shared; the passes run in double
// but the last, in long double, which takes the last step and gives by Taylor series from there
// the weights and u, u' at the last node rounded to a double for the march that follows.
// Returns the number of nodes found, or 0 where they do not come out as distinct ascending
// roots each beside its own guess (then the node-by-node search runs instead).
struct FirstNodes {
  int32_t count = 0;
  ld nodes[pairLanes - 1], derivatives[pairLanes - 1];
  Orthonormal carried{0, 0};
};
// The ratio L_{n-1}(t) / L_n(t) at up to pairLanes arguments in double, every lane in one loop
// (the pair recurrence, each lane rescaled on its own, which the ratio does not see): the
// passes of Laguerre's method that only bring the first nodes near, before the one pass in
// long double.
void laguerreRatios(int32_t n, const double* t, int count, double alpha, double* ratio) {
  double u[pairLanes], w[pairLanes];
  for (int j = 0; j < count; ++j)
    u[j] = w[j] = 1;
  auto step = [&](int32_t k) {
    const double inverse = 1.0 / k, order = 1 + alpha * inverse;
    for (int j = 0; j < count; ++j) {
      u[j] = order * u[j] - (t[j] * inverse) * w[j];
      w[j] += u[j];
    }
  };
  for (int32_t k = 1; k < n; ++k) {
    step(k);
    if (k % 8 == 0)  // growth stays below 2^160 in 8 steps for the first nodes' arguments
      for (int j = 0; j < count; ++j)
        if (std::fabs(w[j]) > 0x1p512) u[j] *= 0x1p-512, w[j] *= 0x1p-512;
  }
  double previous[pairLanes];
  std::copy(u, u + count, previous);
  step(n);
  for (int j = 0; j < count; ++j)
    ratio[j] = previous[j] / u[j];
}

// The step of Laguerre's method for L_n at x, from g = L_n'(x) / L_n(x).
template <typename Real>
Real laguerreStep(int32_t n, double alpha, Real x, Real g) {
  const Real second = ((x - alpha - 1) * g - n) / x;  // L_n'' / L_n
  const Real root = std::sqrt(std::fmax(Real(0), (n - Real(1)) * (n * (g * g - second) - g * g)));
  return n / (g + std::copysign(root, g));
}

// The pair at t + h, |h| far below the node spacing, from the pair at t: L_n and L_n' by their
// Taylor series to h^3, whose derivatives come from the differential equation
//   t L'' = (t - alpha - 1) L' - n L,  t L''' = (t - alpha - 2) L'' - (n - 1) L',
// and L_{n-1} from L_n' = (n L_n - (n + alpha) L_{n-1}) / t.
LaguerrePair pairNear(int32_t n, double alpha, ld t, const LaguerrePair& at, ld h) {
  const ld first = (n * at.ln - (n + ld(alpha)) * at.lnm1) / t;
  const ld second = ((t - alpha - 1) * first - n * at.ln) / t;
  const ld third = ((t - alpha - 2) * second - (n - 1) * first) / t;
  const ld value = at.ln + h * (first + h * (second / 2 + h * third / 6));
  const ld slope = first + h * (second + h * third / 2);
  return {value, (n * value - (t + h) * slope) / (n + ld(alpha)), at.scale};
}

FirstNodes firstNodesTogether(int32_t n, double alpha, const SplitExp& norm) {
  FirstNodes first;
  if (n < 200) return first;  // where the guesses are coarse, and the recurrence cheap
  ld guess[pairLanes];
  int32_t count = 0;
  guess[0] = nodeGuess(n, alpha, 1);
  while (count + 1 < pairLanes - 1) {
    guess[count + 1] = nodeGuess(n, alpha, count + 2);
    ++count;
    if (guess[count] - guess[count - 1] <= 0.2L * guess[count - 1]) break;
  }
  // Laguerre's method in double until every step is below 2^-30 of its node: the nodes are then
  // as close as double evaluations place them, some 1e-13, and the one long-double step that
  // follows leaves far less than its rounding (the method converges cubically).
  double x[pairLanes], ratio[pairLanes];
  std::copy(guess, guess + count, x);
  bool settled = false;
  for (int pass = 0; pass < 8 && !settled; ++pass) {
    laguerreRatios(n, x, count, alpha, ratio);
    settled = true;
    for (int32_t j = 0; j < count; ++j) {
      if (!std::isfinite(ratio[j])) continue;  // at the root itself
      const double step = laguerreStep(n, alpha, x[j], (n - (n + alpha) * ratio[j]) / x[j]);
      x[j] -= step;
      settled = settled && std::fabs(step) <= x[j] * 0x1p-30;
    }
  }
  ld args[pairLanes], nodes[pairLanes];
  std::copy(x, x + count, args);
  LaguerrePair at[pairLanes];
  laguerrePairs(n, args, count, alpha, at);
  for (int32_t j = 0; j < count; ++j) {
    const ld g = (n - (n + ld(alpha)) * at[j].lnm1 / at[j].ln) / args[j];  // L_n' / L_n
    const ld step = at[j].ln == 0 ? 0 : laguerreStep(n, alpha, args[j], g);
    nodes[j] = args[j] - step;
    settled = settled && std::fabs(step) <= args[j] * 0x1p-26L;
  }
  for (int32_t j = 0; j < count; ++j) {
    const ld below = j > 0 ? guess[j] - guess[j - 1] : guess[0];
    const ld above = guess[j + 1] - guess[j];
    const bool own = std::fabs(nodes[j] - guess[j]) < 0.3L * std::fmin(below, above);
    if (!settled || !own || !(nodes[j] > (j > 0 ? nodes[j - 1] : 0.0L)) || !std::isfinite(nodes[j]))
      return first;
  }
  for (int32_t j = 0; j < count; ++j) {
    first.nodes[j] = nodes[j];
    const LaguerrePair root = pairNear(n, alpha, args[j], at[j], nodes[j] - args[j]);
    first.derivatives[j] = orthonormalFrom(n, alpha, nodes[j], root, norm).derivative;
  }
  // u and u' for the march, at the last node rounded to a double.
  const ld last = args[count - 1], rounded = static_cast<double>(nodes[count - 1]);
  first.carried = orthonormalFrom(n, alpha, rounded,
                                  pairNear(n, alpha, last, at[count - 1], rounded - last), norm);
  first.count = count;
  return first;
}

}  // namespace

long double laguerreFunction(int32_t n, double t, double alpha) {
  const SplitExp factor = functionFactor(t, alpha);
  const LaguerrePair at = laguerrePair(n, t, alpha);
  const int64_t e = std::clamp<int64_t>(at.scale + factor.exponent, -20000, 20000);
  return std::ldexp(factor.mantissa * at.ln, static_cast<int>(e));
}

void laguerreFunctions(int32_t n, double t, double alpha, double* out) {
  if (n > 0) laguerreRows(n, &t, 1, alpha, out, 0);
}

// Nodes from the smallest up. Near t = 0 the Taylor series of phi reaches only a fraction of
// the way to the singular point at 0, less than one node spacing: there the nodes come from
// Laguerre's method on the recurrence (nextNode), each followed by an attempt to march the
// rest with the differential equation of phi,
//   t^2 phi'' + t phi' + ((n + (alpha + 1)/2) t - t^2/4 - alpha^2/4) phi = 0,
// which succeeds once the spacing is below 0.3 t (after 5 to 10 nodes). A march that stops
// early, or would step back, hands over to the recurrence again.
void gaussLaguerre(double* nodes, double* weights, int32_t n, double alpha) {
  if (n <= 0) return;
  const SplitExp norm = squaredNorm(n, alpha);
  const ld a = alpha;
  const RootOde ode{{0, 0, 1}, {0, 1, 0}, {-a * a / 4, n + (a + 1) / 2, -0.25L}};
  std::vector<ld> found;  // the nodes unrounded, for the deflation
  found.reserve(n);
  auto store = [&](ld x, ld derivative) {
    const int32_t i = static_cast<int32_t>(found.size());
    nodes[i] = static_cast<double>(x);
    weights[i] = static_cast<double>(1 / (x * derivative * derivative));
    found.push_back(x);
  };
  const FirstNodes first = firstNodesTogether(n, alpha, norm);
  for (int32_t j = 0; j < first.count; ++j)
    store(first.nodes[j], first.derivatives[j]);
  bool fromFirst = first.count > 0;
  while (static_cast<int32_t>(found.size()) < n) {
    Orthonormal carried = first.carried;
    if (!fromFirst) {
      const ld x = nextNode(n, alpha, found.data(), static_cast<int32_t>(found.size()));
      store(x, orthonormalAt(n, alpha, x, norm).derivative);
      if (static_cast<int32_t>(found.size()) == n) break;
      carried = orthonormalAt(n, alpha, static_cast<double>(x), norm);
    }
    fromFirst = false;
    const int32_t left = n - static_cast<int32_t>(found.size());
    const double rounded = static_cast<double>(found.back());
    // Each root is stored as it comes; after one that would step back or has no derivative,
    // the rest of this march is ignored and the recurrence takes over again.
    bool stopped = false;
    marchRoots(ode, {rounded, carried.value, carried.derivative, true}, 1, left, 0.3L,
               [&](const MarchedRoot& root) {
                 stopped = stopped || !(root.x > found.back()) || !std::isfinite(root.derivative);
                 if (!stopped) store(root.x, root.derivative);
               });
  }
}

namespace {
bool differentiatesSoninLaguerre(double alpha, double) {
  return alpha == 0;
}
}  // namespace

constinit const BasisOps soninLaguerreBasis = [] {
  BasisOps ops = withProjectMany<LaguerreFitSteps>(basisWithSteps<LaguerreFitSteps>(
      evaluateSoninLaguerre, quadratureSoninLaguerre, differentiateSoninLaguerre,
      integrateSoninLaguerre, evaluateManySoninLaguerre, halfLineSpectrum));
  ops.differentiates = differentiatesSoninLaguerre;
  // h_k = Gamma(k + alpha + 1) / k!, as the fit forms them.
  ops.squaredNorm = [](int32_t k, double alpha, double, int32_t) {
    return static_cast<double>(gammaRatio(k, alpha + 1.0L, 1.0L));
  };
  return ops;
}();
