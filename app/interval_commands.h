// Step-wise changes of the approximation without typing: beta scaled by one per cent, the
// interval moved by one per cent of its width, one term more or fewer, each followed by a
// recompute; and the interval mouse mode, in which clicks on the chart pick the interval ends.
#pragma once

#include "app/window.h"
#include "app/workspace.h"

// "Edit > Broaden": beta := beta * 0.99, then recompute.
void broaden(Workspace& ws, Window& window);
// "Edit > Narrow": beta := beta * 1.01, then recompute.
void narrow(Workspace& ws, Window& window);
// "Edit > Move Left": both ends move left by 1 % of the width, then recompute.
void moveLeft(Workspace& ws, Window& window);
// "Edit > Move Right": both ends move right by 1 % of the width, then recompute.
void moveRight(Workspace& ws, Window& window);
// "Edit > Insert term": one term more, then recompute (which settles the count). With automatic
// terms in effect, Automatic Terms is unchecked first and the step counts from the chosen count.
void insertTerm(Workspace& ws, Window& window);
// "Edit > Delete term": one term fewer, then recompute (which settles the count); as Insert term
// with automatic terms in effect.
void deleteTerm(Workspace& ws, Window& window);

// "Edit > Automatic Terms": inverts the check mark; no recompute. While it is checked the
// recompute chooses the term count and the term box is read-only; unchecked, the box is editable
// with the last count. A basis whose coefficients do not decay (Bernstein) answers "Sorry, This
// method is unavailable under current basis" and the item stays unchecked.
void toggleAutomaticTerms(const Workspace& ws, Window& window);
// After the basis changed: one whose coefficients do not decay unchecks "Automatic Terms".
void keepAutomaticTermsUsable(const Workspace& ws, Window& window);

// "Edit > Interval": toggles between the interval and the zoom mouse mode; no recompute.
void toggleMouseMode(Window& window);

enum class IntervalEnd { Left, Right };

// A click (left end) or right click (right end) at abscissa x on the chart. In the interval
// mouse mode the interval box is read into the Workspace, the end is set to x and the box
// shows the new interval; nothing is recomputed. In the zoom mouse mode nothing happens.
void pickIntervalEnd(Workspace& ws, Window& window, IntervalEnd end, double x);
