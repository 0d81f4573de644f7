// The Bernstein sum at many abscissae at once: one lane per abscissa, the terms walked from the
// end whose base is the larger of g and 1 - g.
#pragma once

#include <cstdint>

#include "bases/vector_target.h"

// The largest term count the walk takes. With the powers scaled by 2^(N/2), the start term
// (1 - s)^(N-1), at least 2^-(N/2), and the binomial coefficients, at most 2^(N-1), stay normal
// doubles up to N = 2045, but near there the start term's rounding error, carried beside it,
// falls out of their range: measured, the errors reach 2e-16 of the largest coefficient at
// N = 2040, 4e-16 at 2044 and 2e-15 at 2045.
constexpr int32_t bernsteinWalkMaxTerms = 2040;
// The walk takes this many terms per step; its coefficient table is padded with zeros to a
// multiple of it.
constexpr int32_t bernsteinWalkStride = 8;

// The tables of one walk over N terms, each of N entries, in walk order k = 0 .. N-1. With
// B_k = C(N-1, k) and powers of two 2^-E (for the coefficients' size) and 2^-G (G = N / 2,
// which keeps every product in range):
struct BernsteinWalk {
  const double* terms;      // c_k B_k 2^-(E+G), c_k the coefficient the walk meets at k; padded
  const double* binomials;  // B_k 2^-G
  const double* steps;      // (N-1-k) / (k+1), the binomials' ratios
  int32_t n;
  double scale;  // 2^E
};

// On entry values[i] holds s_i = min(g_i, 1 - g_i) in [0, 1/2]; on return, the series
// sum_k c_k B_k s^k (1 - s)^(N-1-k). Needs 1 <= N <= bernsteinWalkMaxTerms.
void bernsteinWalkLanes(const BernsteinWalk& walk, double* values, int32_t count,
                        VectorTarget target = activeVectorTarget());
