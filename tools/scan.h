// "Tools" > "Scan": runs the recompute cycle with alpha, beta or both varied and collects the
// fit figure of each run (smaller is better). Each returns nothing (or false) when a recompute
// refused the counts, which it has said.
#pragma once

#include <optional>

#include "app/window.h"
#include "app/workspace.h"
#include "tools/tool_views.h"

// "Scan" > "Alpha" or "Beta": ten runs from p / 2 to 2 p in nine equal steps, where p is
// alpha or beta; the curve (value, fit figure) is the result. The parameter is left one step
// beyond the last value scanned, while the boxes show the last run.
std::optional<ValuesTable> scanAlpha(Workspace& ws, Window& window);
std::optional<ValuesTable> scanBeta(Workspace& ws, Window& window);

// "Scan" > "Both": ten by ten runs over alpha (outer) and beta (inner), each from half to
// twice its value; the pair with the smallest figure is set and recomputed. When no run gives
// a figure below 1, the starting pair is kept.
bool scanBoth(Workspace& ws, Window& window);
