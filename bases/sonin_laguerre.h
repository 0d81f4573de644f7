// Sonin-Laguerre functions phi_k(t) = t^(alpha/2) e^(-t/2) L_k^(alpha)(t) on the half-line,
// laid onto the abscissa axis from the interval's left end: t = beta (x - left). alpha is the
// order, beta the scale; fit corrects both when they are out of range.
// The series is S(t) = c[0] phi_0(t) + ... + c[N-1] phi_{N-1}(t).
#pragma once

#include "bases/basis.h"

extern const BasisOps soninLaguerreBasis;

// phi_n(t) for t > 0, with a running binary exponent so that nothing overflows.
long double laguerreFunction(int32_t n, double t, double alpha);
// out[k] = phi_k(t) for k = 0 .. n - 1 in one pass.
void laguerreFunctions(int32_t n, double t, double alpha, double* out);
// The n roots of phi_n, ascending, and the Gauss-Laguerre weights times e^t t^(-alpha).
void gaussLaguerre(double* nodes, double* weights, int32_t n, double alpha);
