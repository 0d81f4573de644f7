#include "bases/chebyshev1.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

#include "bases/chirp_transform.h"
#include "bases/equal_weight_steps.h"
#include "bases/fftw_plan.h"
#include "bases/fit_driver.h"
#include "bases/interval_map.h"
#include "bases/node_cache.h"
#include "bases/quadrature_fit.h"

namespace {

// The negative half of the Gauss-Chebyshev nodes and the transforms of the count. An odd count
// adds the middle node 0, which has no mirrored partner. A count with a large prime factor
// takes its FFTs on the chirp route, kept apart for the degrees the fits have needed.
struct Chebyshev1Nodes {
  std::vector<double> h;  // h[i] = -cos((i + 0.5) pi / M), i < M/2
  bool chirped = false;   // the FFTs come from chirpCache
  FftwPlan analysis;      // real FFT of M points: the DCT-II of the values on the nodes
  FftwPlan synthesis;     // inverse real FFT of M points: the DCT-III of the coefficients
};
thread_local NodeCache<Chebyshev1Nodes> nodeCache;  // keyed on M
thread_local NodeCache<RealChirpFft>
    chirpCache;  // keyed on M, serving every N up to its frequencies

// The chirp route's FFT of M points for the degrees below N (and their mirrors M - j).
const RealChirpFft& chirpFft(int32_t m, int32_t n) {
  return realChirpFft(chirpCache, m, std::min(n, m / 2 + 1));
}

Chebyshev1Nodes makeNodes(int32_t m) {
  Chebyshev1Nodes fresh;
  fresh.h.assign(m / 2, 0.0);
  for (int32_t i = 0; i < m / 2; ++i)
    fresh.h[i] = -std::cos((i + 0.5) * pi / m);
  fresh.chirped = m >= smallestTransformCount && chirpPays(m);
  if (m >= smallestTransformCount && !fresh.chirped) {
    fresh.analysis = makeForwardPlan(m);
    fresh.synthesis = makeBackwardPlan(m);
  }
  return fresh;
}

// e^(i pi j / (2M)) for j <= M/2 in long double, as far as the fits' term counts have needed.
using Twiddles = std::vector<std::complex<long double>>;
thread_local NodeCache<Twiddles> twiddleCache;  // keyed on M, serving every count it holds

// The twiddles of degrees below n for M nodes.
const std::complex<long double>* twiddles(int32_t m, int32_t n) {
  const size_t count = std::clamp(n, 0, m / 2 + 1);
  const auto covers = [m, count](const CacheKey& held, const Twiddles& w) {
    return held.count == m && w.size() >= count;
  };
  const auto build = [m, count] {
    Twiddles w(count);
    for (size_t j = 0; j < count; ++j)
      w[j] = std::polar(1.0L, piLong * j / (2.0L * m));
    return w;
  };
  return twiddleCache.covering({m}, covers, build).data();
}

// c[j] = (2/M) sum f_k T_j(t_k) in pairs of mirrored nodes; returns the sum of f_k^2.
long double directCoefficients(const double* h, const double* f, double* c, int32_t n, int32_t m) {
  const int32_t pairs = m / 2;
  long double energy = 0.0L;
  for (int32_t i = 0; i < pairs; ++i) {
    // The mirrored node enters with the sign (-1)^j of T_j(-t): odd degrees take the
    // difference of the pair, even degrees its sum.
    const double a = f[i];
    const double b = f[m - 1 - i];
    const double sum = a + b;
    const double diff = a - b;
    energy += static_cast<long double>(a) * a + static_cast<long double>(b) * b;
    if (n > 0) c[0] += sum;
    double previous = h[i];
    double current = 1.0;
    for (int32_t j = 1; j < n; ++j) {
      const double next = 2.0L * h[i] * current - previous;
      previous = current;
      current = next;
      c[j] += static_cast<long double>(j % 2 ? diff : sum) * next;
    }
  }
  if (m % 2 != 0) {
    // T_j(0) is 1, 0, -1, 0, 1, ... for j = 0, 1, 2, 3, 4, ...
    const double v = f[pairs];
    energy += static_cast<long double>(v) * v;
    for (int32_t j = 0; j < n; j += 2)
      c[j] += (j % 4 ? -v : v);
  }
  for (int32_t j = 0; j < n; ++j)
    c[j] = c[j] / (m * 0.5L);
  return energy;
}

// On the ascending nodes t_k = -cos((k + 1/2) pi / M), T_j(t_k) = (-1)^j cos(j (k + 1/2) pi / M),
// so the sums over the nodes are a DCT-II with the sign (-1)^j. The DCT-II is taken from a
// real FFT (Makhoul): with the even-indexed values ascending and then the odd-indexed ones
// descending, the transform V gives sum_k f_k cos(pi j (2k + 1) / (2M)) = Re(e^(-i pi j / (2M))
// V_j), and V_j = conj(V_{M-j}) above M/2. FFTW's own DCT-II is four times slower at 10^6.
long double transformCoefficients(const Chebyshev1Nodes& nodes, const double* f, double* c,
                                  int32_t n, int32_t m) {
  long double energy = 0.0L, total = 0.0L;
  for (int32_t k = 0; k < m; ++k) {
    energy += static_cast<long double>(f[k]) * f[k];
    total += f[k];
  }
  const RealChirpFft* fft = nodes.chirped ? &chirpFft(m, n) : nullptr;
  double* in = fft ? fft->reals.data() : nodes.analysis.in;
  for (int32_t k = 0; 2 * k < m; ++k)
    in[k] = f[2 * k];
  for (int32_t k = 0; 2 * k + 1 < m; ++k)
    in[m - 1 - k] = f[2 * k + 1];
  fft ? fft->forward() : nodes.analysis.run();
  const double* out = fft ? fft->spectrum.data() : nodes.analysis.out;
  const auto* v = reinterpret_cast<const std::complex<double>*>(out);
  const std::complex<long double>* w = twiddles(m, n);
  const long double scale = 2.0L / m;
  for (int32_t j = 0; j < n; ++j) {
    // Above M/2 the twiddle of M - j, with cos and sin exchanged, meets conj(V_{M-j}).
    const long double sum =
        j <= m / 2 ? w[j].real() * v[j].real() + w[j].imag() * v[j].imag()
                   : w[m - j].imag() * v[m - j].real() - w[m - j].real() * v[m - j].imag();
    c[j] = static_cast<double>((j % 2 ? -scale : scale) * sum);
  }
  // The mean, most often the largest coefficient, from the long double sum: rounded once.
  if (n > 0) c[0] = static_cast<double>(scale * total);
  return energy;
}

// One Clenshaw pass over the coefficients serves a node and its mirror.
void directMeshValues(const double* h, const double* c, int32_t n, double* values, int32_t m) {
  const int32_t pairs = m / 2;
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
    values[i] = static_cast<long double>(h[i]) * b1 - b2 + 0.5L * c[0];
    values[m - 1 - i] = static_cast<long double>(-h[i]) * m1 - m2 + 0.5L * c[0];
  }
  if (m % 2 != 0) values[pairs] = static_cast<double>(chebyshevSeries(c, n, 0.0));
}

// The series on the nodes is the DCT-III y_k = D_0 + 2 sum D_j cos(pi j (2k + 1) / (2M)) of
// D_j = (-1)^j c_j / 2, the degrees from N up 0. It is the inverse of the reordering above:
// V_j = e^(i pi j / (2M)) (D_j - i D_{M-j}) for j <= M/2, an inverse real FFT, and the values
// of the even nodes ascending, those of the odd nodes descending.
void transformMeshValues(const Chebyshev1Nodes& nodes, const double* c, int32_t n, double* values,
                         int32_t m) {
  const auto signedHalf = [c, n](int32_t j) { return j < n ? (j % 2 ? -0.5 : 0.5) * c[j] : 0.0; };
  const RealChirpFft* fft = nodes.chirped ? &chirpFft(m, n) : nullptr;
  auto* v =
      reinterpret_cast<std::complex<double>*>(fft ? fft->spectrum.data() : nodes.synthesis.in);
  const std::complex<long double>* w = twiddles(m, n);
  const int32_t used = std::min(n, m / 2 + 1);  // V_j is 0 from here to M/2
  for (int32_t j = 0; j < used; ++j) {
    const double d = signedHalf(j), mirror = j > 0 ? signedHalf(m - j) : 0.0;
    v[j] = {static_cast<double>(w[j].real() * d + w[j].imag() * mirror),
            static_cast<double>(w[j].imag() * d - w[j].real() * mirror)};
  }
  std::fill(v + used, v + m / 2 + 1, std::complex<double>());
  fft ? fft->backward() : nodes.synthesis.run();
  const double* out = fft ? fft->reals.data() : nodes.synthesis.out;
  for (int32_t k = 0; 2 * k < m; ++k)
    values[2 * k] = out[k];
  for (int32_t k = 0; 2 * k + 1 < m; ++k)
    values[2 * k + 1] = out[m - 1 - k];
}

struct Chebyshev1Sums {
  using Nodes = Chebyshev1Nodes;
  static const Nodes& nodes(int32_t m) {
    return nodeCache.at({m}, [m] { return makeNodes(m); });
  }
  static long double unit(const Nodes& nodes, int32_t i) { return nodes.h[i]; }
  static long double project(const Nodes& nodes, bool transform, const double* f, double* c,
                             int32_t n, int32_t m) {
    return transform ? transformCoefficients(nodes, f, c, n, m)
                     : directCoefficients(nodes.h.data(), f, c, n, m);
  }
  static void sum(const Nodes& nodes, bool transform, const double* c, int32_t n, double* values,
                  int32_t m) {
    if (n <= 0)
      std::fill(values, values + m, 0.0);  // no terms: c[0] is not there to halve
    else if (transform)
      transformMeshValues(nodes, c, n, values, m);
    else
      directMeshValues(nodes.h.data(), c, n, values, m);
  }
};

long double evaluateChebyshev1(double left, double right, double, double, const double* c,
                               int32_t n, double x) {
  if (n <= 0) return 0.0L;
  return chebyshevSeries(c, n, toUnit(left, right, x));
}

// T_1 = t and T_k = 2 t T_{k-1} - T_{k-2}; the series halves c[0].
void evaluateManyChebyshev1(double left, double right, double, double, const double* c, int32_t n,
                            const double* x, double* values, int32_t count) {
  std::vector<double> halved(c, c + std::max(n, 0));
  if (n > 0) halved[0] *= 0.5;
  evaluateByRecurrence(left, right, chebyshevRecurrence(n, 1.0), halved.data(), n, x, values,
                       count);
}

void quadratureChebyshev1(double* nodes, double* weights, int32_t m, double, double) {
  gaussChebyshev1(nodes, weights, m);
}

void differentiateChebyshev1(double left, double right, double, double, const double* c, double* d,
                             int32_t n) {
  if (n <= 0) return;
  const double con = unitPerAbscissa(left, right);
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

constinit const BasisOps chebyshev1Basis =
    withSquaredNorm(withProjectMany<EqualWeightSteps<Chebyshev1Sums>>(
                        basisWithSteps<EqualWeightSteps<Chebyshev1Sums>>(
                            evaluateChebyshev1, quadratureChebyshev1, differentiateChebyshev1,
                            integrateChebyshev1, evaluateManyChebyshev1)),
                    EqualWeightSteps<Chebyshev1Sums>::squaredNormOf);
