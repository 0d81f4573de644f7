#include "bases/chebyshev2.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

#include "bases/chebyshev2_lanes.h"
#include "bases/chirp_transform.h"
#include "bases/fftw_plan.h"
#include "bases/fit_driver.h"
#include "bases/interval_map.h"
#include "bases/node_cache.h"
#include "bases/quadrature_fit.h"

namespace {

thread_local NodeCache<GaussNodes> ruleCache;  // keyed on M

// For the transforms: sin(theta_k) of every node and the DST-I of the count, by FFTW where the
// length 2 (M + 1) has small prime factors, on the chirp route otherwise.
struct SineTransform {
  std::vector<double> sine;  // sin((k + 1) pi / (M + 1)), the sine of node k's angle
  bool chirped = false;      // the DST-I comes from chirpCache
  FftwPlan dst;              // real FFT of 2 (M + 1) points, run as a DST-I (see sineTransform)
};
thread_local NodeCache<SineTransform> transformCache;  // keyed on M

// The DST-I on the chirp route: the sums over k' < M + 1 of x_k' w^(j' k') with
// w = e^(i pi / (M + 1)), whose imaginary parts are the sine sums, for j' up to N.
struct SineChirp {
  ChirpTransform chirp;
  mutable std::vector<double> reals;                // x_k' (analysis) or y_k' (synthesis)
  mutable std::vector<std::complex<double>> terms;  // X_j' (analysis) or Z_j' (synthesis)
};
thread_local NodeCache<SineChirp> chirpCache;  // keyed on M, serving every N up to its frequencies

const SineChirp& sineChirp(int32_t m, int32_t n) {
  const int32_t frequencies = n + 1;
  const auto covers = [m, frequencies](const CacheKey& held, const SineChirp& t) {
    return held.count == m && t.chirp.frequencies >= frequencies;
  };
  const auto build = [m, frequencies] {
    SineChirp fresh;
    fresh.chirp = makeChirpTransform(m + 1, frequencies, 1, m + 1);
    fresh.reals.resize(m + 1);
    fresh.terms.resize(frequencies);
    return fresh;
  };
  return chirpCache.covering({m}, covers, build);
}

SineTransform makeSineTransform(int32_t m) {
  SineTransform fresh;
  fresh.sine.resize(m);
  const long double step = piLong / (m + 1.0L);
  for (int32_t k = 0; k < m; ++k)
    fresh.sine[k] = static_cast<double>(sinl((k + 1) * step));
  fresh.chirped = chirpPays(2 * (m + 1));
  if (!fresh.chirped) fresh.dst = makeForwardPlan(2 * (m + 1));
  return fresh;
}

// The DST-I y_j = 2 sum_k x_k sin((j + 1)(k + 1) pi / (M + 1)) of x_k = plan.in[k + 1]: the
// odd extension (0, x, 0, -x reversed) has the FFT entry j + 1 equal to -i y_j. FFTW's own DST-I
// of these counts (M + 1 with large prime factors) runs three times slower than this route.
// Returns where y_j is found: at the returned pointer's [2 j], negated.
const double* sineTransform(const FftwPlan& plan, int32_t m) {
  plan.in[0] = 0.0;
  plan.in[m + 1] = 0.0;
  for (int32_t k = 0; k < m; ++k)
    plan.in[2 * m + 1 - k] = -plan.in[k + 1];
  plan.run();
  return plan.out + 3;  // the imaginary part of entry 1
}

// Squared norm of every U_k under the weight sqrt(1 - t t).
constexpr double squaredNormU = pi / 2;

// On the ascending nodes t_k = -cos(theta_k), theta_k = (k + 1) pi / (M + 1),
// U_j(t_k) = (-1)^j sin((j + 1) theta_k) / sin(theta_k), and the weight is
// pi sin(theta_k)^2 / (M + 1): sum_k w_k f_k U_j(t_k) = (-1)^j (pi / (M + 1)) sum f_k
// sin(theta_k) sin((j + 1) theta_k), a DST-I (which doubles it) of f_k sin(theta_k).
void transformSums(const SineTransform& cache, const double* f, double* sums, int32_t n,
                   int32_t m) {
  if (cache.chirped) {
    const SineChirp& t = sineChirp(m, n);
    t.reals[0] = 0.0;
    for (int32_t k = 0; k < m; ++k)
      t.reals[k + 1] = f[k] * cache.sine[k];
    chirpAnalysis(t.chirp, t.reals.data(), t.terms.data());
    const double scale = pi / (m + 1.0);
    for (int32_t j = 0; j < n; ++j)
      sums[j] = (j % 2 ? -scale : scale) * t.terms[j + 1].imag();
    return;
  }
  const FftwPlan& plan = cache.dst;
  for (int32_t k = 0; k < m; ++k)
    plan.in[k + 1] = f[k] * cache.sine[k];
  const double* y = sineTransform(plan, m);
  const double scale = -pi / (2.0 * (m + 1.0));
  for (int32_t j = 0; j < n; ++j)
    sums[j] = (j % 2 ? -scale : scale) * y[2 * j];
}

// The series as a cosine sum: U_j = 2 (T_j + T_{j-2} + ...) less 1 for even j, so
// S = sum a_i T_i with a_i = 2 (c_i + c_{i+2} + ...) and a_0 = c_0 + c_2 + ..., and on the
// ascending nodes T_i(t_k) = (-1)^i cos(i theta_k). Summed this way nothing is divided by
// sin(theta_k), whose smallness near the ends would magnify the transform's rounding up to
// M / pi times (1750 eps at the end nodes for M = 10^4). The cosine sums come from the same
// real FFT of 2 (M + 1) points, fed the even extension, or from the chirp's synthesis.
void transformMeshValues(const SineTransform& cache, const double* c, int32_t n, double* values,
                         int32_t m) {
  std::vector<double> a(n);
  long double even = 0, odd = 0;
  for (int32_t i = n - 1; i >= 0; --i) {
    long double& same = i % 2 ? odd : even;
    same += c[i];
    a[i] = static_cast<double>(i == 0 ? same : i % 2 ? -2 * same : 2 * same);
  }
  if (cache.chirped) {
    const SineChirp& t = sineChirp(m, n);
    std::fill(t.terms.begin(), t.terms.end(), std::complex<double>());
    for (int32_t i = 0; i < n; ++i)
      t.terms[i] = a[i];
    chirpSynthesis(t.chirp, t.terms.data(), t.reals.data());
    for (int32_t k = 0; k < m; ++k)
      values[k] = t.reals[k + 1];
    return;
  }
  // The real FFT of e_0 = a_0, e_i = e_{2(M+1)-i} = a_i / 2 has the real part
  // sum a_i cos(i pi k' / (M + 1)) at entry k'.
  const FftwPlan& plan = cache.dst;
  const int32_t length = 2 * (m + 1);
  std::fill(plan.in, plan.in + length, 0.0);
  plan.in[0] = a[0];
  for (int32_t i = 1; i < n; ++i)
    plan.in[i] = plan.in[length - i] = a[i] / 2;
  plan.run();
  for (int32_t k = 0; k < m; ++k)
    values[k] = plan.out[2 * (k + 1)];
}

// The transforms where they pay, otherwise the recurrence.
struct Chebyshev2Series {
  int32_t m = 0, n = 0;
  const SineTransform* transform = nullptr;  // null: the recurrence
  ThreeTermRecurrence p{0};

  const GaussNodes& settle(int32_t points, int32_t terms, double, double) {
    m = points;
    n = terms;
    const GaussNodes& rule = ruleCache.at({m}, [points] {
      return makeGaussNodes(points,
                            [points](double* t, double* w) { gaussChebyshev2(t, w, points); });
    });
    p = chebyshevRecurrence(n, 2.0);
    if (transformPays(m, n))
      transform = &transformCache.at({m}, [points] { return makeSineTransform(points); });
    return rule;
  }
  long double sums(const GaussNodes& rule, const double* f, double* sums) const {
    if (!transform) return gaussSumsByRecurrence(rule, p, f, sums, n);
    const long double energy = weightedEnergy(rule, f, nullptr);
    if (n > 0) transformSums(*transform, f, sums, n, m);
    return energy;
  }
  // Where the fit takes the sine transform, each row takes it too.
  void manySums(const GaussNodes& rule, const double* f, int64_t spectra, double* sums) const {
    if (transform) {
      for (int64_t j = 0; j < spectra; ++j)
        if (n > 0) transformSums(*transform, f + j * m, sums + j * n, n, m);
      return;
    }
    std::vector<double> u(static_cast<size_t>(spectra) * rule.t.size());
    gaussManySumsByRecurrence(rule, p, f, spectra, u.data(), sums, n);
  }
  static double squaredNorm(int32_t) { return squaredNormU; }
  void sum(const GaussNodes& rule, const double* c, double* values) const {
    if (transform)
      transformMeshValues(*transform, c, n, values, m);
    else
      sumAtNodesByRecurrence(rule, p, c, n, values);
  }
};

void evaluateManyChebyshev2(double left, double right, double, double, const double* c, int32_t n,
                            const double* x, double* values, int32_t count) {
  evaluateByRecurrence(left, right, chebyshevRecurrence(n, 2.0), c, n, x, values, count);
}

long double evaluateChebyshev2(double left, double right, double alpha, double beta,
                               const double* c, int32_t n, double x) {
  double value = 0.0;
  evaluateManyChebyshev2(left, right, alpha, beta, c, n, &x, &value, 1);
  return value;
}

void quadratureChebyshev2(double* nodes, double* weights, int32_t m, double, double) {
  gaussChebyshev2(nodes, weights, m);
}

// U_n' = 2 (n U_{n-1} + (n - 2) U_{n-3} + ...), from U_n = 2 (T_n + T_{n-2} + ...) (the T_0
// term once) and T_j' = j U_{j-1}. So d[k] = 2 (k + 1) (c[k+1] + c[k+3] + ...), times dt/dx.
void differentiateChebyshev2(double left, double right, double, double, const double* c, double* d,
                             int32_t n) {
  if (n <= 0) return;
  const double con = unitPerAbscissa(left, right);
  long double oddTail = 0.0L, evenTail = 0.0L;  // c[k+1] + c[k+3] + ... for k odd / even
  d[n - 1] = 0.0;
  for (int32_t k = n - 2; k >= 0; --k) {
    long double& tail = k % 2 ? oddTail : evenTail;
    tail += c[k + 1];
    d[k] = static_cast<double>(2.0L * (k + 1) * tail * con);
  }
}

// The integral of U_k over [-1, 1] is 2 / (k + 1) for even k and 0 for odd k.
long double integrateChebyshev2(double left, double right, double, double, const double* c,
                                int32_t n) {
  long double acc = 0.0L;
  for (int32_t k = 0; k < n; k += 2)
    acc += c[k] / (k + 1.0L);
  return (static_cast<long double>(right) - left) * acc;
}

}  // namespace

// From the closed form, in vectors (bases/chebyshev2_lanes.cpp).
void gaussChebyshev2(double* nodes, double* weights, int32_t m) {
  chebyshev2NodesLanes(m, nodes, weights);
}

constinit const BasisOps chebyshev2Basis = withSquaredNorm(
    withProjectMany<GaussSteps<Chebyshev2Series>>(basisWithSteps<GaussSteps<Chebyshev2Series>>(
        evaluateChebyshev2, quadratureChebyshev2, differentiateChebyshev2, integrateChebyshev2,
        evaluateManyChebyshev2)),
    [](int32_t, double, double, int32_t) { return squaredNormU; });
