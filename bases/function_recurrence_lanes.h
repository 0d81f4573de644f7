// Hermite and Sonin-Laguerre functions at many abscissae at once, one abscissa per lane: the
// projections of a fit and the values of a series.
//
// Each abscissa i comes with its decaying factor (exp(-t t / 2) for Hermite, t^(alpha/2)
// e^(-t/2) for Sonin-Laguerre) split as mantissa[i] 2^exponent[i], so that the factor of a
// far node neither underflows before the recurrence has grown nor overflows with it. A value
// below the range of doubles is 0.
//
// `stopBeyond`: for abscissae that ascend, a point past every turning point of the functions,
// beyond which each of them decays monotonically. Once a block of abscissae past it holds only
// values below the range of doubles, so do all further ones: their projections are skipped and
// their series values are 0. Pass infinity for abscissae in any order.
#pragma once

#include <cstdint>
#include <vector>

#include "bases/vector_target.h"

class BlockProgress;
struct FunctionTable;

// Abscissae t[0..count-1] with their factors.
struct FactoredPoints {
  const double* t;
  const double* mantissa;
  const int64_t* exponent;
  int32_t count;

  // The `size` points from `first`.
  FactoredPoints part(int32_t first, int32_t size) const {
    return {t + first, mantissa + first, exponent + first, size};
  }
};

// The arrays behind FactoredPoints.
struct FactoredAbscissae {
  std::vector<double> t, mantissa;
  std::vector<int64_t> exponent;

  void add(double at, double factorMantissa, int64_t factorExponent) {
    t.push_back(at);
    mantissa.push_back(factorMantissa);
    exponent.push_back(factorExponent);
  }
  FactoredPoints points() const {
    return {t.data(), mantissa.data(), exponent.data(), static_cast<int32_t>(t.size())};
  }
};

// Coefficients of psi_k = rise[k] t psi_{k-1} - fall[k] psi_{k-2} for k = 1 .. n-1.
struct HermiteSteps {
  const double* rise;
  const double* fall;
};

// Coefficients of the pair L_k^(alpha) = order[k] L_{k-1}^(alpha) - t inverse[k]
// L_{k-1}^(alpha+1) and L_k^(alpha+1) = L_{k-1}^(alpha+1) + L_k^(alpha), k = 1 .. n-1, with
// order[k] = (k + alpha) / k and inverse[k] = 1 / k.
struct LaguerreSteps {
  const double* order;
  const double* inverse;
};

// table.row(k)[i] = psi_k(t[i]), the factor included, for k < table.n and i < points.count
// (at most tableWidth points), for the blocked product of many rows.
void hermiteTable(const FactoredPoints& points, HermiteSteps steps, FunctionTable& table,
                  VectorTarget target = activeVectorTarget());

// c[j] += sum over i of psi_j(t[i]) times even[i] (even j) or odd[i] (odd j), j < n.
void hermiteProject(const FactoredPoints& points, const double* even, const double* odd,
                    HermiteSteps steps, int32_t n, double stopBeyond, double* c,
                    BlockProgress& progress, VectorTarget target = activeVectorTarget());
// plus[i] = sum of c[j] psi_j(t[i]) over j < n; minus[i] (unless null) the same with the odd
// terms negated, the series at -t[i].
void hermiteSeries(const FactoredPoints& points, HermiteSteps steps, const double* c, int32_t n,
                   double stopBeyond, double* plus, double* minus, BlockProgress& progress,
                   VectorTarget target = activeVectorTarget());

// sums[k] += sum over i of phi_k(t[i]) weight[i], k < n, phi_k = factor L_k^(alpha).
void laguerreProject(const FactoredPoints& points, const double* weight, LaguerreSteps steps,
                     int32_t n, double stopBeyond, double* sums, BlockProgress& progress,
                     VectorTarget target = activeVectorTarget());
// table.row(k)[i] = phi_k(t[i]), as hermiteTable.
void laguerreTable(const FactoredPoints& points, LaguerreSteps steps, FunctionTable& table,
                   VectorTarget target = activeVectorTarget());

// values[i] = sum of c[k] phi_k(t[i]) over k < n.
void laguerreSeries(const FactoredPoints& points, LaguerreSteps steps, const double* c, int32_t n,
                    double stopBeyond, double* values, BlockProgress& progress,
                    VectorTarget target = activeVectorTarget());
