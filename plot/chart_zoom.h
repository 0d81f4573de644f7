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
  // has no finite points. The step lasts while the series holds what it was fitted to.
  void fitToSeries(SeriesId series);
  // The series fitted by fitToSeries is being refilled: its step ends, and the view returns
  // to where it was before the step (the automatic scale, if that is where it was).
  void endSeriesStep();

  // True while the axes follow the data: no zoom step, no wheel zoom and no pan since.
  bool isAutomatic() const { return steps.empty() && !moved; }
  int stepCount() const { return static_cast<int>(steps.size()); }
  // The view shown, or the one an animation is heading for.
  ChartView targetView() const;
  void setAnimated(bool on) { animated = on; }

 private:
  void moveTo(const ChartView& view);
  void settle();
  void onPress(QMouseEvent* event);
  void onMove(QMouseEvent* event);

  QCustomPlot& plot;
  std::vector<ChartView> steps;  // the view before each zoom step
  int seriesStep = -1;           // the index in steps of the fitToSeries step, or -1
  bool automaticBeforeSeriesStep = false;
  bool moved = false;  // wheel zoom or pan since the last automatic view
  bool animated = true;
  QVariantAnimation animation;
  ChartView from{}, to{};
  QPoint pressPosition, lastPosition;
  bool panning = false;
};
