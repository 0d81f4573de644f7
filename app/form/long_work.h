// The main window's state for long work: the progress dialog with its clocks and cancel
// flag, and the window's part of a command's state kept for taking the command back.
#pragma once

#include <QElapsedTimer>
#include <QProgressBar>
#include <QProgressDialog>
#include <QSharedPointer>
#include <memory>
#include <utility>
#include <vector>

#include "app/form/tform1.h"

struct TForm1::LongWork {
  bool running = false;
  bool cancelled = false;
  QElapsedTimer started, sinceEvents;
  std::unique_ptr<QProgressDialog> dialog;
  QProgressBar* bar = nullptr;  // the dialog's, showing tenths of a per cent
};

struct TForm1::KeptState {
  QString boxes[5];
  QString panels[4];
  std::vector<std::pair<QAction*, bool>> checks;
  QSharedPointer<QCPGraphDataContainer> series[5];
  ChartView view;
};
