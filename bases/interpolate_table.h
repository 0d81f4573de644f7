// Linear interpolation in a table of (x, y) points, exactly 0 outside [x[0], x[n-1]].
#pragma once

#include <cstdint>

// Abscissae (non-decreasing), ordinates, count, abscissa. An empty table gives 0.
long double interpolateTable(const double* x, const double* y, int32_t n, double t);
