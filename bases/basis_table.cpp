#include "bases/basis.h"

#include <algorithm>
#include <cmath>

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

std::string parameterRefusal(const BasisOps& basis, double alpha, double beta) {
  if (!std::isfinite(alpha) || !std::isfinite(beta)) return "alpha and beta must be finite numbers";
  if (basis.refuseParameters)
    if (const char* refusal = basis.refuseParameters(alpha, beta)) return refusal;
  return {};
}

long double projectValues(const BasisOps& basis, double left, double right, double& alpha,
                          double& beta, const double* values, double* c, int32_t n, double* meshX,
                          int32_t m) {
  if (basis.projectValues)
    return basis.projectValues(left, right, alpha, beta, values, c, n, meshX, m);
  // Without a source, fit reads the values it is handed; its own copies of them.
  std::vector<double> copy(values, values + std::max(m, 0)), series(std::max(m, 0));
  return basis.fit(left, right, alpha, beta, c, n, meshX, copy.data(), series.data(), m, nullptr,
                   fitCoefficients);
}

void sumOnMesh(const BasisOps& basis, double left, double right, double& alpha, double& beta,
               const double* c, int32_t n, double* meshX, double* seriesValues, int32_t m) {
  if (basis.sumOnMesh)
    return basis.sumOnMesh(left, right, alpha, beta, c, n, meshX, seriesValues, m);
  std::vector<double> coefficients(c, c + std::max(n, 0)), unread(std::max(m, 0));
  basis.fit(left, right, alpha, beta, coefficients.data(), n, meshX, unread.data(), seriesValues, m,
            nullptr, evaluateOnMesh);
}
