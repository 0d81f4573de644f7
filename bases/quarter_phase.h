// The quarter-phase factors: the coefficient k multiplied by -i^k. The Fourier transform carries
// the Hermite function of degree k into itself times (-i)^k, so these factors turn a Hermite
// series into its own transform; the autocorrelation applies them in every basis.
#pragma once

#include <cstdint>
#include <vector>

#include "bases/basis.h"

// R + iI = minus v[0..N-1] multiplied term by term by i^k: R holds -v, 0, v, 0, ... and
// I holds 0, -v, 0, v, ... by k mod 4.
void quarterPhaseSplit(const double* v, int32_t n, std::vector<double>& r, std::vector<double>& i);

// The squared modulus of the quarter-phase transform of the series c[0..N-1] at the M mesh
// points of `basis`: the mesh into x, the power into y. The mesh is laid anew into meshX.
void quarterPhasePower(const BasisOps& basis, double left, double right, double& alpha,
                       double& beta, const double* c, int32_t n, double* meshX, int32_t m,
                       std::vector<double>& x, std::vector<double>& y);
