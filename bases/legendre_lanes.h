// The Gauss-Legendre nodes and weights of large counts from an iteration-free expansion, many
// roots at once: every root is a closed formula in its index, so the lanes are independent.
#pragma once

#include <cstdint>

#include "bases/vector_target.h"

// The k-th largest root x_k of P_M for k = first .. last (1 <= first, last <= (M + 1) / 2) with
// its weight, written into the ascending arrays of M entries: x_k at nodes[M - k] and -x_k at
// nodes[k - 1], the weight at both places. Holds to double precision for M >= 100.
void legendreAsymptoticLanes(int32_t m, int32_t first, int32_t last, double* nodes, double* weights,
                             VectorTarget target = activeVectorTarget());
