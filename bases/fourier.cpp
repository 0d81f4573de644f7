#include "bases/fourier.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "bases/chirp_transform.h"
#include "bases/equal_weight_steps.h"
#include "bases/fftw_plan.h"
#include "bases/fit_driver.h"
#include "bases/fourier_power.h"
#include "bases/interval_map.h"
#include "bases/node_cache.h"
#include "bases/three_term_lanes.h"

namespace {

// The negative half a[i] = (2i + 1 - M) pi / M of the mesh angles, and the real FFTs of the
// count with their twiddles. An odd count adds the middle angle 0, which has no mirrored
// partner. A count with a large prime factor takes its FFTs on the chirp route, kept apart
// for the frequencies the fits have needed.
struct FourierAngles {
  std::vector<double> a;
  std::vector<double> twiddleRe, twiddleIm;  // (-1)^k e^(-i pi k / M), k <= M/2
  bool chirped = false;                      // the FFTs come from chirpCache
  FftwPlan forward;                          // r2c: the sums over the mesh
  FftwPlan backward;                         // c2r: the series on the mesh
};
thread_local NodeCache<FourierAngles> angleCache;  // keyed on M
thread_local NodeCache<RealChirpFft>
    chirpCache;  // keyed on M, serving every N up to its frequencies

// The chirp route's FFT of M points for N terms: frequencies up to N/2.
const RealChirpFft& chirpFft(int32_t m, int32_t n) {
  return realChirpFft(chirpCache, m, std::min(n / 2 + 1, m / 2 + 1));
}

FourierAngles makeAngles(int32_t m) {
  FourierAngles fresh;
  fresh.a.assign(m / 2, 0.0);
  for (int32_t i = 0; i < m / 2; ++i)
    fresh.a[i] = static_cast<double>(2 * i + 1 - m) * pi / m;
  if (m >= smallestTransformCount) {
    const int32_t top = m / 2;
    fresh.twiddleRe.resize(top + 1);
    fresh.twiddleIm.resize(top + 1);
    const long double step = piLong / m;
    for (int32_t k = 0; k <= top; ++k) {
      const long double sign = k % 2 ? -1.0L : 1.0L;
      fresh.twiddleRe[k] = static_cast<double>(sign * cosl(k * step));
      fresh.twiddleIm[k] = static_cast<double>(-sign * sinl(k * step));
    }
    fresh.chirped = chirpPays(m);
    if (!fresh.chirped) {
      fresh.forward = makeForwardPlan(m);
      fresh.backward = makeBackwardPlan(m);
    }
  }
  return fresh;
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

// Sums over mirrored pairs of angles; returns the sum of f^2. The mirrored angle enters with
// sin(-k a) = -sin(k a) and cos(-k a) = cos(k a): the sines take the difference of the pair,
// the cosines its sum.
long double directCoefficients(const double* a, const double* f, double* c, int32_t n, int32_t m) {
  const int32_t pairs = m / 2;
  long double energy = 0.0L;
  for (int32_t i = 0; i < pairs; ++i) {
    const double p = f[i];
    const double q = f[m - 1 - i];
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
  if (m % 2 != 0) {
    // At the angle 0 every cosine is 1 and every sine 0.
    const double v = f[pairs];
    energy += static_cast<long double>(v) * v;
    for (int32_t j = 0; j < n; j += 2)
      c[j] += v;
  }
  const long double halfCount = m * 0.5L;
  for (int32_t j = 0; j < n; ++j)
    c[j] = c[j] / halfCount;
  return energy;
}

// The mesh angles are theta_j = 2 pi j / M + pi / M - pi, so sum f_j e^(-i k theta_j) is the
// FFT's entry k times (-1)^k e^(-i pi k / M): its real part gives the cosine coefficient of
// frequency k, minus its imaginary part the sine coefficient.
long double transformCoefficients(const FourierAngles& angles, const double* f, double* c,
                                  int32_t n, int32_t m) {
  long double energy = 0.0L;
  for (int32_t j = 0; j < m; ++j)
    energy += static_cast<long double>(f[j]) * f[j];
  const double* spectrum;
  if (angles.chirped) {
    const RealChirpFft& fft = chirpFft(m, n);
    std::copy(f, f + m, fft.reals.begin());
    fft.forward();
    spectrum = fft.spectrum.data();
  } else {
    std::copy(f, f + m, angles.forward.in);
    angles.forward.run();
    spectrum = angles.forward.out;
  }
  const double scale = 2.0 / m;
  c[0] = scale * spectrum[0];
  for (int32_t k = 1; 2 * k - 1 < n; ++k) {
    const double re = spectrum[2 * k], im = spectrum[2 * k + 1];
    const double tr = angles.twiddleRe[k], ti = angles.twiddleIm[k];
    c[2 * k - 1] = -scale * (re * ti + im * tr);
    if (2 * k < n) c[2 * k] = scale * (re * tr - im * ti);
  }
  return energy;
}

void directMeshValues(const double* a, const double* c, int32_t n, double* values, int32_t m,
                      double lastFactor, int32_t lastIndex) {
  const int32_t pairs = m / 2;
  const int32_t highestEven = 2 * ((n - 1) / 2);
  const int32_t highestOdd = 2 * (n / 2) - 1;
  for (int32_t i = 0; i < pairs; ++i) {
    const double cosine = std::cos(a[i]);
    const double f = 2.0 * cosine;
    double b1, b2;
    clenshawEveryOther(c, highestEven, f, b1, b2, lastFactor, lastIndex);
    const double value = static_cast<long double>(cosine) * b1 - b2 + 0.5L * c[0];
    clenshawEveryOther(c, highestOdd, f, b1, b2, lastFactor, lastIndex);
    const long double odd = static_cast<long double>(std::sin(a[i])) * b1;
    values[i] = value + odd;
    values[m - 1 - i] = value - odd;
  }
  if (m % 2 != 0)
    values[pairs] = static_cast<double>(fourierSeries(c, n, 0.0, lastFactor, lastIndex));
}

// The series on the mesh is the real part of sum Z_k e^(2 pi i j k / M), with
// Z_k = (c_cos - i c_sin) (-1)^k e^(i pi k / M); the backward FFT doubles the entries below
// M/2 and takes the one at M/2 once and real.
void transformMeshValues(const FourierAngles& angles, const double* c, int32_t n, double* values,
                         int32_t m, double lastFactor, int32_t lastIndex) {
  const RealChirpFft* fft = angles.chirped ? &chirpFft(m, n) : nullptr;
  double* in = fft ? fft->spectrum.data() : angles.backward.in;
  const int32_t top = m / 2;
  std::fill(in, in + 2 * (top + 1), 0.0);
  in[0] = 0.5 * c[0];
  for (int32_t k = 1; 2 * k - 1 < n; ++k) {
    const double sine = (2 * k - 1 == lastIndex ? lastFactor : 1.0) * c[2 * k - 1];
    const double cosine = 2 * k < n ? (2 * k == lastIndex ? lastFactor : 1.0) * c[2 * k] : 0.0;
    const double tr = angles.twiddleRe[k], ti = -angles.twiddleIm[k];  // the conjugate twiddle
    const double re = cosine * tr + sine * ti, im = cosine * ti - sine * tr;
    const double share = 2 * k == m ? 1.0 : 0.5;
    in[2 * k] = share * re;
    in[2 * k + 1] = 2 * k == m ? 0.0 : share * im;
  }
  if (fft) {
    fft->backward();
    std::copy(fft->reals.begin(), fft->reals.end(), values);
  } else {
    angles.backward.run();
    std::copy(angles.backward.out, angles.backward.out + m, values);
  }
}

struct FourierSums {
  using Nodes = FourierAngles;
  static const Nodes& nodes(int32_t m) {
    return angleCache.at({m}, [m] { return makeAngles(m); });
  }
  // The unit abscissa of an angle is the angle over pi.
  static long double unit(const Nodes& angles, int32_t i) {
    return angles.a[i] / static_cast<long double>(pi);
  }
  static long double project(const Nodes& angles, bool transform, const double* f, double* c,
                             int32_t n, int32_t m) {
    return transform ? transformCoefficients(angles, f, c, n, m)
                     : directCoefficients(angles.a.data(), f, c, n, m);
  }
  static void sum(const Nodes& angles, bool transform, const double* c, int32_t n, double* values,
                  int32_t m) {
    // With N = M the last coefficient is the sine of frequency M/2, which is +-1 at every mesh
    // angle: it enters at half weight, so that the series interpolates the source there.
    const bool nyquist = n == m && m % 2 == 0 && n > 0;
    const double lastFactor = nyquist ? 0.5 : 1.0;
    const int32_t lastIndex = nyquist ? n - 1 : -1;
    if (n <= 0)
      std::fill(values, values + m, 0.0);
    else if (transform)
      transformMeshValues(angles, c, n, values, m, lastFactor, lastIndex);
    else
      directMeshValues(angles.a.data(), c, n, values, m, lastFactor, lastIndex);
  }
};

// The angle of x: pi times its unit abscissa, rounded once.
double angleAt(double left, double right, double x) {
  const long double twice = 2.0L * x;
  return static_cast<double>((twice - left - right) * pi /
                             (static_cast<long double>(right) - left));
}

long double evaluateFourier(double left, double right, double, double, const double* c, int32_t n,
                            double x) {
  if (n <= 0) return 0.0L;
  return fourierSeries(c, n, angleAt(left, right, x));
}

// With u = cos(theta): sum a_k cos(k theta) = sum a_k T_k(u) (a_0 = c[0] / 2) and
// sum b_k sin(k theta) = sin(theta) sum b_k U_{k-1}(u), both by the Chebyshev recurrence.
void evaluateManyFourier(double left, double right, double, double, const double* c, int32_t n,
                         const double* x, double* values, int32_t count) {
  if (n <= 0) return std::fill(values, values + count, 0.0);
  const int32_t cosines = (n + 1) / 2, sines = n / 2;
  std::vector<double> a(cosines), b(std::max(sines, 1), 0.0);
  a[0] = 0.5 * c[0];
  for (int32_t k = 1; k < cosines; ++k)
    a[k] = c[2 * k];
  for (int32_t k = 0; k < sines; ++k)
    b[k] = c[2 * k + 1];
  const ThreeTermRecurrence t = chebyshevRecurrence(cosines, 1.0);
  const ThreeTermRecurrence u = chebyshevRecurrence(sines, 2.0);
  std::vector<double> cosine(count), sine(count), odd(count);
  for (int32_t i = 0; i < count; ++i) {
    const double theta = angleAt(left, right, x[i]);
    cosine[i] = std::cos(theta);
    sine[i] = std::sin(theta);
  }
  sumRecurrenceSeries(t, a.data(), cosines, cosine.data(), values, count);
  sumRecurrenceSeries(u, b.data(), sines, cosine.data(), odd.data(), count);
  for (int32_t i = 0; i < count; ++i)
    values[i] = static_cast<double>(values[i] + static_cast<long double>(sine[i]) * odd[i]);
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

constinit const BasisOps fourierBasis = [] {
  BasisOps ops = withSquaredNorm(
      withProjectMany<EqualWeightSteps<FourierSums>>(basisWithSteps<EqualWeightSteps<FourierSums>>(
          evaluateFourier, quadratureFourier, differentiateFourier, integrateFourier,
          evaluateManyFourier, fourierSpectrum)),
      EqualWeightSteps<FourierSums>::squaredNormOf);
  ops.pairedTerms = true;
  return ops;
}();
