// Bernstein polynomials of degree N - 1 on [left, right]: the series is the sum of c[k] b_k(g)
// with b_k(g) = C(N - 1, k) g^k (1 - g)^(N - 1 - k) and g = (x - left) / (right - left). The
// coefficients are the source at N equally spaced abscissae; the mesh is M equally spaced
// abscissae from left to right.
#pragma once

#include "bases/basis.h"

extern const BasisOps bernsteinBasis;

// The series c[0..N-1] at g, any real g (outside [0, 1] the polynomial is extrapolated).
long double bernsteinSum(const double* c, int32_t n, double g);
