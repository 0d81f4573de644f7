// Stand-in operations for the bases that are not built yet: the mesh stays unwritten and
// every result is 0. Each basis replaces its row of the table when it lands.
#pragma once

#include "bases/basis.h"

extern const BasisOps pendingBasis;
