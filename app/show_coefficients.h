// Showing a coefficient vector that a command made (a file, a derivative, a Fejer sum): the
// series of those coefficients, with no source, evaluated by the recompute cycle.
#pragma once

#include <vector>

#include "app/window.h"
#include "app/workspace.h"

// Holds `c` as the coefficients with termCount terms, selects the source "None" and
// recomputes. False when the recompute is refused; the long command that runs this then takes
// the coefficients, the counts and the source back.
bool showCoefficients(Workspace& ws, Window& window, std::vector<double> c, int32_t termCount);
