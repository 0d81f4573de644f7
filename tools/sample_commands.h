// The sample commands of the Edit menu: each builds a new Values table from the samples and
// shows it in the "Values" series. The samples, the coefficients, the boxes and the source
// selection stay as they are; nothing is recomputed.
#pragma once

#include "app/window.h"
#include "app/workspace.h"

// "Edit" > "Drop Outside": the samples with left <= x <= right.
void dropOutside(Workspace& ws, Window& window);
// "Edit" > "Drop Inside": the samples with x <= left or x >= right. With right < left the two
// runs overlap and the samples between right and left appear twice.
void dropInside(Workspace& ws, Window& window);
// "Edit" > "Sample": the series S at every sample abscissa.
void sampleSeries(Workspace& ws, Window& window);
// "Edit" > "Add": S(x) + y at every sample.
void addSeries(Workspace& ws, Window& window);
// "Edit" > "Subtract": y - S(x) at every sample.
void subtractSeries(Workspace& ws, Window& window);
