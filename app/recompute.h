// The recompute cycle behind "Apply": settles the parameters, builds the Values table and
// baseline, fits and evaluates the series, measures it and shows everything.
#pragma once

#include "app/window.h"
#include "app/workspace.h"

// Reads the five input boxes into the Workspace, then recomputes. Counts too large for the
// memory leave the Workspace as it was.
void applyInputs(Workspace& ws, Window& window);

// Brings every derived field, series, box and panel up to date. Returns false, with a
// message and the Workspace untouched, when the counts need more memory than is free.
bool recompute(Workspace& ws, Window& window);

// True when the recompute chooses the term count itself: Automatic Terms is checked, a source
// is current and the basis's coefficients decay.
bool automaticTermsInEffect(const Workspace& ws, const Window& window);

// Status panel 3's text for the current mouse mode.
const char* mouseModeText(const Window& window);
