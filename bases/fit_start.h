// The opening of every basis's fitting step.
#pragma once

#include <cstdint>

#include "bases/basis.h"
#include "bases/progress_blocks.h"

// Samples the source at meshX[0..M-1] in ascending order when one is given (otherwise the
// caller's sourceValues stand) and clears c[0..N-1].
inline void startFit(const SourceFn& source, const double* meshX, double* sourceValues, int32_t m,
                     double* c, int32_t n) {
  if (source) {
    // A source may be slow (a long table searched per point): its sampling reports.
    BlockProgress progress(m, 64);
    for (int32_t i = 0; i < m; ++i) {
      progress.at(i);
      sourceValues[i] = static_cast<double>(source(meshX[i]));
    }
  }
  for (int32_t j = 0; j < n; ++j)
    c[j] = 0.0;
}
