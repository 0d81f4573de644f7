// Fourier polynomials over one period: the interval [left, right] is the angle [-pi, pi].
// The series is S = c[0]/2 + sum_k (c[2k] cos(k theta) + c[2k-1] sin(k theta)), taking only
// the entries below N.
#pragma once

#include "bases/basis.h"

extern const BasisOps fourierBasis;

// The M cell midpoints (2k + 1 - M) pi / M of [-pi, pi], ascending, with unit weights.
void fourierAngles(double* nodes, double* weights, int32_t m);
