// Jacobi polynomials P_k^(alpha,beta)(t) on Gauss-Jacobi nodes, orthogonal on [-1, 1] with the
// weight (1 - t)^alpha (1 + t)^beta. The series is S(t) = c[0] P_0(t) + ... + c[N-1] P_{N-1}(t)
// with the standard normalisation P_k(1) = binomial(k + alpha, k).
#pragma once

#include "bases/basis.h"

extern const BasisOps jacobiBasis;

// The n roots of P_n^(alpha,beta), ascending, and their Gauss-Jacobi weights.
void gaussJacobi(double* nodes, double* weights, int32_t n, double alpha, double beta);
