// The series commands of the Edit menu: they transform the coefficients of the current series,
// switch the source off so that the next recompute evaluates them instead of fitting anew,
// and recompute at once. Each expects a computed series and returns false when the recompute
// refused the counts (the previous series and source are then back).
#pragma once

#include "app/window.h"
#include "app/workspace.h"

// "Edit" > "Differentiate": the coefficients of dS/dx in the current basis, one term more.
bool differentiateSeries(Workspace& ws, Window& window);
// "Edit" > "Fejer": coefficient i of N multiplied by 1 - i / N.
bool fejerSeries(Workspace& ws, Window& window);
