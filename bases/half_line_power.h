// The power spectrum of a Sonin-Laguerre series, from the closed-form Fourier transform of its
// functions on the half-line.
#pragma once

#include <cstdint>
#include <vector>

// The power of the transform of the series c[0..N-1] (on the half-line from left, scale beta,
// order alpha) at each mesh abscissa meshX[0..M-1] read as an angular frequency w: the mesh
// into x, the power into y.
void halfLineSpectrum(double left, double right, double& alpha, double& beta, const double* c,
                      int32_t n, double* meshX, int32_t m, std::vector<double>& x,
                      std::vector<double>& y);
