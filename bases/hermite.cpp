#include "bases/hermite.h"

#include <cmath>
#include <vector>

#include "bases/fit_start.h"
#include "bases/interval_map.h"

namespace {

constexpr double piToMinusHalf = 0.5641895835477563;
constexpr long double ln2 = 0.693147180559945309417232121458176568L;
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
// Gaussian factor is applied once at the end as exp(E ln 2 - t t / 2). Scaling by a power of
// two is exact, so splitting only when the mantissa leaves [2^-64, 2^64] gives the same bits
// as splitting after every step.
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

// Coefficients of the descending recurrence: step j uses rise[j] = sqrt(2) / sqrt(j) and
// fall[j] = sqrt(j) / sqrt(j + 1). Tabulated once per root search instead of per evaluation.
struct DescendingRecurrence {
  std::vector<long double> rise, fall;
  explicit DescendingRecurrence(int32_t n) : rise(n + 1), fall(n + 1) {
    const double sqrt2 = std::sqrt(2.0);
    for (int32_t j = 1; j <= n; ++j) {
      const double s = std::sqrt(static_cast<double>(j));
      rise[j] = sqrt2 / static_cast<long double>(s);
      fall[j] = s / static_cast<long double>(std::sqrt(static_cast<double>(j) + 1));
    }
  }
  long double value(int32_t n, double t) const {
    SplitValue v{std::sqrt(piToMinusHalf), 0.0, 0};
    for (int32_t j = n; j >= 1; --j) {
      const double next = rise[j] * t * v.p - fall[j] * v.q;
      v.q = v.p;
      v.p = next;
      splitIfFar(v);
    }
    split(v);
    return std::exp(ln2 * v.exponent - 0.5L * t * t) * v.p;
  }
};

// Largest number of steps of each root-finding phase; every phase normally ends far sooner.
constexpr int32_t newtonSteps = 100;
constexpr int32_t falsePositionSteps = 100;
constexpr int32_t bisectionSteps = 200;

inline bool strictlyInside(double m, double a, double b) {
  return a < b ? (a < m && m < b) : (b < m && m < a);
}

long double fitHermite(double left, double right, double&, double& beta, double* c, int32_t n,
                       double* meshX, double* sourceValues, double* seriesValues, int32_t m,
                       const SourceFn& source, int32_t mode) {
  if (m <= 0) return 0.0L;  // no mesh to lay
  const IntervalMap map = mapInterval(left, right);
  const int32_t k = m / 2;
  const int32_t first = m % 2;  // 1 when the middle root 0 leads the node arrays

  bool rebuilt = false;
  if (m != cache.m) {
    cache.m = m;
    cache.nodes.assign(k + first, 0.0);
    cache.weights.assign(k + first, 0.0);
    gaussHermite(cache.nodes.data(), cache.weights.data(), m);
    rebuilt = true;
  }
  const bool tableFits = static_cast<int64_t>(k + first) * n <= tableLimit;
  if (rebuilt && !tableFits) {
    cache.termCount = 0;
    cache.table.clear();
    cache.table.shrink_to_fit();
  }
  if (tableFits && (rebuilt || n > cache.termCount)) {
    cache.termCount = n;
    cache.table.assign(static_cast<size_t>(k + first) * n, 0.0);
    for (int32_t i = 0; i < k + first; ++i)
      hermiteFunctions(n, cache.nodes[i], &cache.table[static_cast<size_t>(i) * n]);
  }
  const double* z = cache.nodes.data() + first;  // positive roots
  const double* w = cache.weights.data() + first;
  const size_t stride = cache.termCount;
  const bool cached = cache.termCount >= n;
  std::vector<double> scratch(cached ? 0 : n);
  // psi_0 .. psi_{N-1} at the positive root i (i = -1: the middle root 0).
  auto row = [&](int32_t i) -> const double* {
    if (cached) return &cache.table[(first + i) * stride];
    hermiteFunctions(n, cache.nodes[first + i], scratch.data());
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
    for (int32_t i = 0; i < k; ++i) {
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
    for (int32_t i = 0; i < k; ++i) {
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

long double hermiteValue(int32_t n, double t) {
  const double sqrt2 = std::sqrt(2.0);
  SplitValue v{std::sqrt(piToMinusHalf), 0.0, 0};
  double sPrevious = std::sqrt(static_cast<double>(n) + 1);
  for (int32_t j = n; j >= 1; --j) {
    const double s = std::sqrt(static_cast<double>(j));
    const double next = sqrt2 / static_cast<long double>(s) * t * v.p -
                        s / static_cast<long double>(sPrevious) * v.q;
    sPrevious = s;
    v.q = v.p;
    v.p = next;
    splitIfFar(v);
  }
  split(v);
  return std::exp(ln2 * v.exponent - 0.5L * t * t) * v.p;
}

void hermiteFunctions(int32_t n, double t, double* out) {
  if (n <= 0) return;
  const double l = std::log(2.0);
  const double g = -0.5 * t * t;
  const double s = std::sqrt(2.0);
  SplitValue v{std::sqrt(piToMinusHalf), 0.0, 0};
  double rPrevious = 0.0;
  out[0] = std::exp(g) * v.p;
  for (int32_t k = 1; k < n; ++k) {
    const double r = std::sqrt(static_cast<double>(k));
    const double next =
        s / static_cast<long double>(r) * t * v.p - rPrevious / static_cast<long double>(r) * v.q;
    rPrevious = r;
    v.q = v.p;
    v.p = next;
    split(v);
    out[k] = std::exp(static_cast<long double>(v.exponent) * l + g) * v.p;
  }
}

// The roots of psi_M from the smallest upward. Each search starts from an asymptotic guess
// (the first two roots) or a linear extrapolation of the two previous roots, runs Newton until
// two iterates bracket the root, then narrows the bracket by false position and finally by
// bisection down to neighbouring doubles. Every phase has a step bound; a step that leaves the
// bracket hands over to the next phase, so the search always ends inside its bracket.
void gaussHermite(double* nodes, double* weights, int32_t m) {
  if (m <= 0) return;
  const int32_t k = m / 2;
  const int32_t first = m % 2;
  const DescendingRecurrence recurrence(m);
  auto psiM = [&](double t) { return recurrence.value(m, t); };
  auto psiBelow = [&](double t) { return recurrence.value(m - 1, t); };
  const long double derivativeScale = std::sqrt(2.0L * m);

  if (first) {
    const long double q = psiBelow(0.0);
    nodes[0] = 0.0;
    weights[0] = 1 / (m * q * q);
  }
  double* roots = nodes + first;
  double* rootWeights = weights + first;
  double z = 0.0;
  for (int32_t i = 0; i < k; ++i) {
    if (first) {
      // Odd M: the roots near 0 lie close to j pi / sqrt(2M + 1); the middle root 0 serves
      // as the root before the first.
      if (i == 0)
        z = pi / std::sqrt(2.0 * m + 1);
      else
        z = (z - (i >= 2 ? roots[i - 2] : 0.0)) + z;
    } else if (i == 0) {
      z = std::sqrt(1.27 / (2.4 * k + 0.1));
    } else if (i == 1) {
      z = std::sqrt(11.875 / (2.5 * k + 0.55) + z * z);
    } else {
      z = (z - roots[i - 2]) + z;
    }

    double a = z, b = z;
    long double fa = psiM(a), fb = fa;
    for (int32_t step = 0; step < newtonSteps; ++step) {
      b = a;
      fb = fa;
      const double slope = derivativeScale * psiBelow(b) - b * fb;
      const double next = b - fb / slope;
      if (!std::isfinite(next)) break;
      a = next;
      fa = psiM(a);
      if (!(fb * fa > 0 && fb != fa)) break;
    }
    z = a;
    for (int32_t step = 0; step < falsePositionSteps && fb * fa < 0; ++step) {
      const double mid = (b * fa - a * fb) / (fa - fb);
      if (!strictlyInside(mid, a, b)) break;
      z = mid;
      const long double fm = psiM(mid);
      if (fb * fm < 0)
        a = mid, fa = fm;
      else
        b = mid, fb = fm;
    }
    for (int32_t step = 0; step < bisectionSteps && fb * fa < 0; ++step) {
      const double mid = (b + a) * 0.5;
      z = mid;
      if (!strictlyInside(mid, a, b)) break;
      const long double fm = psiM(mid);
      if (fb * fm < 0)
        a = mid, fa = fm;
      else
        b = mid, fb = fm;
    }
    roots[i] = z;
    const long double q = psiBelow(z);
    rootWeights[i] = 1 / (m * q * q);
  }
}

const BasisOps hermiteBasis = {fitHermite, evaluateHermite, quadratureHermite, differentiateHermite,
                               integrateHermite};
