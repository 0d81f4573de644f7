// What a tool may read of the series that the last recompute left behind.
#pragma once

#include <cstdint>

#include "app/workspace.h"

struct LastSeries {
  int32_t termCount;  // terms backed by held coefficients
  int32_t meshCount;  // mesh entries the last recompute wrote
};

// The term count and mesh count a tool may use. They equal termCount and meshCount after a
// recompute; before the first one, or after a command that changed the counts without
// recomputing (the mesh generator), they shrink to what the buffers actually hold.
LastSeries lastSeries(const Workspace& ws);
