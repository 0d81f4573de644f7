// The opening of every basis's fitting step.
#pragma once

#include <cstdint>

#include "bases/basis.h"

// Samples the source at meshX[0..M-1] in ascending order when one is given (otherwise the
// caller's sourceValues stand) and clears c[0..N-1].
inline void startFit(const SourceFn& source, const double* meshX, double* sourceValues,
                     int32_t m, double* c, int32_t n) {
  if (source)
    for (int32_t i = 0; i < m; ++i) sourceValues[i] = static_cast<double>(source(meshX[i]));
  for (int32_t j = 0; j < n; ++j) c[j] = 0.0;
}
