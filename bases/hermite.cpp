#include "bases/hermite.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "bases/fit_start.h"
#include "bases/gamma_ratio.h"
#include "bases/interval_map.h"
#include "bases/ode_root_marching.h"
#include "bases/progress_blocks.h"

namespace {

constexpr double piToMinusHalf = 0.5641895835477563;
constexpr long double piL = 3.141592653589793238462643383279502884L;
constexpr long double log2e = 1.442695040888963407359924681001892137L;
// Largest function table kept between fits (512 MiB); beyond it each fit makes its rows afresh.
constexpr int64_t tableLimit = int64_t{1} << 26;

// Node cache: the non-negative roots of psi_M (for odd M the middle root 0 comes first) with
// their weights, and the table of psi_j at those roots, row by row with stride termCount.
struct NodeCache {
  int32_t m = 0;
  std::vector<double> nodes, weights;
  int32_t termCount = 0;
  std::vector<double> table;
};
NodeCache cache;

// Exponent splitting: the recurrences keep the current value p as a mantissa and collect the
// binary exponents in E, so that neither high orders nor large |t| overflow or underflow; the
// true value is p 2^E exp(-t t / 2). Scaling by a power of two is exact, so splitting only when
// the mantissa leaves [2^-64, 2^64] gives the same bits as splitting after every step.
struct SplitValue {
  double p;
  double q;
  int64_t exponent;
};

inline void split(SplitValue& v) {
  int e = 0;
  v.p = std::frexp(v.p, &e);
  v.q = std::ldexp(v.q, -e);
  v.exponent += e;
}

inline void splitIfFar(SplitValue& v) {
  const double a = std::fabs(v.p);
  if (a > 0x1p64 || (a < 0x1p-64 && a != 0)) split(v);
}

// psi_k = rise_k t psi_{k-1} - fall_k psi_{k-2}, rise_k = sqrt(2 / k), fall_k = sqrt((k-1) / k).
// The Gaussian factor exp(-t^2 / 2) is taken once per abscissa as a mantissa and a power of two,
// so that each value costs the recurrence step and one exact scaling (ldexp).
struct HermiteRecurrence {
  std::vector<double> rise, fall;
  explicit HermiteRecurrence(int32_t n) : rise(std::max(n, 1)), fall(std::max(n, 1)) {
    for (int32_t k = 1; k < n; ++k) {
      rise[k] = static_cast<double>(std::sqrt(2.0L / k));
      fall[k] = static_cast<double>(std::sqrt((k - 1.0L) / k));
    }
  }
  // psi_0(t) .. psi_{n-1}(t) into out, n at most the count the table was made for.
  void values(int32_t n, double t, double* out) const {
    const long double power = -0.5L * t * t * log2e;  // log2 of the Gaussian factor
    if (!(power > -0x1p40L)) {                        // all underflow (or t is not a number)
      for (int32_t k = 0; k < n; ++k)
        out[k] = std::isnan(t) ? t : 0.0;
      return;
    }
    const long double whole = std::floor(power);
    const double mantissa = static_cast<double>(std::exp2(power - whole));
    const int64_t base = static_cast<int64_t>(whole);
    auto scaled = [&](const SplitValue& v) {
      const int64_t e = std::clamp<int64_t>(v.exponent + base, -100000, 100000);
      return std::ldexp(mantissa * v.p, static_cast<int>(e));
    };
    SplitValue v{std::sqrt(piToMinusHalf), 0.0, 0};
    out[0] = scaled(v);
    for (int32_t k = 1; k < n; ++k) {
      const double next = rise[k] * t * v.p - fall[k] * v.q;
      v.q = v.p;
      v.p = next;
      splitIfFar(v);
      out[k] = scaled(v);
    }
  }
};

long double fitHermite(double left, double right, double&, double& beta, double* c, int32_t n,
                       double* meshX, double* sourceValues, double* seriesValues, int32_t m,
                       const SourceFn& source, int32_t mode) {
  if (m <= 0) return 0.0L;  // no mesh to lay
  const IntervalMap map = mapInterval(left, right);
  const int32_t k = m / 2;
  const int32_t first = m % 2;  // 1 when the middle root 0 leads the node arrays

  // The node set and the table report, and a cancel may stop them: each is built aside and
  // published whole, and the old table goes first, so that the cache is always consistent.
  auto dropTable = [] {
    cache.termCount = 0;
    std::vector<double>().swap(cache.table);
  };
  if (m != cache.m) {
    std::vector<double> nodes(k + first, 0.0), weights(k + first, 0.0);
    gaussHermite(nodes.data(), weights.data(), m);
    dropTable();
    cache.nodes = std::move(nodes);
    cache.weights = std::move(weights);
    cache.m = m;
  }
  const bool tableFits = static_cast<int64_t>(k + first) * n <= tableLimit;
  const HermiteRecurrence recurrence(n);
  if (tableFits && n > cache.termCount) {
    dropTable();
    std::vector<double> table(static_cast<size_t>(k + first) * n, 0.0);
    BlockProgress progress(k + first, n);
    for (int32_t i = 0; i < k + first; ++i) {
      progress.at(i);
      recurrence.values(n, cache.nodes[i], &table[static_cast<size_t>(i) * n]);
    }
    cache.table = std::move(table);
    cache.termCount = n;
  }
  const double* z = cache.nodes.data() + first;  // positive roots
  const double* w = cache.weights.data() + first;
  const size_t stride = cache.termCount;
  const bool cached = cache.termCount >= n;
  std::vector<double> scratch(cached ? 0 : n);
  // psi_0 .. psi_{N-1} at the positive root i (i = -1: the middle root 0).
  auto row = [&](int32_t i) -> const double* {
    if (cached) return &cache.table[(first + i) * stride];
    recurrence.values(n, cache.nodes[first + i], scratch.data());
    return scratch.data();
  };

  if (beta <= 0 && k > 0) beta = z[k - 1] / map.half;

  for (int32_t i = 0; i < k; ++i) {
    meshX[m - k + i] = z[i] / static_cast<long double>(beta) + map.mid;
    meshX[k - 1 - i] = map.mid - z[i] / static_cast<long double>(beta);
  }
  if (first) meshX[k] = map.mid;

  long double figure = 0.0L;
  if (mode & fitCoefficients) {
    startFit(source, meshX, sourceValues, m, c, n);
    long double energy = 0.0L;
    BlockProgress progress(k, n);
    for (int32_t i = 0; i < k; ++i) {
      progress.at(i);
      // psi_j(-t) = (-1)^j psi_j(t): a node and its mirror fold into one sum per parity.
      const double vm = sourceValues[k - 1 - i];
      const double vp = sourceValues[m - k + i];
      const double odd = (static_cast<long double>(vp) - vm) * w[i];
      const double even = (static_cast<long double>(vp) + vm) * w[i];
      energy += (static_cast<long double>(vm) * vm + static_cast<long double>(vp) * vp) * w[i];
      const double* psi = row(i);
      for (int32_t j = 0; j < n; j += 2)
        c[j] += static_cast<long double>(psi[j]) * even;
      for (int32_t j = 1; j < n; j += 2)
        c[j] += static_cast<long double>(psi[j]) * odd;
    }
    if (first) {
      const double v = sourceValues[k];
      const double weighted = static_cast<long double>(v) * cache.weights[0];
      energy += static_cast<long double>(v) * v * cache.weights[0];
      const double* psi = row(-1);
      for (int32_t j = 0; j < n; ++j)
        c[j] += static_cast<long double>(psi[j]) * weighted;
    }
    long double captured = 0.0L;
    for (int32_t j = 0; j < n; ++j)
      captured += static_cast<long double>(c[j]) * c[j];
    if (energy != 0) figure = 1 - captured / energy;
  }

  if (mode & evaluateOnMesh) {
    BlockProgress progress(k, n);
    for (int32_t i = 0; i < k; ++i) {
      progress.at(i);
      const double* psi = row(i);
      long double positive = 0.0L, mirrored = 0.0L;
      for (int32_t j = 0; j < n; ++j) {
        const double term = static_cast<long double>(c[j]) * psi[j];
        positive += term;
        mirrored += (j % 2 ? -term : term);
      }
      seriesValues[m - k + i] = static_cast<double>(positive);
      seriesValues[k - 1 - i] = static_cast<double>(mirrored);
    }
    if (first) {
      const double* psi = row(-1);
      long double middle = 0.0L;
      for (int32_t j = 0; j < n; ++j)
        middle += static_cast<long double>(c[j]) * psi[j];
      seriesValues[k] = static_cast<double>(middle);
    }
  }
  return figure;
}

long double evaluateHermite(double left, double right, double, double beta, const double* c,
                            int32_t n, double x) {
  if (n <= 0) return 0.0L;
  const double t = (x - (left + right) * 0.5) * beta;
  std::vector<double> psi(n);
  hermiteFunctions(n, t, psi.data());
  long double sum = 0.0L;
  for (int32_t j = 0; j < n; ++j)
    sum += static_cast<long double>(c[j]) * psi[j];
  return sum;
}

void quadratureHermite(double* nodes, double* weights, int32_t m, double, double) {
  gaussHermite(nodes, weights, m);
}

// d psi_k / dt = sqrt(k / 2) psi_{k-1} - sqrt((k + 1) / 2) psi_{k+1}, and dt/dx = beta.
void differentiateHermite(double, double, double, double beta, const double* c, double* d,
                          int32_t n) {
  if (n <= 0) return;
  for (int32_t j = 0; j <= n; ++j)
    d[j] = 0.0;
  d[1] = d[1] - std::sqrt(0.5L) * c[0];
  for (int32_t k = 1; k < n; ++k) {
    d[k - 1] += std::sqrt(k * 0.5L) * c[k];
    d[k + 1] -= std::sqrt((k + 1) * 0.5L) * c[k];
  }
  for (int32_t j = 0; j <= n; ++j)
    d[j] = static_cast<long double>(d[j]) * beta;
}

// The integral of psi_k over the line is 0 for odd k; for even k it is I_k = sqrt(2 sqrt(pi))
// times the product of sqrt((j - 1) / j) over even j <= k (from psi_k(0) and the Fourier
// transform, which maps psi_k to (-i)^k psi_k).
long double integrateHermite(double, double, double, double beta, const double* c, int32_t n) {
  if (n <= 0) return 0.0L;
  long double integral = std::sqrt(3.544907701811032L);
  long double sum = c[0] * integral;
  for (int64_t k = 2; k < n; k += 2) {
    integral *= std::sqrt(static_cast<long double>(k - 1) / k);
    sum += c[k] * integral;
  }
  return sum / beta;
}

}  // namespace

void hermiteFunctions(int32_t n, double t, double* out) {
  if (n <= 0) return;
  HermiteRecurrence(n).values(n, t, out);
}

// The roots of psi_M, marched outwards from 0 along psi'' = -(2M + 1 - t^2) psi. The start
// values come from the closed forms psi_M(0)^2 = Gamma(M/2 + 1/2) / (Gamma(M/2 + 1) pi) (even M)
// and psi_M'(0)^2 = 2M Gamma(M/2) / (Gamma(M/2 + 1/2) pi) (odd M), each a gamma ratio. At a
// root psi_M' = sqrt(2M) psi_{M-1}, so the weight 1 / (M psi_{M-1}^2) is 2 / psi_M'^2.
void gaussHermite(double* nodes, double* weights, int32_t m) {
  if (m <= 0) return;
  const int32_t k = m / 2;
  const int32_t first = m % 2;
  const long double half = m / 2.0L;
  MarchStart start{0.0L, 0.0L, 0.0L, first == 1};
  if (first) {
    start.du = std::sqrt(2.0L * m * gammaRatio(half, 0.0L, 0.5L) / piL);
    nodes[0] = 0.0;
    weights[0] = static_cast<double>(2 / (start.du * start.du));
  } else {
    start.u = std::sqrt(gammaRatio(half, 0.5L, 1.0L) / piL);
  }
  const RootOde ode{{1, 0, 0}, {0, 0, 0}, {2.0L * m + 1, 0, -1}};
  const std::vector<MarchedRoot> roots = marchRoots(ode, start, 1, k);
  for (size_t i = 0; i < roots.size(); ++i) {
    const long double d = roots[i].derivative;
    nodes[first + i] = static_cast<double>(roots[i].x);
    weights[first + i] = static_cast<double>(2 / (d * d));
  }
}

const BasisOps hermiteBasis = {fitHermite,        evaluateHermite,
                               quadratureHermite, differentiateHermite,
                               integrateHermite,  evaluateEach<evaluateHermite>};
