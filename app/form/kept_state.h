// The window's part of a command's kept state: the box texts, the panels, the check marks,
// the chart's series and its view. The series are held, not copied: a fill gives a series new
// points in a container of its own, so the kept container stays as it was.
#pragma once

#include <qcustomplot.h>
#include <QAction>
#include <QSharedPointer>
#include <QString>
#include <utility>
#include <vector>

#include "plot/chart.h"

struct KeptState {
  QString boxes[5];
  QString panels[4];
  std::vector<std::pair<QAction*, bool>> checks;
  QSharedPointer<QCPGraphDataContainer> series[5];
  ChartView view;
};
