// Chebyshev polynomials of the second kind on the Gauss-Chebyshev points of the second kind.
// The series is S(t) = c[0] U_0(t) + c[1] U_1(t) + ... + c[N-1] U_{N-1}(t); the constant term
// is not halved.
#pragma once

#include "bases/basis.h"

extern const BasisOps chebyshev2Basis;

// The M nodes cos(i pi / (M + 1)), ascending, and their weights pi sin^2 / (M + 1), which
// integrate against sqrt(1 - t t). An odd M adds the middle node 0.
void gaussChebyshev2(double* nodes, double* weights, int32_t m);
