// The View menu: showing and hiding the five chart series, the grids, the legend, the line
// widths and the axis directions. Each command keeps the item's check mark in step with the
// chart as the menu describes it.
#pragma once

#include "app/window.h"

// The View menu item that shows or hides a series, e.g. "View > Analytic".
const char* seriesMenuItem(SeriesId series);

// F1..F5: inverts the item's check mark, then shows the series exactly when it is checked.
void toggleSeries(Window& window, SeriesId series);
// F6, "Coefficients": inverts the check mark; the coefficient strip below the chart is shown
// exactly while it is checked.
void toggleCoefficientView(Window& window);
// "All together": checks all five items and shows all five series.
void showAllSeries(Window& window);
// "Grid on Abscissa" / "Grid on Ordinate": inverts the grid and the check mark, each on its own.
void toggleGrid(Window& window, ChartFlag grid);
// "Legend": inverts the legend; the check mark then shows whether it is visible.
void toggleLegend(Window& window);
// "Thickness +" / "Thickness -": the series' line width plus or minus 1 (never below 0).
void changeThickness(Window& window, SeriesId series, int step);
// "Invert Abscissa" / "Invert Ordinate": reverses the axis; the check mark shows the direction.
void invertAxis(Window& window, ChartFlag direction);
// "Logarithmic Ordinate": switches the value axis between linear and logarithmic; the check
// mark shows which. Points at or below 0 are left out of the drawing, not out of the tables.
void toggleLogarithmicOrdinate(Window& window);
