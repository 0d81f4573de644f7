// The discrete Chebyshev polynomials by their recurrence in the degree, one position per lane.
// The recurrence runs in the scaled form q_k = rise[k] u q_{k-1} - q_{k-2} with q_{-1} = 0,
// q_0 = 1 / sqrt(M) and phi_k = scale[k] q_k, where u = 2s - M + 1 is the centred position.
// Both kernels take positions in whole blocks of discreteChebyshevBlock: a caller pads its
// ragged tail (u = 0 and weight 0 are neutral).
#pragma once

#include <cstdint>

#include "bases/vector_target.h"

struct FunctionTable;

constexpr int32_t discreteChebyshevBlock = 32;

// sums[k] = sum over i < count of phi_k(u[i]) w_k[i], k < n, where w_k is even[] for even k and
// odd[] for odd k (the mirrored pair's sum and difference). count is a multiple of the block.
void discreteChebyshevProject(const double* u, const double* even, const double* odd, int32_t count,
                              const double* rise, const double* scale, double q0, int32_t n,
                              double* sums, VectorTarget target = activeVectorTarget());

// The series c[0..n-1] at the positions u[0..count-1], split into its even-degree and
// odd-degree parts (the series at -u is even - odd). count is a multiple of the block.
void discreteChebyshevSeries(const double* u, int32_t count, const double* c, const double* rise,
                             const double* scale, double q0, int32_t n, double* even, double* odd,
                             VectorTarget target = activeVectorTarget());

// table.row(k)[column + i] = phi_k(u[i]) for i < count and k < table.n, for the blocked product
// of many rows; column + count is at most tableWidth.
void discreteChebyshevTable(const double* u, int32_t count, const double* rise, const double* scale,
                            double q0, FunctionTable& table, int32_t column,
                            VectorTarget target = activeVectorTarget());
