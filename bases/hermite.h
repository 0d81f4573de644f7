// Hermite functions psi_k(t) = H_k(t) exp(-t t / 2) / sqrt(2^k k! sqrt(pi)) on the whole line,
// in the variable t = (x - mid) beta. The series is c[0] psi_0(t) + ... + c[N-1] psi_{N-1}(t).
#pragma once

#include "bases/basis.h"

extern const BasisOps hermiteBasis;

// psi_0(t) .. psi_{n-1}(t) into out[0..n-1], by the ascending recurrence.
void hermiteFunctions(int32_t n, double t, double* out);
// The non-negative roots of psi_M, ascending, and their weights for functions that carry the
// Gaussian factor. Even M: the M/2 positive roots. Odd M: the middle root 0 first, then the
// M/2 positive roots. The other entries are left alone.
void gaussHermite(double* nodes, double* weights, int32_t m);
