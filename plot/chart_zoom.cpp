#include "plot/chart_zoom.h"

#include <algorithm>
#include <cmath>

namespace {

// Pixels the pointer may move between press and release and still count as a click.
constexpr int clickSlack = 3;
constexpr int animationMs = 180;

QCPRange between(const QCPRange& a, const QCPRange& b, double t) {
  return QCPRange(a.lower + (b.lower - a.lower) * t, a.upper + (b.upper - a.upper) * t);
}

// A range with room around a single value, which has none of its own.
QCPRange spanOf(const QCPRange& range) {
  if (range.size() > 0) return range;
  const double room = std::max(std::fabs(range.lower) * 0.05, 0.5);
  return QCPRange(range.lower - room, range.upper + room);
}

QCPRange coordinates(const QCPAxis* axis, double pixelA, double pixelB) {
  const double a = axis->pixelToCoord(pixelA), b = axis->pixelToCoord(pixelB);
  return QCPRange(std::min(a, b), std::max(a, b));
}

}  // namespace

ChartZoom::ChartZoom(QCustomPlot& chart) : plot(chart) {
  plot.setSelectionRectMode(QCP::srmCustom);
  connect(plot.selectionRect(), &QCPSelectionRect::accepted, this,
          [this](const QRect& rect, QMouseEvent* release) {
            if (release->button() == Qt::LeftButton) zoomToRect(rect.topLeft(), rect.bottomRight());
          });
  connect(&plot, &QCustomPlot::mousePress, this, &ChartZoom::onPress);
  connect(&plot, &QCustomPlot::mouseMove, this, &ChartZoom::onMove);
  connect(&plot, &QCustomPlot::mouseWheel, this, [this] {
    settle();
    moved = true;
  });

  animation.setStartValue(0.0);
  animation.setEndValue(1.0);
  animation.setDuration(animationMs);
  animation.setEasingCurve(QEasingCurve::OutCubic);
  connect(&animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
    const double t = value.toDouble();
    plot.xAxis->setRange(between(from.x, to.x, t));
    plot.yAxis->setRange(between(from.y, to.y, t));
    plot.replot(QCustomPlot::rpQueuedReplot);
  });
  connect(&animation, &QVariantAnimation::finished, this, [this] { showView(plot, to); });
}

void ChartZoom::zoomToRect(QPoint corner, QPoint oppositeCorner) {
  if (std::abs(corner.x() - oppositeCorner.x()) < 2 ||
      std::abs(corner.y() - oppositeCorner.y()) < 2)
    return;  // a line, not a rectangle
  const ChartView zoomed{coordinates(plot.xAxis, corner.x(), oppositeCorner.x()),
                         coordinates(plot.yAxis, corner.y(), oppositeCorner.y())};
  if (!QCPRange::validRange(zoomed.x) || !QCPRange::validRange(zoomed.y)) return;
  steps.push_back(targetView());
  moveTo(zoomed);
}

void ChartZoom::undo() {
  if (seriesStep >= static_cast<int>(steps.size()) - 1) seriesStep = -1;
  if (steps.empty()) {
    moved = false;
    moveTo(automaticView(plot));
    return;
  }
  const ChartView before = steps.back();
  steps.pop_back();
  if (steps.empty()) {
    moved = false;
    moveTo(automaticView(plot));
  } else {
    moveTo(before);
  }
}

void ChartZoom::pan(QPoint fromPixel, QPoint toPixel) {
  settle();
  ChartView bounds;
  if (!dataBounds(plot, bounds)) return;
  const double dx = plot.xAxis->pixelToCoord(fromPixel.x()) - plot.xAxis->pixelToCoord(toPixel.x());
  const double dy = plot.yAxis->pixelToCoord(fromPixel.y()) - plot.yAxis->pixelToCoord(toPixel.y());
  const QCPRange x = plot.xAxis->range(), y = plot.yAxis->range();
  plot.xAxis->setRange(keptInside(QCPRange(x.lower + dx, x.upper + dx), bounds.x));
  plot.yAxis->setRange(keptInside(QCPRange(y.lower + dy, y.upper + dy), bounds.y));
  moved = true;
  plot.replot(QCustomPlot::rpQueuedReplot);
}

void ChartZoom::followData() {
  if (!isAutomatic()) return;
  animation.stop();
  autoScale(plot);
}

void ChartZoom::reset() {
  animation.stop();
  steps.clear();
  seriesStep = -1;
  moved = false;
  autoScale(plot);
}

void ChartZoom::fitToSeries(SeriesId series) {
  bool foundX = false, foundY = false;
  QCPGraph* graph = chartSeries(plot, series);
  const ChartView fitted{spanOf(graph->getKeyRange(foundX)), spanOf(graph->getValueRange(foundY))};
  if (!foundX || !foundY || !QCPRange::validRange(fitted.x) || !QCPRange::validRange(fitted.y))
    return;
  automaticBeforeSeriesStep = isAutomatic();
  steps.push_back(targetView());
  seriesStep = static_cast<int>(steps.size()) - 1;
  moveTo(fitted);
}

void ChartZoom::endSeriesStep() {
  if (seriesStep < 0) return;
  settle();
  const ChartView before = steps[seriesStep];
  steps.resize(seriesStep);
  seriesStep = -1;
  if (automaticBeforeSeriesStep) {
    moved = false;
    autoScale(plot);
  } else {
    showView(plot, before);
  }
}

ChartView ChartZoom::targetView() const {
  return animation.state() == QAbstractAnimation::Running ? to : currentView(plot);
}

void ChartZoom::moveTo(const ChartView& view) {
  settle();
  if (!animated || !plot.isVisible()) {
    showView(plot, view);
    return;
  }
  from = currentView(plot);
  to = view;
  animation.start();
}

// Ends a running animation at its goal.
void ChartZoom::settle() {
  if (animation.state() != QAbstractAnimation::Running) return;
  animation.stop();
  showView(plot, to);
}

void ChartZoom::onPress(QMouseEvent* event) {
  pressPosition = lastPosition = event->pos();
  panning = false;
}

void ChartZoom::onMove(QMouseEvent* event) {
  if (!(event->buttons() & (Qt::RightButton | Qt::MiddleButton))) return;
  if (plot.selectionRect()->isActive()) plot.selectionRect()->cancel();
  if (!panning && (event->pos() - pressPosition).manhattanLength() <= clickSlack) return;
  panning = true;
  pan(lastPosition, event->pos());
  lastPosition = event->pos();
}
