// Chebyshev polynomials of the first kind on the Gauss-Chebyshev points.
// The series is S(t) = c[0]/2 + c[1] T_1(t) + ... + c[N-1] T_{N-1}(t).
#pragma once

#include "bases/basis.h"

extern const BasisOps chebyshev1Basis;

// The M Gauss-Chebyshev nodes, ascending, and their weights pi / M.
void gaussChebyshev1(double* nodes, double* weights, int32_t m);
// Clenshaw summation of the series at t.
long double chebyshevSeries(const double* c, int32_t n, double t);
