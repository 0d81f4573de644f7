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

long double projectValues(const BasisOps& basis, double left, double right, double& alpha,
                          double& beta, const double* values, double* c, int32_t n, double* meshX,
                          int32_t m) {
  // Without a source, fit only reads the values it is handed.
  std::vector<double> series(m);
  return basis.fit(left, right, alpha, beta, c, n, meshX, const_cast<double*>(values),
                   series.data(), m, nullptr, fitCoefficients);
}

void sumOnMesh(const BasisOps& basis, double left, double right, double& alpha, double& beta,
               const double* c, int32_t n, double* meshX, double* seriesValues, int32_t m) {
  // The evaluation reads no source values.
  basis.fit(left, right, alpha, beta, const_cast<double*>(c), n, meshX, seriesValues,
            seriesValues, m, nullptr, evaluateOnMesh);
}
