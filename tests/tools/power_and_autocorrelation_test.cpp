// Spectral tools: Fourier harmonics whose powers are sums of squares checkable by hand, the
// refusal for other bases, the autocorrelation's table shape, and the guard before any
// series exists.
#include "tools/power_and_autocorrelation.h"

#include <cmath>

#include "bases/interval_map.h"
#include "bases/quarter_phase.h"
#include "tests/tools/tool_fixture.h"

namespace {

using Spectra = ToolTest;
using Doubles = std::vector<double>;
constexpr double twoPi = 2 * pi;
constexpr double powerTolerance = 8 * machineEpsilon;
// A 16-point trigonometric fit of the sine is exact up to the rounding of its sums.
constexpr double fitTolerance = 64 * machineEpsilon;
// Relative: the transform goes through atan, cosines and a Clenshaw sum of 4N + 4 terms.
constexpr double transformTolerance = 64 * machineEpsilon;

// Holds c on [0, 2 pi] in the Fourier basis; its power spectrum reads only the coefficients
// and the interval.
class FourierSpectrum : public ToolTest {
 protected:
  void hold(Doubles c) {
    selectBasis(ws, fourierBasisIndex);
    holdSeries(std::move(c), 0, twoPi);
  }
};

TEST_F(FourierSpectrum, OddTermCountEndsOnACosine) {
  hold({1, 2, 3, 4, 5});
  const int busyBefore = window.busyCount;
  runSeriesTool(ws, window, "Power Spectrum", powerSpectrum);
  ASSERT_EQ(ws.valuesCount, 3);
  EXPECT_EQ(valueAbscissae(), (Doubles{0, 1, 2}));
  EXPECT_NEAR(ws.valuesY[0], 1, powerTolerance);
  EXPECT_NEAR(ws.valuesY[1], 4 + 9, 13 * powerTolerance);
  EXPECT_NEAR(ws.valuesY[2], 16 + 25, 41 * powerTolerance);
  EXPECT_EQ(shown(SeriesId::Values).y, values());
  EXPECT_EQ(window.busyCount, busyBefore + 1);
  EXPECT_FALSE(window.busy);
}

TEST_F(FourierSpectrum, TrailingSineDoesNotEnter) {
  hold({1, 2, 3, 4});
  runSeriesTool(ws, window, "Power Spectrum", powerSpectrum);
  ASSERT_EQ(ws.valuesCount, 2);
  EXPECT_NEAR(ws.valuesY[1], 13, 13 * powerTolerance);
}

TEST_F(FourierSpectrum, OneTermIsTheConstantSquared) {
  hold({3});
  runSeriesTool(ws, window, "Power Spectrum", powerSpectrum);
  ASSERT_EQ(ws.valuesCount, 1);
  EXPECT_EQ(ws.valuesX[0], 0.0);
  EXPECT_EQ(ws.valuesY[0], 9.0);
}

TEST_F(FourierSpectrum, HarmonicsScaleWithTheInterval) {
  // On [0, pi] the fundamental is w0 = 2: frequencies 0, 2, 4 and powers scaled by w0^2 = 4.
  selectBasis(ws, fourierBasisIndex);
  holdSeries({1, 2, 3, 4, 5}, 0, pi);
  runSeriesTool(ws, window, "Power Spectrum", powerSpectrum);
  EXPECT_EQ(valueAbscissae(), (Doubles{0, 2, 4}));
  EXPECT_NEAR(ws.valuesY[1], 52, 52 * powerTolerance);
}

TEST_F(Spectra, OtherBasesAreRefusedAndTheTableStays) {
  fiveSamples();
  holdSeries({1, 2, 3}, 1, 3);
  const Doubles before = values();
  window.series[SeriesId::Values] = {};
  runSeriesTool(ws, window, "Power Spectrum", powerSpectrum);
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0], std::string("Information: ") + unavailableMessage);
  EXPECT_EQ(values(), before);
  EXPECT_EQ(shown(SeriesId::Values).y, before);
  EXPECT_FALSE(window.busy);
}

TEST_F(Spectra, QuarterPhasePowerOnTheMesh) {
  // The quarter-phase power in any basis; here the Chebyshev one, whose sums are easy to
  // write. With c = (a, b, c2, c3) the split is R = (-a, 0, c2, 0) and I = (0, -b, 0, c3), so
  // the power is (-a/2 + c2 T2)^2 + (-b T1 + c3 T3)^2 at each mesh point.
  holdSeries({2, 3, 0.5, 0.25}, 0, 2, 12);
  Doubles x, y;
  quarterPhasePower(ws.basis, ws.left, ws.right, ws.alpha, ws.beta, ws.coefficients.data(), 4,
                    ws.meshX.data(), 12, x, y);
  ASSERT_EQ(y.size(), 12u);
  for (int32_t j = 0; j < 12; ++j) {
    const double t = ws.meshX[j] - 1;
    const double re = -1 + 0.5 * (2 * t * t - 1);
    const double im = -3 * t + 0.25 * (4 * t * t * t - 3 * t);
    EXPECT_EQ(x[j], ws.meshX[j]);
    EXPECT_NEAR(y[j], re * re + im * im, 16 * powerTolerance);
  }
}

TEST_F(Spectra, FourierSpectrumOfTheBuiltInSine) {
  // sin x over one period [0, 2 pi] is harmonic 1 alone, with power 1 at frequency 1.
  selectBasis(ws, fourierBasisIndex);
  selectSource(ws, window, SourceKind::Builtin);
  ws.left = 0, ws.right = twoPi;
  ws.termCount = 5, ws.meshCount = 16;
  ASSERT_TRUE(recompute(ws, window));
  runSeriesTool(ws, window, "Power Spectrum", powerSpectrum);
  ASSERT_EQ(ws.valuesCount, 3);
  EXPECT_NEAR(ws.valuesY[0], 0, fitTolerance);
  EXPECT_NEAR(ws.valuesY[1], 1, fitTolerance);
  EXPECT_NEAR(ws.valuesY[2], 0, fitTolerance);
}

// Each Hermite function is its own Fourier transform up to the factor (-i)^k, so the power of
// a psi_0 + b psi_1 is a^2 psi_0^2 + b^2 psi_1^2, without the cross term of the series' square.
TEST_F(Spectra, HermitePowerDropsTheCrossTerm) {
  selectBasis(ws, hermiteBasisIndex);
  ws.beta = 1;
  holdSeries({1, 0}, -3, 3);
  const Doubles psi0(ws.seriesValues.begin(), ws.seriesValues.begin() + 16);
  holdSeries({0, 1}, -3, 3);
  const Doubles psi1(ws.seriesValues.begin(), ws.seriesValues.begin() + 16);
  holdSeries({0.75, -2}, -3, 3);
  runSeriesTool(ws, window, "Power Spectrum", powerSpectrum);
  ASSERT_EQ(ws.valuesCount, 16);
  for (int32_t j = 0; j < 16; ++j) {
    const double expected = 0.5625 * psi0[j] * psi0[j] + 4 * psi1[j] * psi1[j];
    EXPECT_NEAR(ws.valuesY[j], expected, 16 * powerTolerance) << j;
    EXPECT_EQ(ws.valuesX[j], ws.meshX[j]);
  }
}

// The transform of the Sonin-Laguerre series sum c_k phi_k(beta (x - left)) with alpha 0 is
// (2 cos t / beta) sum c_k (-1)^k e^(-i (2k + 1) t), t = atan(2 w / beta); its power is
// 4 cos^2 t / beta^2 (c0^2 + c1^2 - 2 c0 c1 cos 2t) for two terms. The left end turns only
// the phase.
TEST_F(Spectra, HalfLinePowerAgainstTheClosedFormTransform) {
  selectBasis(ws, soninLaguerreBasisIndex);
  ws.alpha = 0, ws.beta = 2;
  holdSeries({1.5, -0.5}, 1, 5);
  ASSERT_EQ(ws.beta, 2.0);
  runSeriesTool(ws, window, "Power Spectrum", powerSpectrum);
  ASSERT_EQ(ws.valuesCount, 16);
  for (int32_t j = 0; j < 16; ++j) {
    const double w = ws.valuesX[j];
    EXPECT_EQ(w, ws.meshX[j]);
    const double t = std::atan(2 * w / 2);
    const double expected = 4 * std::cos(t) * std::cos(t) / 4 *
                            (1.5 * 1.5 + 0.5 * 0.5 + 2 * 1.5 * 0.5 * std::cos(2 * t));
    EXPECT_NEAR(ws.valuesY[j], expected, transformTolerance * expected) << j;
  }
}

TEST_F(Spectra, HalfLineSingleTermIsALorentzian) {
  // e^(-beta x / 2) transforms to 1 / (beta / 2 + i w): power 4 / (beta^2 + 4 w^2).
  selectBasis(ws, soninLaguerreBasisIndex);
  ws.alpha = 0, ws.beta = 3;
  holdSeries({2}, 0, 4);
  runSeriesTool(ws, window, "Power Spectrum", powerSpectrum);
  for (int32_t j = 0; j < ws.valuesCount; ++j) {
    const double w = ws.valuesX[j];
    const double expected = 4 * 4 / (9 + 4 * w * w);
    EXPECT_NEAR(ws.valuesY[j], expected, transformTolerance * expected) << j;
  }
}

TEST_F(Spectra, AutocorrelationFillsTheMeshAndRepeats) {
  holdSeries({1, 0.5, 0.25, 0.125}, 0, 2, 12);
  runSeriesTool(ws, window, "Autocorrelation", autocorrelation);
  ASSERT_EQ(ws.valuesCount, 12);
  const Doubles first = values();
  for (int32_t j = 0; j < 12; ++j)
    EXPECT_EQ(ws.valuesX[j], ws.meshX[j]);
  runSeriesTool(ws, window, "Autocorrelation", autocorrelation);
  EXPECT_EQ(values(), first);
  EXPECT_EQ(ws.coefficients, (Doubles{1, 0.5, 0.25, 0.125}));
}

TEST_F(Spectra, NothingToTransformBeforeTheFirstRecompute) {
  runSeriesTool(ws, window, "Power Spectrum", powerSpectrum);
  runSeriesTool(ws, window, "Autocorrelation", autocorrelation);
  EXPECT_EQ(window.messages.size(), 2u);
  EXPECT_EQ(ws.valuesCount, 0);
}

}  // namespace
