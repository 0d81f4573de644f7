// Discrete Chebyshev polynomials: the polynomials phi_0 .. phi_{N-1} orthonormal on the M
// positions s = 0 .. M - 1 of an equally spaced mesh from left to right. The series is
// c[0] phi_0(s) + ... + c[N-1] phi_{N-1}(s) at the position s = (x - left)(M - 1)/(right - left).
// Up to 2.5 sqrt(M) terms its derivative and integral are the polynomial's own; past that the
// series lives on its M points: its derivative is fitted to its differences on the mesh and its
// integral is the trapezoid rule on the mesh (and the integral figure's note says so), so both
// stay bounded for every N <= M.
#pragma once

#include "bases/basis.h"

extern const BasisOps discreteChebyshevBasis;

// phi_k(s) for positions s = 0 .. M - 1 (rows) and k = 0 .. N - 1 (columns), row by row, as
// the basis forms them: the stable values on the rows near the ends, the recurrence in k on the
// others; orthonormal to rounding for every N <= M.
void discreteChebyshevValues(int32_t m, int32_t n, double* values);
