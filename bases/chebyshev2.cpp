#include "bases/chebyshev2.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "bases/fit_start.h"
#include "bases/interval_map.h"

namespace {

// Node cache: nodes and weights for the count they were built for.
struct NodeCache {
  int32_t m = 0;
  std::vector<double> t;
  std::vector<double> w;
};
NodeCache cache;

// The key is set only once the tables are had, so a failed allocation leaves no stale key.
void rebuildCache(int32_t m) {
  cache.m = -1;
  cache.t.assign(m, 0.0);
  cache.w.assign(m, 0.0);
  gaussChebyshev2(cache.t.data(), cache.w.data(), m);
  cache.m = m;
}

// Squared norm of every U_k under the weight sqrt(1 - t t).
constexpr double squaredNorm = 1.5707963267948966;

long double fitChebyshev2(double left, double right, double&, double&, double* c, int32_t n,
                          double* meshX, double* sourceValues, double* seriesValues, int32_t m,
                          const SourceFn& source, int32_t mode) {
  m = std::max(m, 0);  // a negative count is an empty mesh
  const IntervalMap map = mapInterval(left, right);
  if (m != cache.m) rebuildCache(m);
  const double* t = cache.t.data();
  const double* w = cache.w.data();

  for (int32_t i = 0; i < m; ++i)
    meshX[i] = toAbscissa(map, t[i]);

  long double figure = 0.0L;
  if (mode & fitCoefficients) {
    startFit(source, meshX, sourceValues, m, c, n);
    long double energy = 0.0L;
    // u U_j(t_i) carried along the recurrence and added to c[j]; two nodes share each pass
    // (their additions keep the node order).
    for (int32_t i = 0; i < m; i += 2) {
      const int32_t i2 = std::min(i + 1, m - 1);
      const bool pair = i2 != i;
      const double u = static_cast<long double>(sourceValues[i]) * w[i];
      const double u2 =
          pair ? static_cast<double>(static_cast<long double>(sourceValues[i2]) * w[i2]) : 0.0;
      energy += static_cast<long double>(sourceValues[i]) * u;
      if (pair) energy += static_cast<long double>(sourceValues[i2]) * u2;
      if (n > 0) c[0] += u, c[0] += u2;
      const long double f = 2.0 * t[i], f2 = 2.0 * t[i2];
      double previous = 0.0, current = u, previous2 = 0.0, current2 = u2;
      for (int32_t j = 1; j < n; ++j) {
        const double next = f * current - previous;
        const double next2 = f2 * current2 - previous2;
        previous = current, current = next;
        previous2 = current2, current2 = next2;
        c[j] += next;
        c[j] += next2;
      }
    }
    long double captured = 0.0L;
    for (int32_t j = 0; j < n; ++j) {
      c[j] = c[j] / squaredNorm;
      captured += static_cast<long double>(c[j]) * c[j] * pi / 2;
    }
    if (energy != 0) figure = 1 - captured / energy;
  }

  if (mode & evaluateOnMesh) {
    // Two Clenshaw sums side by side, one per node, each as chebyshev2Series.
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
      seriesValues[i] = n > 0 ? static_cast<long double>(f) * b1 - b2 + c0 : 0.0L;
      seriesValues[i + 1] = n > 0 ? static_cast<long double>(f2) * d1 - d2 + c0 : 0.0L;
    }
    if (m % 2 != 0) seriesValues[m - 1] = static_cast<double>(chebyshev2Series(c, n, t[m - 1]));
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

const BasisOps chebyshev2Basis = {fitChebyshev2, evaluateChebyshev2, quadratureChebyshev2,
                                  differentiateChebyshev2, integrateChebyshev2};
