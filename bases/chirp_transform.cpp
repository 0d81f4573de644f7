#include "bases/chirp_transform.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <new>
#include <utility>

#include "bases/fftw_plan.h"

namespace {

using Complex = std::complex<double>;

Complex* asComplex(fftw_complex* p) {
  return reinterpret_cast<Complex*>(p);
}

// The plain product, without the library's checks for infinite parts (a call per product):
// every factor here is finite.
Complex times(Complex a, Complex b) {
  return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

// e^(i pi e / q) for the exponent e = s * v mod 2q, reduced exactly in integers and rounded
// once from long double, so that the phase of a large power carries no error of its own.
Complex rootPower(int32_t numerator, int32_t denominator, unsigned __int128 v) {
  const auto period = static_cast<unsigned __int128>(2) * static_cast<uint32_t>(denominator);
  const auto magnitude = static_cast<unsigned __int128>(numerator < 0 ? -numerator : numerator);
  auto e = static_cast<int64_t>(magnitude * (v % period) % period);
  if (numerator < 0) e = -e;
  if (e > denominator) e -= 2 * static_cast<int64_t>(denominator);
  if (e < -denominator) e += 2 * static_cast<int64_t>(denominator);
  const long double angle = 3.141592653589793238462643383279502884L * e / denominator;
  return {static_cast<double>(cosl(angle)), static_cast<double>(sinl(angle))};
}

// Convolves work[0 .. L) with the kernel (mirrored when `mirrored`, for the synthesis).
void convolve(const ChirpTransform& t, bool mirrored) {
  fftw_execute(t.forward);
  Complex* w = asComplex(t.work);
  const Complex* b = asComplex(t.kernel);
  const int32_t length = t.length;
  if (mirrored) {
    w[0] = times(w[0], b[0]);
    for (int32_t f = 1; f < length; ++f)
      w[f] = times(w[f], b[length - f]);
  } else {
    for (int32_t f = 0; f < length; ++f)
      w[f] = times(w[f], b[f]);
  }
  fftw_execute(t.backward);
}

}  // namespace

int32_t largestPrimeFactor(int64_t n) {
  int64_t largest = 1;
  for (int64_t d = 2; d * d <= n; ++d)
    while (n % d == 0)
      largest = d, n /= d;
  return static_cast<int32_t>(n > 1 ? n : largest);
}

ChirpTransform::ChirpTransform(ChirpTransform&& other) noexcept {
  *this = std::move(other);
}

ChirpTransform& ChirpTransform::operator=(ChirpTransform&& other) noexcept {
  std::swap(points, other.points);
  std::swap(frequencies, other.frequencies);
  std::swap(numerator, other.numerator);
  std::swap(denominator, other.denominator);
  std::swap(length, other.length);
  std::swap(chirp, other.chirp);
  std::swap(powers, other.powers);
  std::swap(kernel, other.kernel);
  std::swap(work, other.work);
  std::swap(forward, other.forward);
  std::swap(backward, other.backward);
  return *this;
}

ChirpTransform::~ChirpTransform() {
  if (forward || backward) {
    const std::lock_guard lock(fftwPlannerMutex());
    if (forward) fftw_destroy_plan(forward);
    if (backward) fftw_destroy_plan(backward);
  }
  fftw_free(kernel);
  fftw_free(work);
}

// The analysis convolves a_j = z_j C_j (j < h, the packed pairs) with the conjugate chirp
// C_d over d = k - j, reading Z_k = C_k (a * conj C)(k) for -K < k < K; the kernel lays the
// conjugate chirp at position d + K - 1 (mod L). The synthesis runs the same convolution the
// other way round (inputs -K < k < K, outputs m < h), whose kernel is the mirror image.
ChirpTransform makeChirpTransform(int32_t n, int32_t frequencies, int32_t numerator,
                                  int32_t denominator) {
  ChirpTransform t;
  t.points = n;
  t.frequencies = std::max(frequencies, 1);
  t.numerator = numerator;
  t.denominator = denominator;
  const int64_t half = (static_cast<int64_t>(n) + 1) / 2;
  const int64_t k = t.frequencies;
  const int64_t span = half + 2 * k - 2;
  const uint64_t length = std::bit_ceil(static_cast<uint64_t>(std::max<int64_t>(span, 2)));
  if (length > (1u << 30)) throw std::bad_alloc();
  t.length = static_cast<int32_t>(length);

  t.chirp.resize(half + k - 1);
  for (size_t m = 0; m < t.chirp.size(); ++m)
    t.chirp[m] = rootPower(numerator, denominator, static_cast<unsigned __int128>(m) * m);
  t.powers.resize(k);
  for (int64_t j = 0; j < k; ++j)
    t.powers[j] = rootPower(numerator, denominator, j);

  t.kernel = fftw_alloc_complex(length);
  t.work = fftw_alloc_complex(length);
  if (!t.kernel || !t.work) throw std::bad_alloc();
  {
    const std::lock_guard lock(fftwPlannerMutex());
    t.forward = fftw_plan_dft_1d(t.length, t.work, t.work, FFTW_FORWARD, FFTW_ESTIMATE);
    t.backward = fftw_plan_dft_1d(t.length, t.work, t.work, FFTW_BACKWARD, FFTW_ESTIMATE);
  }
  if (!t.forward || !t.backward) throw std::bad_alloc();

  Complex* w = asComplex(t.work);
  std::fill(w, w + length, Complex());
  for (int64_t r = -(half - 1); r <= 2 * k - 2; ++r) {
    const int64_t d = r - (k - 1);
    w[(r + static_cast<int64_t>(length)) % static_cast<int64_t>(length)] =
        std::conj(t.chirp[d < 0 ? -d : d]);
  }
  fftw_execute(t.forward);
  const double scale = 1.0 / static_cast<double>(length);
  Complex* b = asComplex(t.kernel);
  for (uint64_t f = 0; f < length; ++f)
    b[f] = w[f] * scale;
  return t;
}

// With z_j = x_{2j} + i x_{2j+1} and W = w^2, Z_k = sum z_j W^(jk) = E_k + i O_k, where E and O
// are the sums of the even- and odd-indexed values; for real values conj(E_k) = E_(-k), so
// E_k = (Z_k + conj Z_(-k)) / 2, O_k = (Z_k - conj Z_(-k)) / 2i, and X_k = E_k + w^k O_k.
void chirpAnalysis(const ChirpTransform& t, const double* x, Complex* sums) {
  const int32_t n = t.points, k = t.frequencies, half = (n + 1) / 2;
  Complex* w = asComplex(t.work);
  for (int32_t j = 0; j < half; ++j) {
    const double odd = 2 * j + 1 < n ? x[2 * j + 1] : 0.0;
    w[j] = times(Complex(x[2 * j], odd), t.chirp[j]);
  }
  std::fill(w + half, w + t.length, Complex());
  convolve(t, false);
  for (int32_t j = 0; j < k; ++j) {
    const Complex z = times(t.chirp[j], w[k - 1 + j]);
    const Complex mirror = std::conj(times(t.chirp[j], w[k - 1 - j]));
    const Complex even = 0.5 * (z + mirror);
    const Complex odd = Complex(0.0, -0.5) * (z - mirror);
    sums[j] = even + times(t.powers[j], odd);
  }
}

// The values pair up as T_m = y_{2m} + i y_{2m+1} = sum_{-K<k<K} G_k W^(mk), with
// G_k = Z_k (1 + i w^k) / 2 and G_(-k) = conj(Z_k) (1 + i conj(w^k)) / 2 for k > 0 and
// G_0 = Re(Z_0) (1 + i): the real parts of the even and odd sums, gathered into one.
void chirpSynthesis(const ChirpTransform& t, const Complex* coefficients, double* values) {
  const int32_t n = t.points, k = t.frequencies, half = (n + 1) / 2;
  const Complex i(0.0, 1.0);
  Complex* w = asComplex(t.work);
  w[k - 1] = coefficients[0].real() * Complex(1.0, 1.0) * t.chirp[0];
  for (int32_t j = 1; j < k; ++j) {
    const Complex z = coefficients[j];
    w[k - 1 + j] = 0.5 * z * (1.0 + i * t.powers[j]) * t.chirp[j];
    w[k - 1 - j] = 0.5 * std::conj(z) * (1.0 + i * std::conj(t.powers[j])) * t.chirp[j];
  }
  std::fill(w + 2 * k - 1, w + t.length, Complex());
  convolve(t, true);
  for (int32_t m = 0; m < half; ++m) {
    const Complex pair = times(t.chirp[m], w[m]);
    values[2 * m] = pair.real();
    if (2 * m + 1 < n) values[2 * m + 1] = pair.imag();
  }
}

void RealChirpFft::forward() const {
  chirpAnalysis(chirp, reals.data(), reinterpret_cast<Complex*>(spectrum.data()));
}

// FFTW's c2r sums every entry of the Hermitian spectrum, so the entries 0 < k < n/2 count twice
// (k and n - k) and the real parts of entries 0 and n/2 once; the synthesis runs on
// e^(-2 pi i / n), so the coefficients enter conjugated.
void RealChirpFft::backward() const {
  const int32_t n = chirp.points, k = chirp.frequencies;
  const auto* entries = reinterpret_cast<const Complex*>(spectrum.data());
  std::vector<Complex> coefficients(k);
  for (int32_t j = 0; j < k; ++j) {
    const bool once = j == 0 || 2 * j == n;
    coefficients[j] = std::conj(once ? Complex(entries[j].real()) : 2.0 * entries[j]);
  }
  chirpSynthesis(chirp, coefficients.data(), reals.data());
}

const RealChirpFft& realChirpFft(NodeCache<RealChirpFft>& cache, int32_t n, int32_t frequencies) {
  const auto covers = [n, frequencies](const CacheKey& held, const RealChirpFft& fft) {
    return held.count == n && fft.frequencies() >= frequencies;
  };
  const auto build = [n, frequencies] {
    RealChirpFft fresh;
    fresh.chirp = makeChirpTransform(n, frequencies, -2, n);
    fresh.reals.resize(n);
    fresh.spectrum.resize(2 * (static_cast<size_t>(n) / 2 + 1));
    return fresh;
  };
  return cache.covering({n}, covers, build);
}
