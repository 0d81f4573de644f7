// The window's part of a command's kept state: the box texts, the panels, the check marks,
// the chart's series with their visibility, its view with the zoom history, its on/off
// settings, the axis titles and the interval marks. The series are held, not copied: a fill gives a
// series new points in a container of its own, so the kept container stays as it was.
#pragma once

#include <qcustomplot.h>
#include <QAction>
#include <QSharedPointer>
#include <QString>
#include <utility>
#include <vector>

#include "plot/chart.h"
#include "plot/chart_zoom.h"

struct KeptState {
  QString boxes[5];
  QString panels[4];
  QString panelTips[4];
  std::vector<std::pair<QAction*, bool>> checks;
  QSharedPointer<QCPGraphDataContainer> series[5];
  bool seriesShown[5] = {};
  ChartView view;
  ChartZoom::History zoom;
  std::vector<std::pair<ChartFlag, bool>> flags;
  QString titles[2];
  IntervalMarks marks;
  CoefficientView coefficients;
};
