#include "bases/chebyshev1.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "bases/fit_start.h"
#include "bases/interval_map.h"

namespace {

// Node cache: the negative half of the Gauss-Chebyshev nodes for the count it was built for.
// An odd count adds the middle node 0, which has no mirrored partner.
struct NodeCache {
  int32_t m = 0;
  std::vector<double> h;  // h[i] = -cos((i + 0.5) pi / M), i < M/2
};
NodeCache cache;

// The key is set only once the table is had, so a failed allocation leaves no stale key.
void rebuildCache(int32_t m) {
  cache.m = -1;
  cache.h.assign(m / 2, 0.0);
  for (int32_t i = 0; i < m / 2; ++i)
    cache.h[i] = -std::cos((i + 0.5) * pi / m);
  cache.m = m;
}

long double fitChebyshev1(double left, double right, double&, double&, double* c, int32_t n,
                          double* meshX, double* sourceValues, double* seriesValues, int32_t m,
                          const SourceFn& source, int32_t mode) {
  m = std::max(m, 0);  // a negative count is an empty mesh
  const IntervalMap map = mapInterval(left, right);
  const int32_t pairs = m / 2;
  const bool hasMiddle = m % 2 != 0;
  if (m != cache.m) rebuildCache(m);
  const std::vector<double>& h = cache.h;

  for (int32_t i = 0; i < pairs; ++i) {
    meshX[i] = toAbscissa(map, h[i]);
    meshX[m - 1 - i] = toAbscissa(map, -h[i]);
  }
  if (hasMiddle) meshX[pairs] = map.mid;

  long double figure = 0.0L;
  if (mode & fitCoefficients) {
    startFit(source, meshX, sourceValues, m, c, n);
    long double energy = 0.0L;
    for (int32_t i = 0; i < pairs; ++i) {
      // The mirrored node enters with the sign (-1)^j of T_j(-t): odd degrees take the
      // difference of the pair, even degrees its sum.
      const double a = sourceValues[i];
      const double b = sourceValues[m - 1 - i];
      const double sum = a + b;
      const double diff = a - b;
      energy += static_cast<long double>(a) * a + static_cast<long double>(b) * b;
      c[0] += sum;
      double previous = h[i];
      double current = 1.0;
      for (int32_t j = 1; j < n; ++j) {
        const double next = 2.0L * h[i] * current - previous;
        previous = current;
        current = next;
        c[j] += static_cast<long double>(j % 2 ? diff : sum) * next;
      }
    }
    if (hasMiddle) {
      // T_j(0) is 1, 0, -1, 0, 1, ... for j = 0, 1, 2, 3, 4, ...
      const double v = sourceValues[pairs];
      energy += static_cast<long double>(v) * v;
      for (int32_t j = 0; j < n; j += 2)
        c[j] += (j % 4 ? -v : v);
    }
    if (m > 0) energy /= m;
    const long double half = m * 0.5L;
    c[0] = c[0] / half;
    long double captured = 0.25L * c[0] * c[0];
    for (int32_t j = 1; j < n; ++j) {
      c[j] = c[j] / half;
      captured += static_cast<long double>(c[j]) * c[j] / 2;
    }
    if (energy != 0) figure = 1 - captured / energy;
  }

  if (mode & evaluateOnMesh) {
    // One pass over the coefficients serves a node and its mirror.
    for (int32_t i = 0; i < pairs; ++i) {
      const double f = 2.0 * h[i];
      const double g = -f;
      double b1 = 0, b2 = 0, m1 = 0, m2 = 0;
      for (int32_t k = n - 1; k >= 1; --k) {
        const double nb = static_cast<long double>(f) * b1 - b2 + c[k];
        b2 = b1;
        b1 = nb;
        const double nm = static_cast<long double>(g) * m1 - m2 + c[k];
        m2 = m1;
        m1 = nm;
      }
      seriesValues[i] = static_cast<long double>(h[i]) * b1 - b2 + 0.5L * c[0];
      seriesValues[m - 1 - i] = static_cast<long double>(-h[i]) * m1 - m2 + 0.5L * c[0];
    }
    if (hasMiddle) seriesValues[pairs] = chebyshevSeries(c, n, 0.0);
  }
  return figure;
}

long double evaluateChebyshev1(double left, double right, double, double, const double* c,
                               int32_t n, double x) {
  if (n <= 0) return 0.0L;
  return chebyshevSeries(c, n, toUnit(left, right, x));
}

void quadratureChebyshev1(double* nodes, double* weights, int32_t m, double, double) {
  gaussChebyshev1(nodes, weights, m);
}

void differentiateChebyshev1(double left, double right, double, double, const double* c, double* d,
                             int32_t n) {
  if (n <= 0) return;
  const double con = 2.0L / (static_cast<long double>(right) - left);
  d[n - 1] = 0.0;
  if (n >= 2) d[n - 2] = (2.0L * n - 2) * c[n - 1];
  for (int32_t j = n - 3; j >= 0; --j)
    d[j] = d[j + 2] + (2.0L * j + 2) * c[j + 1];
  for (int32_t j = 0; j < n; ++j)
    d[j] = static_cast<long double>(d[j]) * con;
}

long double integrateChebyshev1(double left, double right, double, double, const double* c,
                                int32_t n) {
  if (n <= 0) return 0.0L;
  long double acc = 0.5L * c[0];
  for (int64_t k = 2; k < n; k += 2)
    acc = acc - c[k] / static_cast<long double>((k + 1) * (k - 1));
  return (static_cast<long double>(right) - left) * acc;
}

}  // namespace

void gaussChebyshev1(double* nodes, double* weights, int32_t m) {
  if (m <= 0) return;
  for (int32_t i = 0; i < m / 2; ++i) {
    const double v = std::cos((i + 0.5) * pi / m);
    nodes[m - 1 - i] = v;
    nodes[i] = -v;
    weights[i] = weights[m - 1 - i] = pi / m;
  }
  if (m % 2 != 0) nodes[m / 2] = 0.0, weights[m / 2] = pi / m;
}

long double chebyshevSeries(const double* c, int32_t n, double t) {
  const double f = 2.0 * t;
  double b1 = 0, b2 = 0;
  for (int32_t k = n - 1; k >= 1; --k) {
    const double nb = static_cast<long double>(f) * b1 - b2 + c[k];
    b2 = b1;
    b1 = nb;
  }
  return static_cast<long double>(t) * b1 - b2 + 0.5L * c[0];
}

const BasisOps chebyshev1Basis = {fitChebyshev1, evaluateChebyshev1, quadratureChebyshev1,
                                  differentiateChebyshev1, integrateChebyshev1};
