#include "bases/fourier.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "bases/fit_start.h"
#include "bases/interval_map.h"

namespace {

// Angle cache: the negative half a[i] = (2i + 1 - M) pi / M of the mesh angles. An odd count
// adds the middle angle 0, which has no mirrored partner.
struct AngleCache {
  int32_t m = 0;
  std::vector<double> a;
};
AngleCache cache;

// The key is set only once the table is had, so a failed allocation leaves no stale key.
void rebuildCache(int32_t m) {
  cache.m = -1;
  cache.a.assign(m / 2, 0.0);
  for (int32_t i = 0; i < m / 2; ++i)
    cache.a[i] = static_cast<double>(2 * i + 1 - m) * pi / m;
  cache.m = m;
}

// Clenshaw sum over c[top], c[top - 2], ... while the index is above 0, with the step
// b1 = f b1 - b2 + c[j]; the coefficient at `lastIndex` enters times `lastFactor`. Leaves b1
// and b2 for the caller to finish.
void clenshawEveryOther(const double* c, int32_t top, double f, double& b1, double& b2,
                        double lastFactor, int32_t lastIndex) {
  b1 = b2 = 0;
  for (int32_t j = top; j > 0; j -= 2) {
    const double cj = j == lastIndex ? lastFactor * c[j] : c[j];
    const double nb = static_cast<long double>(f) * b1 - b2 + cj;
    b2 = b1;
    b1 = nb;
  }
}

// The series at the angle theta. The coefficient at `lastIndex` enters times `lastFactor`.
long double fourierSeries(const double* c, int32_t n, double theta, double lastFactor = 1.0,
                          int32_t lastIndex = -1) {
  if (n <= 0) return 0.0L;
  const int32_t highestEven = 2 * ((n - 1) / 2);
  const int32_t highestOdd = 2 * (n / 2) - 1;
  const double cosine = std::cos(theta), sine = std::sin(theta);
  const double f = 2.0 * cosine;
  double b1, b2;
  clenshawEveryOther(c, highestEven, f, b1, b2, lastFactor, lastIndex);
  long double value = static_cast<long double>(cosine) * b1 - b2 + 0.5L * c[0];
  clenshawEveryOther(c, highestOdd, f, b1, b2, lastFactor, lastIndex);
  return value + static_cast<long double>(sine) * b1;
}

long double fitFourier(double left, double right, double&, double&, double* c, int32_t n,
                       double* meshX, double* sourceValues, double* seriesValues, int32_t m,
                       const SourceFn& source, int32_t mode) {
  m = std::max(m, 0);  // a negative count is an empty mesh
  const IntervalMap map = mapInterval(left, right);
  const int32_t pairs = m / 2;
  const bool hasMiddle = m % 2 != 0;
  if (m != cache.m) rebuildCache(m);
  const double* a = cache.a.data();

  for (int32_t i = 0; i < pairs; ++i) {
    meshX[i] = toAbscissa(map, a[i] / static_cast<long double>(pi));
    meshX[m - 1 - i] = toAbscissa(map, -a[i] / static_cast<long double>(pi));
  }
  if (hasMiddle) meshX[pairs] = map.mid;

  long double figure = 0.0L;
  if (mode & fitCoefficients) {
    startFit(source, meshX, sourceValues, m, c, n);
    long double energy = 0.0L;
    for (int32_t i = 0; i < pairs; ++i) {
      // The mirrored angle enters with sin(-k a) = -sin(k a) and cos(-k a) = cos(k a): the
      // sines take the difference of the pair, the cosines its sum.
      const double p = sourceValues[i];
      const double q = sourceValues[m - 1 - i];
      const double diff = p - q;
      const double sum = p + q;
      energy += static_cast<long double>(p) * p + static_cast<long double>(q) * q;
      const double cosine = std::cos(a[i]);
      const double sine = std::sin(a[i]);
      if (n > 0) c[0] += sum;
      double previous = -sine, current = 0.0;  // sin(-a), sin(0)
      for (int32_t j = 1; j < n; j += 2) {
        const double next = 2.0L * cosine * current - previous;
        previous = current;
        current = next;
        c[j] += static_cast<long double>(diff) * next;
      }
      previous = cosine, current = 1.0;  // cos(-a), cos(0)
      for (int32_t j = 2; j < n; j += 2) {
        const double next = 2.0L * cosine * current - previous;
        previous = current;
        current = next;
        c[j] += static_cast<long double>(sum) * next;
      }
    }
    if (hasMiddle) {
      // At the angle 0 every cosine is 1 and every sine 0.
      const double v = sourceValues[pairs];
      energy += static_cast<long double>(v) * v;
      for (int32_t j = 0; j < n; j += 2)
        c[j] += v;
    }
    if (m > 0) energy /= m;
    const long double halfCount = m * 0.5L;
    long double captured = 0.0L;
    for (int32_t j = 0; j < n; ++j) {
      c[j] = c[j] / halfCount;
      captured += static_cast<long double>(c[j]) * c[j] / (j == 0 ? 4 : 2);
    }
    if (energy != 0) figure = 1 - captured / energy;
  }

  if (mode & evaluateOnMesh) {
    // With N = M the last coefficient is the sine of frequency M/2, which is +-1 at every mesh
    // angle: it enters at half weight, so that the series interpolates the source there.
    const bool nyquist = n == m && m % 2 == 0 && n > 0;
    const double lastFactor = nyquist ? 0.5 : 1.0;
    const int32_t lastIndex = nyquist ? n - 1 : -1;
    const int32_t highestEven = 2 * ((n - 1) / 2);
    const int32_t highestOdd = 2 * (n / 2) - 1;
    for (int32_t i = 0; i < pairs && n > 0; ++i) {
      const double cosine = std::cos(a[i]);
      const double f = 2.0 * cosine;
      double b1, b2;
      clenshawEveryOther(c, highestEven, f, b1, b2, lastFactor, lastIndex);
      const double value = static_cast<long double>(cosine) * b1 - b2 + 0.5L * c[0];
      clenshawEveryOther(c, highestOdd, f, b1, b2, lastFactor, lastIndex);
      const long double odd = static_cast<long double>(std::sin(a[i])) * b1;
      seriesValues[i] = value + odd;
      seriesValues[m - 1 - i] = value - odd;
    }
    if (n <= 0)
      for (int32_t i = 0; i < m; ++i)
        seriesValues[i] = 0.0;
    else if (hasMiddle)
      seriesValues[pairs] = static_cast<double>(fourierSeries(c, n, 0.0, lastFactor, lastIndex));
  }
  return figure;
}

long double evaluateFourier(double left, double right, double, double, const double* c, int32_t n,
                            double x) {
  if (n <= 0) return 0.0L;
  const long double twice = 2.0L * x;
  const double theta = (twice - left - right) * pi / (static_cast<long double>(right) - left);
  return fourierSeries(c, n, theta);
}

void quadratureFourier(double* nodes, double* weights, int32_t m, double, double) {
  fourierAngles(nodes, weights, m);
}

// d/dx (a cos(k theta) + b sin(k theta)) = k (b cos(k theta) - a sin(k theta)) dtheta/dx.
// An even N ends on a sine whose derived cosine belongs in entry N, the one extra entry the
// caller provides.
void differentiateFourier(double left, double right, double, double, const double* c, double* d,
                          int32_t n) {
  if (n <= 0) return;
  const double con = 2.0L * pi / (static_cast<long double>(right) - left);
  d[0] = 0.0;
  for (int32_t k = 1; 2 * k - 1 < n; ++k) {
    const long double sine = c[2 * k - 1];
    const long double cosine = 2 * k < n ? c[2 * k] : 0.0L;
    d[2 * k - 1] = static_cast<double>(-k * cosine * con);
    d[2 * k] = static_cast<double>(k * sine * con);
  }
}

// Every harmonic integrates to 0 over the period; the constant term is c[0]/2.
long double integrateFourier(double left, double right, double, double, const double* c,
                             int32_t n) {
  if (n <= 0) return 0.0L;
  return (static_cast<long double>(right) - left) * 0.5L * c[0];
}

}  // namespace

void fourierAngles(double* nodes, double* weights, int32_t m) {
  if (m <= 0) return;
  for (int32_t i = 0; i < m / 2; ++i) {
    const double v = static_cast<double>(m - 1 - 2 * i) * pi / m;
    nodes[m - 1 - i] = v;
    nodes[i] = -v;
    weights[i] = weights[m - 1 - i] = 1.0;
  }
  if (m % 2 != 0) nodes[m / 2] = 0.0, weights[m / 2] = 1.0;
}

const BasisOps fourierBasis = {fitFourier, evaluateFourier, quadratureFourier, differentiateFourier,
                               integrateFourier};
