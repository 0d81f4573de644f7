// "Evaluate" > "Fractal Dimension": the logarithm of the length of the graph of every partial
// sum of the series over the interval, against the logarithm of its number of terms. The slope
// of that curve is what the user reads off.
#pragma once

#include "tools/tool_views.h"

// N entries (ln(i + 1), ln(length of the partial sum of i + 1 terms)) for i = 0 .. N - 1.
ValuesTable fractalDimension(const SeriesView& series);
