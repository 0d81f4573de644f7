// The series commands of the Edit menu: they transform the coefficients of the current series,
// switch the source off so that the next recompute evaluates them instead of fitting anew,
// and recompute at once.
#pragma once

#include "app/window.h"
#include "app/workspace.h"

// "Edit" > "Differentiate": the coefficients of dS/dx in the current basis, one term more.
void differentiateSeries(Workspace& ws, Window& window);
// "Edit" > "Fejer": coefficient i of N multiplied by 1 - i / N.
void fejerSeries(Workspace& ws, Window& window);
