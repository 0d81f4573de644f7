// How the chart follows the data: new samples replace what was computed from the old ones,
// and a tool's result is shown on its own scale with its axes named.
#pragma once

#include "app/window.h"
#include "app/workspace.h"
#include "tools/tool_views.h"

// After Open > Samples or Load > Mesh: the "Samples" series shows the new samples, the series
// computed from the previous samples are left empty until the next recompute, the status
// panels show their start-up texts, the axes lose their titles and the interval its marks,
// and the view fits the new samples with no zoom kept. The Workspace is not touched.
void showNewSamples(const Workspace& ws, Window& window);

// A tool's result: the "Values" series is switched on (its View item checked) and shows the
// Values table, the axes are named after the table's columns, and the view fits the series
// as one zoom step that a double click undoes.
void showToolResult(const Workspace& ws, Window& window, const AxisTitles& titles);
