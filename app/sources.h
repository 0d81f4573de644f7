// The three sources the series can approximate, and their selection in the Source menu.
#pragma once

#include "app/window.h"
#include "app/workspace.h"

// The samples joined by straight lines, 0 outside their range.
SourceFn samplesSource(const Workspace& ws);
// The Values table joined by straight lines, 0 outside its range (and when it is empty).
SourceFn valuesSource(const Workspace& ws);
// The sine of x.
SourceFn builtinSource();

// The Source menu item of a kind, e.g. "Source > Built-in function".
const char* sourceMenuItem(SourceKind kind);

// Checks the kind's item alone and makes it the current source; nothing else changes.
void selectSource(Workspace& ws, Window& window, SourceKind kind);
