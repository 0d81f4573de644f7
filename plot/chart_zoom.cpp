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

// A view the axes can take: a logarithmic axis needs a positive range.
bool viewable(const QCustomPlot& plot, const ChartView& view) {
  if (!QCPRange::validRange(view.x) || !QCPRange::validRange(view.y)) return false;
  return plot.yAxis->scaleType() != QCPAxis::stLogarithmic || view.y.lower > 0;
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
  if (!viewable(plot, zoomed)) return;
  steps.push_back({targetView(), StepKind::Zoom});
  moveTo(zoomed);
}

void ChartZoom::undo() {
  if (steps.empty()) {
    moved = false;
    moveTo(automaticView(plot));
    return;
  }
  const ChartView before = steps.back().before;
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
  moved = false;
  autoScale(plot);
}

void ChartZoom::fitToSeries(SeriesId series) {
  ChartView fitted;
  if (!seriesBounds(plot, series, fitted)) return;
  fitted = {spanOf(fitted.x), spanOf(fitted.y)};
  if (!viewable(plot, fitted)) return;
  steps.push_back({targetView(), StepKind::Series, series, isAutomatic()});
  moveTo(fitted);
}

void ChartZoom::endSeriesStep(SeriesId series) {
  for (size_t i = 0; i < steps.size(); ++i)
    if (steps[i].kind == StepKind::Series && steps[i].series == series) return endStep(i);
}

void ChartZoom::fitToInterval(double left, double right) {
  const double kx = axisScale(plot, true);
  ChartView fitted{QCPRange(left / kx, right / kx), targetView().y};
  QCPRange values;
  if (valueBoundsWithin(plot, fitted.x, values)) fitted.y = spanOf(values);
  if (!viewable(plot, fitted)) return;
  if (steps.empty() || steps.back().kind != StepKind::Interval)
    steps.push_back({targetView(), StepKind::Interval, SeriesId::Values, isAutomatic()});
  moveTo(fitted);
}

void ChartZoom::endIntervalStep() {
  for (size_t i = 0; i < steps.size(); ++i)
    if (steps[i].kind == StepKind::Interval) return endStep(i);
}

void ChartZoom::followValueScale() {
  settle();
  if (isAutomatic()) return autoScale(plot);
  QCPRange values;
  if (!valueBoundsWithin(plot, plot.xAxis->range(), values)) return;
  const ChartView view{plot.xAxis->range(), spanOf(values)};
  if (viewable(plot, view)) showView(plot, view);
}

void ChartZoom::endStep(size_t index) {
  settle();
  const Step step = steps[index];
  steps.resize(index);
  if (step.automaticBefore) {
    moved = false;
    autoScale(plot);
  } else {
    showView(plot, step.before);
  }
}

void ChartZoom::restoreHistory(History kept) {
  animation.stop();
  steps = std::move(kept.steps);
  moved = kept.moved;
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
