// The one way the tools run against the Workspace and the window: the check that a series
// exists, the long command with its name and clock, the busy indicator, and the tool's table
// put in place of the Values table and shown. The tools themselves only compute.
#pragma once

#include <optional>

#include "app/window.h"
#include "app/workspace.h"
#include "tools/tool_views.h"

using SeriesTool = ValuesTable (*)(const SeriesView& series);
// A tool that not every basis offers: no table under a basis without it.
using BasisTool = std::optional<ValuesTable> (*)(const SeriesView& series);
using SamplesTool = ValuesTable (*)(const SamplesView& samples);
// Commands that drive the recompute cycle themselves; false (or no table) when a recompute
// refused the counts, which it has said.
using RecomputingCommand = bool (*)(Workspace& ws, Window& window);
using RecomputingTool = std::optional<ValuesTable> (*)(Workspace& ws, Window& window);

// A tool of the series: without a computed series the user is told to apply first; otherwise
// it runs as the long command `name` under the busy indicator.
void runSeriesTool(Workspace& ws, Window& window, const char* name, SeriesTool tool);
// The same for a tool the current basis may not offer: then the user is told so, and the
// "Values" series shows the Values table as it is.
void runSeriesTool(Workspace& ws, Window& window, const char* name, BasisTool tool);

// A tool of the samples, as the long command `name`; it needs no series (one not computed yet
// counts as 0) and shows no busy indicator.
void runSamplesTool(Workspace& ws, Window& window, const char* name, SamplesTool tool);
// A tool of the samples quick enough to run without reports.
void showSamplesTool(Workspace& ws, Window& window, SamplesTool tool);

// A command that replaces the series and recomputes (Differentiate, Fejer): without a
// computed series the user is told to apply first; otherwise it runs as the long command
// `name`, which a refused recompute takes back. The view then fits the new "Analytic" series.
void runSeriesCommand(Workspace& ws, Window& window, const char* name, RecomputingCommand command);

// A command that runs the recompute cycle many times (the scans, Score), as the long command
// `name` timed as a whole; a table it returns becomes the Values table. A refused recompute
// takes the whole command back.
void runRecomputingTool(Workspace& ws, Window& window, const char* name, RecomputingTool tool);
void runRecomputingTool(Workspace& ws, Window& window, const char* name,
                        RecomputingCommand command);

// The message shown when a tool needs a series and there is none yet.
extern const char* const noSeriesMessage;
// The message shown when the current basis does not offer a tool.
extern const char* const unavailableMessage;
