// The chart layer: plain functions over the plot widget that draw the five series. No
// computation happens here; the program hands over finished tables.
#pragma once

#include <qcustomplot.h>
#include <QString>

#include "app/window.h"

// What the chart shows: the two axis ranges.
struct ChartView {
  QCPRange x;
  QCPRange y;
};

// White background, axes at the bottom and left with grids, legend hidden, rectangle and
// wheel zoom, and the five series in their order with their titles, colours and widths.
void setupChart(QCustomPlot& plot);

QCPGraph* chartSeries(QCustomPlot& plot, SeriesId series);

// Replaces a series' points, keeping them in ascending order of abscissa, and repaints.
// The axes follow the data unless `keepView` is set (a zoomed view stays as it is).
void fillChartSeries(QCustomPlot& plot, SeriesId series, const double* x, const double* y,
                     int32_t n, bool keepView);

ChartView currentView(const QCustomPlot& plot);
void showView(QCustomPlot& plot, const ChartView& view);
// Scales both axes to the shown series.
void autoScale(QCustomPlot& plot);

// The abscissa under a pixel column, in the scale of the "Samples" series.
double abscissaAtPixel(QCustomPlot& plot, double pixelX);

// Writes the chart as a BMP file; false when it cannot be written.
bool saveChartBmp(QCustomPlot& plot, const QString& path);
