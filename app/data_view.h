// How the chart follows the data: new samples replace what was computed from the old ones,
// and a tool's result is shown on its own scale.
#pragma once

#include "app/window.h"
#include "app/workspace.h"

// After Open > Samples or Load > Mesh: the "Samples" series shows the new samples, the series
// computed from the previous samples are left empty until the next recompute, and the view
// fits the new samples with no zoom kept. The Workspace is not touched.
void showNewSamples(const Workspace& ws, Window& window);

// A tool's result: the "Values" series shows the Values table, and the view fits it as one
// zoom step that a double click undoes.
void showToolResult(const Workspace& ws, Window& window);
