// "Evaluate" > "Fractal Dimension": the logarithm of the length of the graph of every partial
// sum of the series over the interval, against the logarithm of its number of terms, as the
// Values table. The slope of that curve is what the user reads off.
#pragma once

#include "app/window.h"
#include "app/workspace.h"

void fractalDimension(Workspace& ws, Window& window);
