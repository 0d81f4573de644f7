#include "bases/half_line_power.h"

#include <algorithm>
#include <cmath>

#include "bases/fourier.h"
#include "bases/interval_map.h"
#include "bases/progress.h"

namespace {
// Mesh points between two progress reports.
constexpr int32_t reportEvery = 4096;
}  // namespace

// The k-th Sonin-Laguerre function on the half-line from left with scale beta has the Fourier
// transform (2 cos t / beta) (-1)^k e^(-i (2k + 1) t), t = atan(2 w / beta). The sums over k
// of the cosines and sines of (2k + 1) t are Fourier series on [0, 2 pi] whose only non-zero
// coefficients sit at the odd harmonics; the phase w left turns them to the interval's start.
void halfLineSpectrum(double left, double, double& alpha, double& beta, const double* c, int32_t n,
                      double* meshX, int32_t m, std::vector<double>& x, std::vector<double>& y) {
  const int32_t length = 4 * n + 4;
  std::vector<double> cosines(length, 0.0), sines(length, 0.0);
  double sign = 1.0;
  for (int32_t k = 0; k < n; ++k) {
    cosines[4 * k + 2] = sign * c[k];  // cos((2k + 1) theta)
    sines[4 * k + 1] = sign * c[k];    // sin((2k + 1) theta)
    sign = -sign;
  }
  const double twoPi = 2 * pi;
  x.assign(meshX, meshX + m);
  y.assign(m, 0.0);
  std::vector<double> t(m), p(m), q(m);
  for (int32_t j = 0; j < m; ++j)
    t[j] = std::atan(2 * x[j] / beta);
  const ProgressLoop progress(m);
  for (int32_t j = 0; j < m; j += reportEvery) {
    progress.report(j);
    const int32_t count = std::min(reportEvery, m - j);
    fourierBasis.evaluateMany(0.0, twoPi, alpha, beta, cosines.data(), length, &t[j], &p[j], count);
    fourierBasis.evaluateMany(0.0, twoPi, alpha, beta, sines.data(), length, &t[j], &q[j], count);
  }
  for (int32_t j = 0; j < m; ++j) {
    const double w = x[j];
    const double turnC = std::cos(w * left);
    const double turnS = std::sin(w * left);
    const double scale = std::cos(t[j]) * (2 / beta);
    const double e =
        static_cast<double>(scale * (static_cast<long double>(turnC) * p[j] - turnS * q[j]));
    const double g =
        static_cast<double>(scale * (static_cast<long double>(turnC) * q[j] + turnS * p[j]));
    y[j] = static_cast<double>(static_cast<long double>(e) * e + static_cast<long double>(g) * g);
  }
}
