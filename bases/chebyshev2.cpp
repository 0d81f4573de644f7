#include "bases/chebyshev2.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "bases/fftw_plan.h"
#include "bases/fit_start.h"
#include "bases/interval_map.h"

namespace {

// Node cache: nodes, weights and sin(theta_k) for the count they were built for, and the DST-I
// of that count.
struct NodeCache {
  int32_t m = 0;
  std::vector<double> t;
  std::vector<double> w;
  std::vector<double> sine;  // sin((k + 1) pi / (M + 1)), the sine of node k's angle
  FftwPlan dst;              // real FFT of 2 (M + 1) points, run as a DST-I (see sineTransform)
};
NodeCache cache;

// Built in locals and published whole, so a failure leaves the old cache as it was.
void rebuildCache(int32_t m) {
  NodeCache fresh;
  fresh.m = m;
  fresh.t.assign(m, 0.0);
  fresh.w.assign(m, 0.0);
  gaussChebyshev2(fresh.t.data(), fresh.w.data(), m);
  if (m >= smallestTransformCount) {
    fresh.sine.resize(m);
    const long double step = static_cast<long double>(pi) / (m + 1.0L);
    for (int32_t k = 0; k < m; ++k)
      fresh.sine[k] = static_cast<double>(sinl((k + 1) * step));
    fresh.dst = makeForwardPlan(2 * (m + 1));
  }
  cache = std::move(fresh);
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
constexpr double squaredNorm = 1.5707963267948966;

// c[j] gathers u U_j(t_i) carried along the recurrence; two nodes share each pass (their
// additions keep the node order). Returns the weighted sum of f^2.
long double directCoefficients(const double* t, const double* w, const double* f, double* c,
                               int32_t n, int32_t m) {
  long double energy = 0.0L;
  for (int32_t i = 0; i < m; i += 2) {
    const int32_t i2 = std::min(i + 1, m - 1);
    const bool pair = i2 != i;
    const double u = static_cast<long double>(f[i]) * w[i];
    const double u2 = pair ? static_cast<double>(static_cast<long double>(f[i2]) * w[i2]) : 0.0;
    energy += static_cast<long double>(f[i]) * u;
    if (pair) energy += static_cast<long double>(f[i2]) * u2;
    if (n > 0) c[0] += u, c[0] += u2;
    const long double g = 2.0 * t[i], g2 = 2.0 * t[i2];
    double previous = 0.0, current = u, previous2 = 0.0, current2 = u2;
    for (int32_t j = 1; j < n; ++j) {
      const double next = g * current - previous;
      const double next2 = g2 * current2 - previous2;
      previous = current, current = next;
      previous2 = current2, current2 = next2;
      c[j] += next;
      c[j] += next2;
    }
  }
  for (int32_t j = 0; j < n; ++j)
    c[j] = c[j] / squaredNorm;
  return energy;
}

// On the ascending nodes t_k = -cos(theta_k), theta_k = (k + 1) pi / (M + 1),
// U_j(t_k) = (-1)^j sin((j + 1) theta_k) / sin(theta_k), and the weight is
// pi sin(theta_k)^2 / (M + 1): c_j = (-1)^j (2 / (M + 1)) sum f_k sin(theta_k) sin((j + 1)
// theta_k), a DST-I (which doubles it) of f_k sin(theta_k).
long double transformCoefficients(const double* w, const double* sine, const FftwPlan& plan,
                                  const double* f, double* c, int32_t n, int32_t m) {
  long double energy = 0.0L;
  for (int32_t k = 0; k < m; ++k) {
    plan.in[k + 1] = f[k] * sine[k];
    energy +=
        static_cast<long double>(f[k]) * static_cast<double>(static_cast<long double>(f[k]) * w[k]);
  }
  const double* y = sineTransform(plan, m);
  const double scale = -1.0 / (m + 1.0);
  for (int32_t j = 0; j < n; ++j)
    c[j] = (j % 2 ? -scale : scale) * y[2 * j];
  return energy;
}

// Two Clenshaw sums side by side, one per node, each as chebyshev2Series.
void directMeshValues(const double* t, const double* c, int32_t n, double* values, int32_t m) {
  for (int32_t i = 0; i + 1 < m; i += 2) {
    const double f = 2.0 * t[i], f2 = 2.0 * t[i + 1];
    double b1 = 0, b2 = 0, d1 = 0, d2 = 0;
    for (int32_t k = n - 1; k >= 1; --k) {
      const double nb = static_cast<long double>(f) * b1 - b2 + c[k];
      const double nd = static_cast<long double>(f2) * d1 - d2 + c[k];
      b2 = b1, b1 = nb;
      d2 = d1, d1 = nd;
    }
    const double c0 = n > 0 ? c[0] : 0.0;
    values[i] = n > 0 ? static_cast<long double>(f) * b1 - b2 + c0 : 0.0L;
    values[i + 1] = n > 0 ? static_cast<long double>(f2) * d1 - d2 + c0 : 0.0L;
  }
  if (m % 2 != 0) values[m - 1] = static_cast<double>(chebyshev2Series(c, n, t[m - 1]));
}

// S(t_k) sin(theta_k) = sum (-1)^j c_j sin((j + 1) theta_k): a DST-I of the signed
// coefficients, halved (fed negated, since sineTransform hands its result back negated); the
// degrees from N up are 0.
void transformMeshValues(const double* sine, const FftwPlan& plan, const double* c, int32_t n,
                         double* values, int32_t m) {
  for (int32_t j = 0; j < n; ++j)
    plan.in[j + 1] = (j % 2 ? 0.5 : -0.5) * c[j];
  std::fill(plan.in + n + 1, plan.in + m + 1, 0.0);
  const double* y = sineTransform(plan, m);
  for (int32_t k = 0; k < m; ++k)
    values[k] = y[2 * k] / sine[k];
}

long double fitChebyshev2(double left, double right, double&, double&, double* c, int32_t n,
                          double* meshX, double* sourceValues, double* seriesValues, int32_t m,
                          const SourceFn& source, int32_t mode) {
  m = std::max(m, 0);  // a negative count is an empty mesh
  const IntervalMap map = mapInterval(left, right);
  if (m != cache.m) rebuildCache(m);
  const double* t = cache.t.data();
  const double* w = cache.w.data();
  const bool transform = transformPays(m, n);

  for (int32_t i = 0; i < m; ++i)
    meshX[i] = toAbscissa(map, t[i]);

  long double figure = 0.0L;
  if (mode & fitCoefficients) {
    startFit(source, meshX, sourceValues, m, c, n);
    const long double energy =
        transform ? transformCoefficients(w, cache.sine.data(), cache.dst, sourceValues, c, n, m)
                  : directCoefficients(t, w, sourceValues, c, n, m);
    long double captured = 0.0L;
    for (int32_t j = 0; j < n; ++j)
      captured += static_cast<long double>(c[j]) * c[j] * pi / 2;
    if (energy != 0) figure = 1 - captured / energy;
  }

  if (mode & evaluateOnMesh) {
    if (transform)
      transformMeshValues(cache.sine.data(), cache.dst, c, n, seriesValues, m);
    else
      directMeshValues(t, c, n, seriesValues, m);
  }
  return figure;
}

long double evaluateChebyshev2(double left, double right, double, double, const double* c,
                               int32_t n, double x) {
  if (n <= 0) return 0.0L;
  return chebyshev2Series(c, n, toUnit(left, right, x));
}

void quadratureChebyshev2(double* nodes, double* weights, int32_t m, double, double) {
  gaussChebyshev2(nodes, weights, m);
}

// U_n' = 2 (n U_{n-1} + (n - 2) U_{n-3} + ...), from U_n = 2 (T_n + T_{n-2} + ...) (the T_0
// term once) and T_j' = j U_{j-1}. So d[k] = 2 (k + 1) (c[k+1] + c[k+3] + ...), times dt/dx.
void differentiateChebyshev2(double left, double right, double, double, const double* c, double* d,
                             int32_t n) {
  if (n <= 0) return;
  const double con = 2.0L / (static_cast<long double>(right) - left);
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

// The weight of node cos(theta) is pi sin(theta)^2 / (M + 1), taken from the sine itself: a
// form through 1 - v v with the rounded node v loses the low bits of the outer weights.
void gaussChebyshev2(double* nodes, double* weights, int32_t m) {
  if (m <= 0) return;
  const long double step = static_cast<long double>(pi) / (m + 1.0L);
  for (int32_t i = 1; i <= m / 2; ++i) {
    const long double theta = i * step;
    const double v = static_cast<double>(cosl(theta));
    const long double s = sinl(theta);
    nodes[m - i] = v;
    nodes[i - 1] = -v;
    weights[i - 1] = weights[m - i] = static_cast<double>(pi * s * s / (m + 1.0L));
  }
  if (m % 2 != 0) nodes[m / 2] = 0.0, weights[m / 2] = static_cast<double>(pi / (m + 1.0L));
}

long double chebyshev2Series(const double* c, int32_t n, double t) {
  if (n <= 0) return 0.0L;
  const double f = 2.0 * t;
  double b1 = 0, b2 = 0;
  for (int32_t k = n - 1; k >= 1; --k) {
    const double nb = static_cast<long double>(f) * b1 - b2 + c[k];
    b2 = b1;
    b1 = nb;
  }
  return static_cast<long double>(f) * b1 - b2 + c[0];
}

const BasisOps chebyshev2Basis = {fitChebyshev2,        evaluateChebyshev2,
                                  quadratureChebyshev2, differentiateChebyshev2,
                                  integrateChebyshev2,  evaluateEach<evaluateChebyshev2>};
