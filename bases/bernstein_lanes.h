// The Bernstein sum at many abscissae at once: one lane per abscissa, the terms walked from the
// end whose base is the larger of g and 1 - g.
#pragma once

#include <cstdint>

// The largest term count the walk takes: below it the walk's start term, at least 2^-(N-1),
// and every binomial coefficient, at most 2^(N-1), stay normal doubles.
constexpr int32_t bernsteinWalkMaxTerms = 1023;
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
void bernsteinWalkLanes(const BernsteinWalk& walk, double* values, int32_t count);
