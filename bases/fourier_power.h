// The power spectrum of a Fourier series: one entry per harmonic.
#pragma once

#include <cstdint>
#include <vector>

// Entry k (k = 0 .. (N - 1) / 2) is harmonic k: its angular frequency k w0, w0 = 2 pi /
// (right - left), and its power, the squares of its sine and cosine coefficients times w0
// squared; the constant's entry is c[0] squared, not scaled. A trailing sine coefficient
// without its cosine partner (even N) does not enter. The mesh is not used.
void fourierSpectrum(double left, double right, double& alpha, double& beta, const double* c,
                     int32_t n, double* meshX, int32_t m, std::vector<double>& x,
                     std::vector<double>& y);
