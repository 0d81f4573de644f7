// Sums of n real values against the powers of one root of unity w = e^(i pi s / q),
//   analysis:  X_k = sum_{j<n} x_j w^(j k)           for k < K,
//   synthesis: y_j = Re sum_{k<K} Z_k w^(j k)         for j < n,
// for transform lengths whose large prime factors make FFTW's plans slow (a real FFT of 999983
// points takes 27 times as long as one of 10^6). Bluestein's identity
// j k = (j^2 + k^2 - (k - j)^2) / 2 turns either sum into one cyclic convolution with the chirp
// w^(m^2 / 2), taken on a power-of-two FFT whose cost does not depend on n's factors. Two reals
// travel as one complex value (even-indexed real, odd-indexed imaginary, so that the chirp is
// that of w^2), and the convolution spans only n/2 + 2K points: a fit of 10^4 terms on 10^6
// points runs on FFTs of 2^19 points. The chirp and its transform are made once per count and
// kept by the basis with its node set.
#pragma once

#include <complex>
#include <cstdint>
#include <vector>

#include <fftw3.h>

#include "bases/node_cache.h"

// A length whose prime factors are all at most this takes FFTW's plans, any other the chirp-z
// route. Measured near 10^6 points: FFTW's real FFT takes 8 ms with factors up to 5, 10 to 12 ms
// with a largest factor of 23 to 31 and 15 to 23 ms from 37 up (999999 = 27 * 7 * 11 * 13 * 37:
// 21 ms), where the chirp-z route takes 17 ms whatever the factors.
constexpr int32_t largestFftwFactor = 31;

// The largest prime factor of n (1 for n <= 1).
int32_t largestPrimeFactor(int64_t n);

// True when a transform of `length` points takes the chirp-z route.
inline bool chirpPays(int64_t length) {
  return largestPrimeFactor(length) > largestFftwFactor;
}

struct ChirpTransform {
  int32_t points = 0;       // n
  int32_t frequencies = 0;  // K: the powers k < K the sums serve
  int32_t numerator = 0;    // s in w = e^(i pi s / q)
  int32_t denominator = 1;  // q
  int32_t length = 0;       // the FFT's length, a power of two of at least n/2 + 2K - 2
  std::vector<std::complex<double>> chirp;   // e^(i pi s m^2 / q) = (w^2)^(m^2 / 2), m < n/2 + K
  std::vector<std::complex<double>> powers;  // w^k, k < K
  fftw_complex* kernel = nullptr;  // the FFT of the conjugate chirp laid for the analysis, over L
  fftw_complex* work = nullptr;    // the convolution's array
  fftw_plan forward = nullptr, backward = nullptr;  // in place on `work`

  ChirpTransform() = default;
  ChirpTransform(const ChirpTransform&) = delete;
  ChirpTransform& operator=(const ChirpTransform&) = delete;
  ChirpTransform(ChirpTransform&& other) noexcept;
  ChirpTransform& operator=(ChirpTransform&& other) noexcept;
  ~ChirpTransform();
};

// The transform of n points for the powers k < K of e^(i pi s / q). Throws std::bad_alloc when
// its arrays or plans cannot be had.
ChirpTransform makeChirpTransform(int32_t n, int32_t frequencies, int32_t numerator,
                                  int32_t denominator);

// The analysis sums X_k, k < t.frequencies, of the real values x[0 .. t.points - 1].
void chirpAnalysis(const ChirpTransform& t, const double* x, std::complex<double>* sums);

// The synthesis y[0 .. t.points - 1] of the coefficients Z_k, k < t.frequencies.
void chirpSynthesis(const ChirpTransform& t, const std::complex<double>* coefficients,
                    double* values);

// FFTW's real FFT of n points (r2c forward, c2r backward, unnormalised) on the chirp route,
// with FFTW's layouts: `reals` holds n values, `spectrum` n/2 + 1 complex entries as pairs. The
// forward transform fills the entries below `frequencies()`; the backward one reads only those
// and takes the rest as 0.
struct RealChirpFft {
  ChirpTransform chirp;  // of e^(-2 pi i / n)
  mutable std::vector<double> reals;
  mutable std::vector<double> spectrum;

  int32_t frequencies() const { return chirp.frequencies; }
  void forward() const;   // reals to spectrum
  void backward() const;  // spectrum to reals
};

// The real FFT of n points for the frequencies below `frequencies`, kept in `cache` (keyed on
// n) and made afresh when the held one serves another count or fewer frequencies.
const RealChirpFft& realChirpFft(NodeCache<RealChirpFft>& cache, int32_t n, int32_t frequencies);
