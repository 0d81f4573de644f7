// Legendre polynomials on the Gauss-Legendre nodes. The series is S(t) = sum c[k] P_k(t).
#pragma once

#include "bases/basis.h"

extern const BasisOps legendreBasis;

// The M Gauss-Legendre nodes on [-1, 1], ascending, and their weights (summing to 2). An odd
// M adds the middle node 0.
void gaussLegendre(double* nodes, double* weights, int32_t m);
// P_n(t) by the three-term recurrence, each value rounded to a double; 1 for n below 1.
double legendreValue(int32_t n, double t);
