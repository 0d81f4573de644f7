#include "bases/basis.h"

#include "bases/bernstein.h"
#include "bases/chebyshev1.h"
#include "bases/chebyshev2.h"
#include "bases/discrete_chebyshev.h"
#include "bases/fourier.h"
#include "bases/hermite.h"
#include "bases/jacobi.h"
#include "bases/legendre.h"
#include "bases/sonin_laguerre.h"

const BasisEntry& basisEntry(int32_t index) {
  static const std::array<BasisEntry, basisCount> table = {{
      {"Fourier polynomials", fourierBasis, false, false},
      {"Legendre polynomials", legendreBasis, false, false},
      {"Chebyshev polynomials 1st kind", chebyshev1Basis, false, false},
      {"Chebyshev polynomials 2nd kind", chebyshev2Basis, false, false},
      {"Sonin-Laguerre functions", soninLaguerreBasis, true, true},
      {"Hermite functions", hermiteBasis, false, true},
      {"Bernstein polynomials", bernsteinBasis, false, false},
      {"Jacobi polynomials", jacobiBasis, true, true},
      {"Chebyshev polynomials discrete", discreteChebyshevBasis, false, false},
  }};
  return table[index];
}
