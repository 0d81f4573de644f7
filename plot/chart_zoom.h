// Zooming and panning the chart with the mouse. Dragging a rectangle with the left button
// zooms into it, whichever way it is dragged; each such step is remembered and undone one at a
// time, back to the automatic scale when none is left. The wheel zooms about the pointer, and
// dragging with the right or middle button pans, kept inside the shown data. Zoom steps and
// their undoing are animated while the chart is on screen.
#pragma once

#include <QObject>
#include <QPoint>
#include <QVariantAnimation>
#include <vector>

#include "plot/chart.h"

class ChartZoom : public QObject {
  Q_OBJECT

 public:
  // What a zoom step was made for: a rectangle dragged, a series shown on its own scale, or
  // the interval of approximation.
  enum class StepKind { Zoom, Series, Interval };
  struct Step {
    ChartView before;  // the view before the step
    StepKind kind = StepKind::Zoom;
    SeriesId series = SeriesId::Values;  // for a Series step
    bool automaticBefore = false;        // the axes followed the data before the step
  };
  // The whole zoom history, kept and put back when a command is taken back.
  struct History {
    std::vector<Step> steps;
    bool moved = false;
  };

  explicit ChartZoom(QCustomPlot& plot);

  // Zooms into a rectangle of widget pixels given by any two opposite corners.
  void zoomToRect(QPoint corner, QPoint oppositeCorner);
  // Undoes the last zoom step; with none left, returns to the automatic scale.
  void undo();
  // Moves the view with the pointer from `from` to `to` (widget pixels), kept inside the data.
  void pan(QPoint from, QPoint to);
  // After new data or a series shown or hidden: the automatic scale follows the data.
  void followData();
  // Forgets every zoom step, wheel zoom and pan, and scales the axes to the shown series.
  void reset();
  // Fits the view to one series as a zoom step that undo takes back; nothing when the series
  // has no point the axes can show. The step lasts while the series holds what it was fitted
  // to.
  void fitToSeries(SeriesId series);
  // The series is being refilled: a step fitted to it ends, with the steps after it, and the
  // view returns to where it was before the step (the automatic scale, if that is where it
  // was).
  void endSeriesStep(SeriesId series);
  // Fits the view to the abscissae [left, right] and the shown points there, as a zoom step
  // that replaces the step of an earlier interval when that is the last one.
  void fitToInterval(double left, double right);
  // An interval step ends, with the steps after it, as endSeriesStep.
  void endIntervalStep();
  // The value axis changed its scale: the automatic scale follows it, and a zoomed view keeps
  // its abscissae and fits the values shown there.
  void followValueScale();

  History history() const { return {steps, moved}; }
  // Puts a kept history back; the view itself is the caller's to show.
  void restoreHistory(History kept);

  // True while the axes follow the data: no zoom step, no wheel zoom and no pan since.
  bool isAutomatic() const { return steps.empty() && !moved; }
  int stepCount() const { return static_cast<int>(steps.size()); }
  // The view shown, or the one an animation is heading for.
  ChartView targetView() const;
  void setAnimated(bool on) { animated = on; }

 private:
  void moveTo(const ChartView& view);
  void settle();
  void endStep(size_t index);
  void onPress(QMouseEvent* event);
  void onMove(QMouseEvent* event);

  QCustomPlot& plot;
  std::vector<Step> steps;
  bool moved = false;  // wheel zoom or pan since the last automatic view
  bool animated = true;
  QVariantAnimation animation;
  ChartView from{}, to{};
  QPoint pressPosition, lastPosition;
  bool panning = false;
};
