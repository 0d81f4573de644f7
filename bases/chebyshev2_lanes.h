// The Gauss nodes and weights of the Chebyshev polynomials of the second kind from their closed
// form, many at once.
#pragma once

#include <cstdint>

#include "bases/vector_target.h"

// The M nodes cos(pi i / (M + 1)), i = M .. 1, ascending, and their weights
// pi sin^2(pi i / (M + 1)) / (M + 1); an odd M has the middle node 0 exactly.
void chebyshev2NodesLanes(int32_t m, double* nodes, double* weights,
                          VectorTarget target = activeVectorTarget());
