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
      {"Fourier polynomials", fourierBasis},
      {"Legendre polynomials", legendreBasis},
      {"Chebyshev polynomials 1st kind", chebyshev1Basis},
      {"Chebyshev polynomials 2nd kind", chebyshev2Basis},
      {"Sonin-Laguerre functions", soninLaguerreBasis},
      {"Hermite functions", hermiteBasis},
      {"Bernstein polynomials", bernsteinBasis},
      {"Jacobi polynomials", jacobiBasis},
      {"Chebyshev polynomials discrete", discreteChebyshevBasis},
  }};
  return table[index];
}
