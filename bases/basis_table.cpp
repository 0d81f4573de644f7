#include "bases/basis.h"

#include "bases/chebyshev1.h"
#include "bases/jacobi.h"
#include "bases/pending_bases.h"
#include "bases/sonin_laguerre.h"

const BasisEntry& basisEntry(int32_t index) {
  static const std::array<BasisEntry, basisCount> table = {{
      {"Fourier polynomials", pendingBasis, false, false},
      {"Legendre polynomials", pendingBasis, false, false},
      {"Chebyshev polynomials 1st kind", chebyshev1Basis, false, false},
      {"Chebyshev polynomials 2nd kind", pendingBasis, false, false},
      {"Sonin-Laguerre functions", soninLaguerreBasis, true, true},
      {"Hermite functions", pendingBasis, false, true},
      {"Bernstein polynomials", pendingBasis, false, false},
      {"Jacobi polynomials", jacobiBasis, true, true},
      {"Chebyshev polynomials discrete", pendingBasis, false, false},
  }};
  return table[index];
}
