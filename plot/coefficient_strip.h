// The coefficient strip below the chart: the scaled coefficient magnitudes against their index
// on a logarithmic axis, the automatic cut as a vertical line and the plateau as a horizontal
// one. Plain functions over its own plot widget; the numbers come finished from the program.
#pragma once

#include <qcustomplot.h>

#include "plot/chart_parts.h"

// A white plot with a logarithmic value axis, the magnitudes as dots joined by a thin line, and
// the two marks hidden.
void setupCoefficientStrip(QCustomPlot& plot);
// Shows `view` and rescales the axes to it; magnitudes of 0 are not drawn (the axis is
// logarithmic) but keep their index.
void showCoefficientStrip(QCustomPlot& plot, const CoefficientView& view);
// What the strip shows, as it was handed over.
const CoefficientView& coefficientStripView(const QCustomPlot& plot);
