// Long work in the main window. Everything runs on the one thread: a command reports its
// progress, and at a report the window lets its events through, at most every 50 ms. Once the
// work has run 0.3 s a modal dialog shows the command's name, a percentage and Cancel. While
// the window is busy, mouse and key input meant for it is dropped rather than kept for later.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QProgressDialog>
#include <utility>

#include "app/form/long_work.h"

namespace {

constexpr qint64 dialogAfterMs = 300;
constexpr qint64 eventsEveryMs = 50;
constexpr int percentSteps = 1000;

bool isInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
      return true;
    default:
      return false;
  }
}

// Drops input whose receiver is the main window or one of its parts (its menus and their
// items included); dialogs, among them the progress dialog, keep theirs.
class InputDrop : public QObject {
 public:
  explicit InputDrop(QWidget& window) : window_(window) {}

  bool eventFilter(QObject* receiver, QEvent* event) override {
    if (!isInput(event->type())) return false;
    for (QObject* part = receiver; part; part = part->parent()) {
      if (qobject_cast<QDialog*>(part)) return false;
      if (part == &window_) return true;
    }
    return false;
  }

 private:
  QWidget& window_;
};

}  // namespace

void TForm1::startDroppingInput() {
  if (inputDrop) return;
  inputDrop = std::make_unique<InputDrop>(*this);
  qApp->installEventFilter(inputDrop.get());
}

// Input that came while the window was busy is taken from the queue and dropped first.
void TForm1::stopDroppingInput() {
  if (!inputDrop) return;
  QCoreApplication::processEvents();
  inputDrop.reset();
}

bool TForm1::progress(const char* name, int64_t done, int64_t total) {
  if (!longWork) longWork = std::make_unique<LongWork>();
  LongWork& work = *longWork;
  if (!work.running) {
    work = {};
    work.running = true;
    work.started.start();
    work.sinceEvents.start();
    startDroppingInput();
    if (std::exchange(interruptPending, false)) work.cancelled = true;
  }
  if (work.cancelled) return false;
  if (work.sinceEvents.elapsed() < eventsEveryMs) return true;
  if (!work.dialog && work.started.elapsed() >= dialogAfterMs) {
    work.dialog = std::make_unique<QProgressDialog>(QString(name), "Cancel", 0, percentSteps, this);
    work.bar = new QProgressBar(work.dialog.get());
    work.dialog->setBar(work.bar);
    work.dialog->setRange(0, percentSteps);
    work.dialog->setWindowTitle(name);
    work.dialog->setWindowModality(Qt::ApplicationModal);
    work.dialog->setAutoReset(false);
    work.dialog->setAutoClose(false);
    work.dialog->setMinimumDuration(0);
    connect(work.dialog.get(), &QProgressDialog::canceled, this,
            [this] { longWork->cancelled = true; });
    work.dialog->show();
  }
  if (work.dialog) {
    // Tenths of a per cent, so that long work is seen to move.
    const double percent = total > 0 ? 100.0 * static_cast<double>(done) / total : 0.0;
    work.bar->setFormat(QString::asprintf("%.1f%%", percent));
    work.dialog->setValue(static_cast<int>(percent * (percentSteps / 100)));
  }
  QCoreApplication::processEvents();
  work.sinceEvents.restart();
  return !work.cancelled;
}

void TForm1::progressEnded() {
  const bool reported = longWork && longWork->running;
  if (reported) {
    longWork->dialog.reset();
    longWork->running = false;
    showBusy(false);
  }
  stopDroppingInput();
}

QWidget* TForm1::progressDialog() const {
  return longWork && longWork->dialog ? longWork->dialog.get() : nullptr;
}

void TForm1::keepState() {
  kept = std::make_unique<KeptState>();
  for (int i = 0; i < 5; ++i)
    kept->boxes[i] = edit(static_cast<Box>(i))->text();
  for (int i = 0; i < 4; ++i)
    kept->panels[i] = panels[i]->text();
  for (const auto& [path, action] : items)
    if (action->isCheckable()) kept->checks.emplace_back(action, action->isChecked());
  for (int i = 0; i < 5; ++i) {
    const QCPGraph* graph = chartSeries(*Chart1, static_cast<SeriesId>(i));
    kept->series[i].reset(new QCPGraphDataContainer(*graph->data()));
  }
  kept->view = currentView(*Chart1);
}

void TForm1::restoreKeptState() {
  if (!kept) return;
  for (int i = 0; i < 5; ++i)
    edit(static_cast<Box>(i))->setText(kept->boxes[i]);
  for (int i = 0; i < 4; ++i)
    panels[i]->setText(kept->panels[i]);
  // Unchecked first, so that the radio group never sees two checked items.
  for (const auto& [action, checked] : kept->checks)
    if (!checked) action->setChecked(false);
  for (const auto& [action, checked] : kept->checks)
    if (checked) action->setChecked(true);
  for (int i = 0; i < 5; ++i)
    chartSeries(*Chart1, static_cast<SeriesId>(i))->setData(kept->series[i]);
  showView(*Chart1, kept->view);
  Chart1->replot();
  kept.reset();
}

void TForm1::forgetKeptState() {
  kept.reset();
}
