#include "plot/chart.h"

#include <algorithm>

namespace {

struct SeriesStyle {
  SeriesId id;
  const char* title;
  QColor colour;
  int width;
  bool visible;
};

// In the chart's series order: Series1, Series4, Series2, Series3, Series5. The baseline has
// no title of its own; the legend names it "Baseline".
const SeriesStyle seriesStyles[] = {
    {SeriesId::Samples, "Samples", Qt::black, 1, true},
    {SeriesId::Source, "Source", Qt::blue, 1, false},
    {SeriesId::Analytic, "Analytic", Qt::red, 0, true},
    {SeriesId::Values, "Values", Qt::darkGreen, 1, true},
    {SeriesId::Baseline, "Baseline", QColor(243, 156, 53), 1, true},
};

int orderOf(SeriesId id) {
  for (int i = 0; i < 5; ++i)
    if (seriesStyles[i].id == id) return i;
  return 0;
}

}  // namespace

void setupChart(QCustomPlot& plot) {
  plot.setBackground(Qt::white);
  plot.axisRect()->setMargins(QMargins(0, 3, 0, 0));
  plot.axisRect()->setAutoMargins(QCP::msLeft | QCP::msBottom | QCP::msRight);
  plot.xAxis->grid()->setVisible(true);
  plot.yAxis->grid()->setVisible(true);
  plot.legend->setVisible(false);
  plot.legend->setBorderPen(Qt::NoPen);
  plot.setInteractions(QCP::iRangeZoom);
  plot.setSelectionRectMode(QCP::srmZoom);
  plot.setNoAntialiasingOnDrag(true);
  for (const SeriesStyle& style : seriesStyles) {
    QCPGraph* graph = plot.addGraph();
    graph->setName(style.title);
    graph->setPen(QPen(style.colour, style.width));
    graph->setLineStyle(QCPGraph::lsLine);
    graph->setScatterStyle(QCPScatterStyle::ssNone);
    graph->setAdaptiveSampling(true);
    graph->setVisible(style.visible);
  }
}

QCPGraph* chartSeries(QCustomPlot& plot, SeriesId series) {
  return plot.graph(orderOf(series));
}

void fillChartSeries(QCustomPlot& plot, SeriesId series, const double* x, const double* y,
                     int32_t n, bool keepView) {
  QVector<QCPGraphData> points(std::max(n, 0));
  for (int32_t i = 0; i < n; ++i)
    points[i] = QCPGraphData(x[i], y[i]);
  const bool sorted = std::is_sorted(x, x + std::max(n, 0));
  chartSeries(plot, series)->data()->set(points, sorted);
  if (!keepView) autoScale(plot);
  plot.replot(QCustomPlot::rpImmediateRefresh);
}

ChartView currentView(const QCustomPlot& plot) {
  return {plot.xAxis->range(), plot.yAxis->range()};
}

void showView(QCustomPlot& plot, const ChartView& view) {
  plot.xAxis->setRange(view.x);
  plot.yAxis->setRange(view.y);
  plot.replot();
}

void autoScale(QCustomPlot& plot) {
  plot.rescaleAxes(true);
  plot.replot();
}

double abscissaAtPixel(QCustomPlot& plot, double pixelX) {
  return chartSeries(plot, SeriesId::Samples)->keyAxis()->pixelToCoord(pixelX);
}

bool saveChartBmp(QCustomPlot& plot, const QString& path) {
  return plot.saveBmp(path);
}
