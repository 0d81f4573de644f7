#include "bases/hermite.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "bases/fit_driver.h"
#include "bases/function_recurrence_lanes.h"
#include "bases/gamma_ratio.h"
#include "bases/interval_map.h"
#include "bases/node_cache.h"
#include "bases/ode_root_marching.h"
#include "bases/progress_blocks.h"
#include "bases/quarter_phase.h"
#include "bases/table_product_lanes.h"

namespace {

constexpr double piToMinusHalf = 0.5641895835477563;
constexpr long double log2e = 1.442695040888963407359924681001892137L;

// The per-degree coefficients of psi_k = rise_k t psi_{k-1} - fall_k psi_{k-2}, rise_k =
// sqrt(2 / k), fall_k = sqrt((k-1) / k): they do not depend on N, so a table of more degrees
// serves fewer.
struct Steps {
  std::vector<double> rise, fall;
};
thread_local NodeCache<Steps> stepCache;  // keyed on the degrees it holds

const Steps& stepsFor(int32_t n) {
  const int32_t count = std::max(n, 1);
  const auto covers = [count](const CacheKey& held, const Steps&) { return held.count >= count; };
  return stepCache.covering({count}, covers, [count] {
    Steps fresh{std::vector<double>(count, 0.0), std::vector<double>(count, 0.0)};
    for (int32_t k = 1; k < count; ++k) {
      fresh.rise[k] = static_cast<double>(std::sqrt(2.0L / k));
      fresh.fall[k] = static_cast<double>(std::sqrt((k - 1.0L) / k));
    }
    return fresh;
  });
}

// Appends t with the Gaussian factor exp(-t t / 2) split as mantissa 2^exponent (its log2 in
// long double, so that the factor of a far t keeps its last digits). Where even the exponent
// would leave every range (or t is not a number) the lane runs at t = 0 with a factor of 0
// (or NaN).
void addGaussian(FactoredAbscissae& points, double t) {
  const long double power = -0.5L * t * t * log2e;
  if (!(power > -0x1p40L)) {
    points.add(0.0, std::isnan(t) ? t : 0.0, 0);
    return;
  }
  const long double whole = std::floor(power);
  points.add(t, static_cast<double>(std::exp2(power - whole)), static_cast<int64_t>(whole));
}

// The non-negative roots of psi_M (for odd M the middle root 0 comes first) with their weights
// and Gaussian factors.
struct HermiteNodes {
  std::vector<double> weights;
  FactoredAbscissae factored;  // the nodes with their factors
};
thread_local NodeCache<HermiteNodes> nodeCache;  // keyed on M

HermiteNodes makeNodes(int32_t m) {
  const int32_t size = m / 2 + m % 2;
  std::vector<double> nodes(size, 0.0);
  HermiteNodes fresh{std::vector<double>(size, 0.0), {}};
  gaussHermite(nodes.data(), fresh.weights.data(), m);
  for (double z : nodes)
    addGaussian(fresh.factored, z);
  return fresh;
}

// Past sqrt(2N + 1) every psi_j, j < N, is beyond its turning point and decays in t.
double decayingBeyond(int32_t n) {
  return std::sqrt(2.0 * n + 1);
}

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
  const std::vector<double>& rise;
  const std::vector<double>& fall;
  explicit HermiteRecurrence(int32_t n) : rise(stepsFor(n).rise), fall(stepsFor(n).fall) {}
  // psi_0(t) .. psi_{n-1}(t) into out, n at most the count the recurrence was made for.
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

// psi_j(-t) = (-1)^j psi_j(t): the mesh is the nodes mirrored about mid, and a node and its
// mirror share one pass of the recurrence.
struct HermiteFitSteps {
  static constexpr FitRules rules = FitRules::figure;
  IntervalMap map;
  int32_t m = 0, n = 0, k = 0;
  int32_t first = 0;  // 1 when the middle root 0 leads the node arrays
  double beta = 0;
  const HermiteNodes* nodes = nullptr;
  const double* z = nullptr;  // positive roots
  const double* w = nullptr;  // their weights
  HermiteSteps kernelSteps{};

  FitSettings settle(double left, double right, double alpha, double scale, int32_t terms,
                     int32_t count) {
    m = count;
    if (m <= 0) return {alpha, scale, m, false};  // no mesh to lay
    n = terms;
    map = mapInterval(left, right);
    k = m / 2;
    first = m % 2;
    const int32_t points = m;
    nodes = &nodeCache.at({m}, [points] { return makeNodes(points); });
    z = nodes->factored.t.data() + first;
    w = nodes->weights.data() + first;
    const Steps& recurrence = stepsFor(n);
    kernelSteps = {recurrence.rise.data(), recurrence.fall.data()};
    beta = scale;
    if (beta <= 0 && k > 0) beta = z[k - 1] / map.half;
    return {alpha, beta, m, true};
  }
  void layMesh(double* meshX) const {
    for (int32_t i = 0; i < k; ++i) {
      meshX[m - k + i] = z[i] / static_cast<long double>(beta) + map.mid;
      meshX[k - 1 - i] = map.mid - z[i] / static_cast<long double>(beta);
    }
    if (first) meshX[k] = map.mid;
  }
  // A node and its mirror fold into one weight per parity; the middle root, where the odd
  // functions vanish, has only the even one.
  long double project(const double* f, double* c) const {
    std::vector<double> even(k + first), odd(k + first);
    long double energy = 0.0L;
    if (first) {
      const double v = f[k];
      even[0] = static_cast<long double>(v) * nodes->weights[0];
      odd[0] = 0.0;
      energy += static_cast<long double>(v) * v * nodes->weights[0];
    }
    for (int32_t i = 0; i < k; ++i) {
      const double vm = f[k - 1 - i];  // at the mirrored node
      const double vp = f[m - k + i];
      odd[first + i] = (static_cast<long double>(vp) - vm) * w[i];
      even[first + i] = (static_cast<long double>(vp) + vm) * w[i];
      energy += (static_cast<long double>(vm) * vm + static_cast<long double>(vp) * vp) * w[i];
    }
    BlockProgress progress(k + first, n);
    hermiteProject(nodes->factored.points(), even.data(), odd.data(), kernelSteps, n,
                   decayingBeyond(n), c, progress);
    return energy;
  }
  // The rows of values (spectra x M) projected together into c (spectra x N), unfolded: the
  // table holds the functions at every node in mesh order, psi_k(-z) = (-1)^k psi_k(z).
  void projectMany(const double* f, int64_t spectra, double* c) const {
    FactoredAbscissae mesh;
    std::vector<double> weight(m);
    const FactoredPoints held = nodes->factored.points();
    auto add = [&](int32_t index, double sign) {
      mesh.add(sign * held.t[index], held.mantissa[index], held.exponent[index]);
      weight[mesh.t.size() - 1] = nodes->weights[index];
    };
    for (int32_t i = k; i-- > 0;)
      add(first + i, -1.0);
    if (first) add(0, 1.0);
    for (int32_t i = 0; i < k; ++i)
      add(first + i, 1.0);
    std::vector<double> u(static_cast<size_t>(spectra) * m);
    for (int64_t j = 0; j < spectra; ++j)
      for (int32_t i = 0; i < m; ++i)
        u[j * m + i] = static_cast<double>(static_cast<long double>(f[j * m + i]) * weight[i]);
    const FactoredPoints points = mesh.points();
    addProductByTables(m, n, u.data(), m, spectra, c,
                       [&](int32_t from, int32_t width, FunctionTable& table) {
                         hermiteTable(points.part(from, width), kernelSteps, table);
                       });
  }
  static double squaredNorm(int32_t) { return 1.0; }
  void sum(const double* c, double* values) const {
    std::vector<double> plus(k + first), minus(k + first);
    BlockProgress progress(k + first, n);
    hermiteSeries(nodes->factored.points(), kernelSteps, c, n, decayingBeyond(n), plus.data(),
                  minus.data(), progress);
    for (int32_t i = 0; i < k; ++i) {
      values[m - k + i] = plus[first + i];
      values[k - 1 - i] = minus[first + i];
    }
    if (first) values[k] = plus[0];
  }
};

long double evaluateHermite(double left, double right, double, double beta, const double* c,
                            int32_t n, double x) {
  if (n <= 0) return 0.0L;
  const double t = (x - mapInterval(left, right).mid) * beta;
  std::vector<double> psi(n);
  hermiteFunctions(n, t, psi.data());
  long double sum = 0.0L;
  for (int32_t j = 0; j < n; ++j)
    sum += static_cast<long double>(c[j]) * psi[j];
  return sum;
}

// The series at many abscissae, t = (x - mid) beta as in evaluateHermite, in lanes.
void evaluateManyHermite(double left, double right, double, double beta, const double* c, int32_t n,
                         const double* x, double* values, int32_t count) {
  if (count <= 0) return;
  FactoredAbscissae points;
  const double mid = mapInterval(left, right).mid;
  for (int32_t i = 0; i < count; ++i)
    addGaussian(points, (x[i] - mid) * beta);
  const Steps& recurrence = stepsFor(n);
  BlockProgress progress(count, n);
  hermiteSeries(points.points(), {recurrence.rise.data(), recurrence.fall.data()}, c, n,
                std::numeric_limits<double>::infinity(), values, nullptr, progress);
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
    start.du = std::sqrt(2.0L * m * gammaRatio(half, 0.0L, 0.5L) / piLong);
    nodes[0] = 0.0;
    weights[0] = static_cast<double>(2 / (start.du * start.du));
  } else {
    start.u = std::sqrt(gammaRatio(half, 0.5L, 1.0L) / piLong);
  }
  const RootOde ode{{1, 0, 0}, {0, 0, 0}, {2.0L * m + 1, 0, -1}};
  const std::vector<MarchedRoot> roots = marchRoots(ode, start, 1, k);
  for (size_t i = 0; i < roots.size(); ++i) {
    const long double d = roots[i].derivative;
    nodes[first + i] = static_cast<double>(roots[i].x);
    weights[first + i] = static_cast<double>(2 / (d * d));
  }
}

namespace {

// The Fourier transform carries each Hermite function into itself, so the power spectrum of a
// Hermite series is its quarter-phase power on the mesh.
void hermiteSpectrum(double left, double right, double& alpha, double& beta, const double* c,
                     int32_t n, double* meshX, int32_t m, std::vector<double>& x,
                     std::vector<double>& y) {
  quarterPhasePower(hermiteBasis, left, right, alpha, beta, c, n, meshX, m, x, y);
}

}  // namespace

constinit const BasisOps hermiteBasis = withSquaredNorm(
    withProjectMany<HermiteFitSteps>(
        basisWithSteps<HermiteFitSteps>(evaluateHermite, quadratureHermite, differentiateHermite,
                                        integrateHermite, evaluateManyHermite, hermiteSpectrum)),
    [](int32_t, double, double, int32_t) { return HermiteFitSteps::squaredNorm(0); });
