// The power spectrum as a basis operation: offered by the Fourier, Sonin-Laguerre and Hermite
// bases alone, each checked against the closed-form Fourier transform of its functions,
// evaluated here in long double from the definitions.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "bases/basis.h"
#include "bases/fourier.h"
#include "bases/hermite.h"
#include "bases/sonin_laguerre.h"
#include "tests/bases/test_mesh.h"

namespace {

using Doubles = std::vector<double>;
constexpr double eps = 2.220446049250313e-16;

struct Spectrum {
  Doubles x, y;
};

Spectrum spectrumOf(const BasisOps& ops, double left, double right, double alpha, double beta,
                    const Doubles& c, Doubles& meshX) {
  Spectrum s;
  ops.powerSpectrum(left, right, alpha, beta, c.data(), static_cast<int32_t>(c.size()),
                    meshX.data(), static_cast<int32_t>(meshX.size()), s.x, s.y);
  return s;
}

TEST(PowerSpectrum, OfferedByFourierSoninLaguerreAndHermiteAlone) {
  for (int32_t i = 0; i < basisCount; ++i) {
    const bool offered =
        i == fourierBasisIndex || i == soninLaguerreBasisIndex || i == hermiteBasisIndex;
    EXPECT_EQ(basisEntry(i).ops.powerSpectrum != nullptr, offered) << basisEntry(i).text;
  }
}

// Fourier series c0/2 + sum c[2k] cos(k w0 (x - mid)) + c[2k-1] sin(...): harmonic k at angular
// frequency k w0, w0 = 2 pi / (right - left), with power (c[2k-1]^2 + c[2k]^2) w0^2.

TEST(PowerSpectrum, FourierOverOnePeriodOfTwoPiHoldsTheSquares) {
  // w0 = 1: entries at 0, 1, 2 hold c0^2, c1^2 + c2^2 and c3^2 + c4^2.
  const Doubles c = {0.3, -1.7, 2.9, 0.11, -4.3};
  Doubles noMesh;
  const Spectrum s = spectrumOf(fourierBasis, 0, 2 * 3.141592653589793, 0, 0, c, noMesh);
  ASSERT_EQ(s.y.size(), 3u);
  EXPECT_EQ(s.x, (Doubles{0, 1, 2}));
  const long double expected[3] = {0.3L * 0.3L, 1.7L * 1.7L + 2.9L * 2.9L,
                                   0.11L * 0.11L + 4.3L * 4.3L};
  for (int k = 0; k < 3; ++k)
    EXPECT_NEAR(s.y[k], static_cast<double>(expected[k]), 2 * eps * s.y[k]) << k;
}

// Hermite functions are their own transforms up to (-i)^k, so the power at t is
// |sum c_k (-i)^k psi_k(t)|^2: even and odd degrees never meet in one product.
TEST(PowerSpectrum, HermiteIsTheQuarterPhasePowerOfTheClosedForms) {
  const double left = -2, right = 4, beta = 1.25;  // t = (x - 1) 1.25
  const Doubles c = {0.75, -2, 1.5};
  Doubles meshX(12);
  const Spectrum s = spectrumOf(hermiteBasis, left, right, 0, beta, c, meshX);
  ASSERT_EQ(s.y.size(), 12u);
  EXPECT_EQ(s.x, meshX) << "the mesh laid by the basis";
  for (int32_t j = 0; j < 12; ++j) {
    const long double t = (static_cast<long double>(s.x[j]) - 1) * beta;
    const long double gauss = expl(-t * t / 2);
    const long double psi0 = powl(truePi, -0.25L) * gauss;
    const long double psi1 = sqrtl(2.0L) * t * psi0;
    const long double psi2 = (4 * t * t - 2) * gauss / sqrtl(8 * sqrtl(truePi));
    const long double re = -0.75L * psi0 + 1.5L * psi2;  // (-i)^0 and (-i)^2
    const long double im = 2 * psi1;                     // -(-2) psi1 from (-i)^1
    const long double power = re * re + im * im;
    // The nodes reach |t| ~ 4, where psi_2 changes by a factor t^2 per unit of t.
    const long double scale = (0.75L * psi0 + 1.5L * fabsl(psi2) + 2 * fabsl(psi1));
    EXPECT_NEAR(s.y[j], static_cast<double>(power), 64 * eps * scale * scale) << j;
  }
}

// The Sonin-Laguerre function of order 0 and degree k on the half-line from left with scale
// beta transforms to (2 cos t / beta) (-1)^k e^(-i (2k + 1) t) (up to a phase turned by left),
// t = atan(2 w / beta). The mesh abscissae are read as the angular frequencies w. The factor
// cos t is taken of t rounded to a double, whose condition t tan t grows with w.
TEST(PowerSpectrum, SoninLaguerreAgainstTheClosedFormTransform) {
  const double left = 0.7, beta = 3;
  const Doubles c = {1.5, 0.25, -0.125};
  Doubles frequencies = {0, 0.25, 1, 3, 10, 250};
  const Spectrum s = spectrumOf(soninLaguerreBasis, left, left + 4, 0, beta, c, frequencies);
  ASSERT_EQ(s.y.size(), frequencies.size());
  EXPECT_EQ(s.x, frequencies);
  for (size_t j = 0; j < frequencies.size(); ++j) {
    const long double t = atanl(2.0L * frequencies[j] / beta);
    std::complex<long double> sum = 0;
    long double size = 0;
    for (size_t k = 0; k < c.size(); ++k) {
      const long double sign = k % 2 == 0 ? 1 : -1;
      sum += sign * c[k] * std::polar(1.0L, -(2.0L * k + 1) * t);
      size += fabsl(c[k]);
    }
    const long double factor = 2 * cosl(t) / beta;
    const long double power = factor * factor * std::norm(sum);
    const long double condition = 1 + t * tanl(t);
    EXPECT_NEAR(s.y[j], static_cast<double>(power),
                64 * eps * condition * factor * factor * size * size)
        << frequencies[j];
  }
}

}  // namespace
