// Sums over many abscissae of a family of polynomials with a three-term recurrence,
//   P_0(t) = 1,  P_1(t) = a_1 t + b_1,  P_k(t) = (a_k t + b_k) P_{k-1}(t) - c_k P_{k-2}(t),
// run in vector lanes, one abscissa per lane, with the recurrence coefficients formed once.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "bases/vector_target.h"

// The coefficients a_k, b_k, c_k at index k = 1 .. terms - 1 (index 0 and c_1 unused).
struct ThreeTermRecurrence {
  std::vector<double> a, b, c;
  explicit ThreeTermRecurrence(int32_t terms)
      : a(std::max(terms, 2), 0.0), b(std::max(terms, 2), 0.0), c(std::max(terms, 2), 0.0) {}
};

// The Chebyshev recurrence P_k = 2 t P_{k-1} - P_{k-2} from P_1 = firstSlope t: T_k with 1,
// U_k with 2.
inline ThreeTermRecurrence chebyshevRecurrence(int32_t terms, double firstSlope) {
  ThreeTermRecurrence p(terms);
  p.a[1] = firstSlope;
  for (int32_t k = 2; k < terms; ++k)
    p.a[k] = 2.0, p.c[k] = 1.0;
  return p;
}

// sums[k] = sum over i < m of u[i] P_k(t[i]), for k < n. `target`: the kernels built for
// which instruction set (the run's by default; any of availableVectorTargets()).
void projectOntoRecurrence(const ThreeTermRecurrence& p, const double* t, const double* u,
                           int32_t m, double* sums, int32_t n,
                           VectorTarget target = activeVectorTarget());

// The same sums for `spectra` rows of values at the one set of abscissae, `stride` apart:
// sums[j * n + k] = sum over i < m of u[j * stride + i] P_k(t[i]), for j < spectra, k < n.
// The recurrence runs once per block of abscissae into a table of P_k there, which every row
// then meets in a blocked product (table_product_lanes.h), so its cost is shared by all rows.
void projectManyOntoRecurrence(const ThreeTermRecurrence& p, const double* t, const double* u,
                               int32_t m, int64_t stride, int64_t spectra, double* sums, int32_t n,
                               VectorTarget target = activeVectorTarget());

// The same family near one end of [-1, 1], in the distance s to that end, as a pair of
// first-order recurrences with a companion family Q:
//   P_0 = Q_0 = 1,  P_{k+1} = f_k P_k - g_k s Q_k,  Q_{k+1} = h_k P_{k+1} + l_k Q_k.
// Near the end the three-term step in t rounds the small difference of two large terms, and
// its rounding errors grow there as 1 / sin(theta) of the node's angle; in this form the end's
// distance s enters exactly and no such difference is formed.
struct EndRecurrence {
  std::vector<double> f, g, h, l;  // index k = 0 .. terms - 2
  explicit EndRecurrence(int32_t terms)
      : f(std::max(terms, 1), 0.0),
        g(std::max(terms, 1), 0.0),
        h(std::max(terms, 1), 0.0),
        l(std::max(terms, 1), 0.0) {}
};

// sums[k] = sum over i < m of u[i] P_k at distance s[i] from the end, for k < n.
void projectNearEnd(const EndRecurrence& r, const double* s, const double* u, int32_t m,
                    double* sums, int32_t n, VectorTarget target = activeVectorTarget());

// The same sums for `spectra` rows of values, as projectManyOntoRecurrence forms them:
// sums[j * n + k] = sum over i < m of u[j * stride + i] P_k at s[i], for j < spectra, k < n.
void projectManyNearEnd(const EndRecurrence& r, const double* s, const double* u, int32_t m,
                        int64_t stride, int64_t spectra, double* sums, int32_t n,
                        VectorTarget target = activeVectorTarget());

// values[i] = sum over k < n of coefficients[k] P_k(t[i]), for i < m.
void sumRecurrenceSeries(const ThreeTermRecurrence& p, const double* coefficients, int32_t n,
                         const double* t, double* values, int32_t m,
                         VectorTarget target = activeVectorTarget());
