#include "tools/power_and_autocorrelation.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "app/busy_indicator.h"
#include "app/data_view.h"
#include "app/long_command.h"
#include "app/recompute.h"
#include "bases/interval_map.h"
#include "bases/progress.h"
#include "tools/last_series.h"

const char* const spectrumRefusal = "Sorry, This method is unavailable under current basis";

namespace {

constexpr double twoPi = 6.283185307179586;
// Mesh points between two progress reports.
constexpr int32_t reportEvery = 4096;

// Quarter-phase split of v: R + iI is minus v multiplied term by term by i to the power k.
// The Fourier transform carries the Hermite function of degree k into itself times (-i)^k,
// so these factors turn a Hermite series into its own transform.
void quarterPhaseSplit(const double* v, int32_t n, std::vector<double>& r, std::vector<double>& i) {
  r.assign(n, 0.0);
  i.assign(n, 0.0);
  for (int32_t k = 0; k < n; ++k) {
    switch (k % 4) {
      case 0:
        r[k] = -v[k];
        break;
      case 1:
        i[k] = -v[k];
        break;
      case 2:
        r[k] = v[k];
        break;
      case 3:
        i[k] = v[k];
        break;
    }
  }
}

// The series of c on the mesh, written into `out` (fit without a source, evaluate only).
void evaluateOnMeshInto(Workspace& ws, double* c, int32_t n, double* mesh, double* out, int32_t m) {
  ws.basis.fit(ws.left, ws.right, ws.alpha, ws.beta, c, n, mesh, ws.sourceValues.data(), out, m,
               nullptr, evaluateOnMesh);
}

// Entry k holds harmonic k: its angular frequency k w0 and the squares of its sine and cosine
// coefficients times w0 squared; the constant's entry is not scaled. A trailing sine
// coefficient without its cosine partner (even N) does not enter.
void fourierSpectrum(Workspace& ws, int32_t n) {
  const double* c = ws.coefficients.data();
  const int32_t count = (n + 1) / 2;
  std::vector<double> x(count), y(count);
  y[0] = static_cast<double>(static_cast<long double>(c[0]) * c[0]);
  x[0] = 0.0;
  const double width = ws.right - ws.left;
  const double w0 = 2 * pi / width;
  for (int32_t i = 2; i < n; i += 2) {
    const int32_t k = i / 2;
    const long double power =
        static_cast<long double>(c[i]) * c[i] + static_cast<long double>(c[i - 1]) * c[i - 1];
    y[k] = static_cast<double>(power * w0 * w0);
    x[k] = static_cast<double>(i * static_cast<long double>(pi) / width);
  }
  replaceValues(ws, std::move(x), std::move(y));
}

// The k-th Sonin-Laguerre function on the half-line from left with scale beta has the Fourier
// transform (2 cos t / beta) (-1)^k e^(-i (2k + 1) t), t = atan(2 w / beta). The sums over k
// of the cosines and sines of (2k + 1) t are Fourier series on [0, 2 pi] whose only non-zero
// coefficients sit at the odd harmonics; the phase w left turns them to the interval's start.
void halfLineSpectrum(Workspace& ws, int32_t n, int32_t m) {
  const double* c = ws.coefficients.data();
  const int32_t length = 4 * n + 4;
  std::vector<double> cosines(length, 0.0), sines(length, 0.0);
  double sign = 1.0;
  for (int32_t k = 0; k < n; ++k) {
    cosines[4 * k + 2] = sign * c[k];  // cos((2k + 1) theta)
    sines[4 * k + 1] = sign * c[k];    // sin((2k + 1) theta)
    sign = -sign;
  }
  const EvaluateManyFn fourier = basisEntry(fourierBasisIndex).ops.evaluateMany;
  std::vector<double> x(ws.meshX.begin(), ws.meshX.begin() + m), y(m), t(m), p(m), q(m);
  for (int32_t j = 0; j < m; ++j)
    t[j] = std::atan(2 * x[j] / ws.beta);
  const ProgressLoop progress(m);
  for (int32_t j = 0; j < m; j += reportEvery) {
    progress.report(j);
    const int32_t count = std::min(reportEvery, m - j);
    fourier(0.0, twoPi, ws.alpha, ws.beta, cosines.data(), length, &t[j], &p[j], count);
    fourier(0.0, twoPi, ws.alpha, ws.beta, sines.data(), length, &t[j], &q[j], count);
  }
  for (int32_t j = 0; j < m; ++j) {
    const double w = x[j];
    const double turnC = std::cos(w * ws.left);
    const double turnS = std::sin(w * ws.left);
    const double scale = std::cos(t[j]) * (2 / ws.beta);
    const double e =
        static_cast<double>(scale * (static_cast<long double>(turnC) * p[j] - turnS * q[j]));
    const double g =
        static_cast<double>(scale * (static_cast<long double>(turnC) * q[j] + turnS * p[j]));
    y[j] = static_cast<double>(static_cast<long double>(e) * e + static_cast<long double>(g) * g);
  }
  replaceValues(ws, std::move(x), std::move(y));
}

// The squared modulus of the quarter-phase transform of the series on the mesh, into x (the
// mesh) and y, built aside so that the Values table changes only once all is had.
void quarterPhasePower(Workspace& ws, int32_t n, int32_t m, std::vector<double>& x,
                       std::vector<double>& y) {
  std::vector<double> r, i;
  quarterPhaseSplit(ws.coefficients.data(), n, r, i);
  const ProgressLoop progress(2);
  progress.report(0);
  x.assign(m, 0.0);
  y.assign(m, 0.0);
  evaluateOnMeshInto(ws, r.data(), n, ws.meshX.data(), x.data(), m);
  progress.report(1);
  evaluateOnMeshInto(ws, i.data(), n, ws.meshX.data(), y.data(), m);
  for (int32_t j = 0; j < m; ++j) {
    const double re = x[j];
    const double im = y[j];
    y[j] =
        static_cast<double>(static_cast<long double>(re) * re + static_cast<long double>(im) * im);
    x[j] = ws.meshX[j];
  }
}

void spectrum(Workspace& ws, Window& window, LastSeries last) {
  setBusy(window, true);
  switch (ws.basisIndex) {
    case fourierBasisIndex:
      fourierSpectrum(ws, last.termCount);
      break;
    case soninLaguerreBasisIndex:
      halfLineSpectrum(ws, last.termCount, last.meshCount);
      break;
    case hermiteBasisIndex: {
      std::vector<double> x, y;
      quarterPhasePower(ws, last.termCount, last.meshCount, x, y);
      replaceValues(ws, std::move(x), std::move(y));
      break;
    }
    default:
      window.message(MessageKind::Information, spectrumRefusal);
      // The Values table stays as it was, and so does the view.
      window.fillSeries(SeriesId::Values, ws.valuesX.data(), ws.valuesY.data(), ws.valuesCount);
      setBusy(window, false);
      return;
  }
  showToolResult(ws, window);
  setBusy(window, false);
}

void correlation(Workspace& ws, Window& window, LastSeries last) {
  const int32_t n = last.termCount;
  const int32_t m = last.meshCount;
  setBusy(window, true);
  const ProgressLoop progress(3);
  progress.report(0);
  std::vector<double> x, y, r(n, 0.0), i(n, 0.0);
  quarterPhasePower(ws, n, m, x, y);
  progress.report(1);
  // The power fitted in the current basis (fit only), then its quarter-phase real part
  // evaluated on the mesh: the mesh lands in x, the autocorrelation in y.
  ws.basis.fit(ws.left, ws.right, ws.alpha, ws.beta, i.data(), n, ws.meshX.data(), y.data(),
               x.data(), m, nullptr, fitCoefficients);
  for (int32_t k = 0; k < n; ++k) {
    if (k % 4 == 0) r[k] = -i[k];
    if (k % 4 == 2) r[k] = i[k];
  }
  progress.report(2);
  evaluateOnMeshInto(ws, r.data(), n, x.data(), y.data(), m);
  replaceValues(ws, std::move(x), std::move(y));
  showToolResult(ws, window);
  setBusy(window, false);
}

}  // namespace

void powerSpectrum(Workspace& ws, Window& window) {
  if (!haveSeries(ws, window)) return;
  const LastSeries last = lastSeries(ws);
  runLongCommand(ws, window, "Power Spectrum", [&] {
    spectrum(ws, window, last);
    return true;
  });
}

void autocorrelation(Workspace& ws, Window& window) {
  if (!haveSeries(ws, window)) return;
  const LastSeries last = lastSeries(ws);
  runLongCommand(ws, window, "Autocorrelation", [&] {
    correlation(ws, window, last);
    return true;
  });
}
