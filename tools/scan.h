// "Tools" > "Scan": runs the recompute cycle with alpha, beta or both varied and collects the
// fit figure of each run (smaller is better).
#pragma once

#include "app/window.h"
#include "app/workspace.h"

// "Scan" > "Alpha" or "Beta": ten runs from p / 2 to 2 p in nine equal steps, where p is
// ws.*parameter; the curve (value, fit figure) becomes the Values table. The parameter is
// left one step beyond the last value scanned, while the boxes show the last run.
void scanParameter(Workspace& ws, Window& window, double Workspace::*parameter);

// "Scan" > "Both": ten by ten runs over alpha (outer) and beta (inner), each from half to
// twice its value; the pair with the smallest figure is set and recomputed. When no run gives
// a figure below 1, the starting pair is kept.
void scanBoth(Workspace& ws, Window& window);
