#include "plot/coefficient_strip.h"

#include <algorithm>
#include <cmath>

namespace {

const char* const cutName = "cut";
const char* const plateauName = "plateau";

const char* const viewName = "coefficientStripView";

// The view each strip shows, kept beside the widget for reading back. It has no meta-object
// of its own, so it is found by its name.
struct StripView : QObject {
  CoefficientView view;
};

StripView* stripViewOf(const QCustomPlot& plot) {
  return static_cast<StripView*>(plot.findChild<QObject*>(viewName, Qt::FindDirectChildrenOnly));
}

QCPItemStraightLine* mark(const QCustomPlot& plot, const char* name) {
  for (int i = 0; i < plot.itemCount(); ++i)
    if (plot.item(i)->objectName() == name) return static_cast<QCPItemStraightLine*>(plot.item(i));
  return nullptr;
}

}  // namespace

void setupCoefficientStrip(QCustomPlot& plot) {
  auto* kept = new StripView;
  kept->setObjectName(viewName);
  kept->setParent(&plot);
  plot.setBackground(Qt::white);
  plot.yAxis->setScaleType(QCPAxis::stLogarithmic);
  plot.yAxis->setTicker(QSharedPointer<QCPAxisTickerLog>::create());
  plot.yAxis->setNumberFormat("eb");
  plot.yAxis->setNumberPrecision(0);
  plot.xAxis->setLabel("Coefficient index");
  plot.yAxis->setLabel("Magnitude");
  QCPGraph* graph = plot.addGraph();
  graph->setName("Coefficients");
  graph->setPen(QPen(QColor(40, 90, 170), 1));
  graph->setLineStyle(QCPGraph::lsLine);
  graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, 3));
  graph->setAdaptiveSampling(true);
  const std::pair<const char*, QColor> marks[] = {{cutName, QColor(200, 40, 40)},
                                                  {plateauName, QColor(230, 140, 0)}};
  for (const auto& [name, colour] : marks) {
    auto* line = new QCPItemStraightLine(&plot);
    line->setObjectName(name);
    line->setPen(QPen(colour, 1, Qt::DashLine));
    line->setSelectable(false);
    line->setVisible(false);
  }
}

void showCoefficientStrip(QCustomPlot& plot, const CoefficientView& view) {
  stripViewOf(plot)->view = view;
  auto data = QSharedPointer<QCPGraphDataContainer>::create();
  QVector<QCPGraphData> points;
  points.reserve(static_cast<int>(view.magnitudes.size()));
  double low = INFINITY, high = 0;
  for (size_t k = 0; k < view.magnitudes.size(); ++k) {
    const double v = view.magnitudes[k];
    if (!(v > 0) || !std::isfinite(v)) continue;
    points.append(QCPGraphData(double(k), v));
    low = std::min(low, v), high = std::max(high, v);
  }
  data->set(points, true);
  plot.graph(0)->setData(data);

  QCPItemStraightLine* cut = mark(plot, cutName);
  cut->setVisible(view.cut >= 0);
  // The line stands between the last kept index and the first dropped one.
  const double at = view.cut - 0.5;
  cut->point1->setCoords(at, 1), cut->point2->setCoords(at, 2);
  QCPItemStraightLine* plateau = mark(plot, plateauName);
  plateau->setVisible(view.plateau > 0);
  plateau->point1->setCoords(0, view.plateau), plateau->point2->setCoords(1, view.plateau);

  if (view.plateau > 0) low = std::min(low, view.plateau), high = std::max(high, view.plateau);
  if (high > 0) {
    plot.yAxis->setRange(low / 2, high * 2);
    plot.xAxis->setRange(-0.5, std::max<double>(1, view.magnitudes.size()) - 0.5);
  } else {
    plot.yAxis->setRange(1e-16, 1);
    plot.xAxis->setRange(0, 1);
  }
  plot.replot();
}

const CoefficientView& coefficientStripView(const QCustomPlot& plot) {
  return stripViewOf(plot)->view;
}
