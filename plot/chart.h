// The chart layer: plain functions over the plot widget that draw the five series. No
// computation happens here; the program hands over finished tables.
#pragma once

#include <qcustomplot.h>
#include <QString>
#include <string>

#include "plot/chart_parts.h"

// What the chart shows: the two axis ranges.
struct ChartView {
  QCPRange x;
  QCPRange y;
};

// White background, axes at the bottom and left with grids, a frameless legend (hidden), wheel
// zoom, and the five series in their order with their titles, colours and widths.
void setupChart(QCustomPlot& plot);

QCPGraph* chartSeries(QCustomPlot& plot, SeriesId series);

// Replaces a series' points, keeping them in ascending order of abscissa (points with equal
// abscissae stay in the order given), and repaints at once. The axes follow the data unless
// `keepView` is set (a zoomed view stays as it is). False, with the series left empty, when
// the memory for the points cannot be had.
bool fillChartSeries(QCustomPlot& plot, SeriesId series, const double* x, const double* y,
                     int32_t n, bool keepView);

void setChartSeriesShown(QCustomPlot& plot, SeriesId series, bool shown);
int chartSeriesWidth(QCustomPlot& plot, SeriesId series);
// A width below 0 is refused.
void setChartSeriesWidth(QCustomPlot& plot, SeriesId series, int width);
bool chartFlagOf(const QCustomPlot& plot, ChartFlag flag);
void setChartFlagOf(QCustomPlot& plot, ChartFlag flag, bool on);

ChartView currentView(const QCustomPlot& plot);
void showView(QCustomPlot& plot, const ChartView& view);
// Scales both axes to the shown series.
void autoScale(QCustomPlot& plot);
// The view that autoScale would show, leaving the chart as it is.
ChartView automaticView(QCustomPlot& plot);
// The smallest ranges holding every point of the shown series that the axes can show (on a
// logarithmic value axis, the positive values); false when there is none.
bool dataBounds(QCustomPlot& plot, ChartView& bounds);
// The same for one series, shown or not.
bool seriesBounds(QCustomPlot& plot, SeriesId series, ChartView& bounds);
// The range of the values the shown series take at abscissae inside `keys`; false when none.
bool valueBoundsWithin(QCustomPlot& plot, const QCPRange& keys, QCPRange& values);

// The axes' titles; empty for none.
void setAxisTitlesOf(QCustomPlot& plot, const QString& abscissa, const QString& ordinate);
QString abscissaTitle(const QCustomPlot& plot);
QString ordinateTitle(const QCustomPlot& plot);

// Two thin vertical lines at the ends of the interval of approximation, or none.
struct IntervalMarks {
  bool shown = false;
  double left = 0.0, right = 0.0;
};
void setIntervalMarks(QCustomPlot& plot, const IntervalMarks& marks);
IntervalMarks intervalMarksOf(QCustomPlot& plot);

// The widget takes coordinates below 1e250 in size only: an axis whose data reach further is
// drawn in units of a power of ten, its tick labels multiplied back. The ranges of ChartView,
// the zoom and the widget's axes are in those units; the series' points, the interval marks
// and abscissaAtPixel are not. Follows the data of every series, shown or not.
void refreshDrawingScales(QCustomPlot& plot);
// The power of ten an axis is drawn in (1 for data of ordinary size).
double axisScale(const QCustomPlot& plot, bool abscissa);
// `view` shifted, its size kept, so that it lies inside `data`; a view larger than the data
// is shifted so that it holds all of the data.
QCPRange keptInside(const QCPRange& view, const QCPRange& data);

// The abscissa under a pixel column, in the scale of the "Samples" series.
double abscissaAtPixel(QCustomPlot& plot, double pixelX);

// The chart at its size on screen as the bytes of a BMP or PNG file at 96 dots per inch, or
// of a one-page PDF file of the same size in vector form; empty when it cannot be rendered.
std::string chartPictureBytes(QCustomPlot& plot, PictureFormat format);
