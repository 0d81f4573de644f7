// Long work in the main window. Everything runs on the one thread: a command reports its
// progress, and at a report the window lets its events through, at most every 50 ms. Once the
// work has run 0.3 s a modal dialog shows the command's name, a percentage and Cancel. While
// the window is busy, mouse and key input meant for it is dropped rather than kept for later.
#include "app/form/long_work.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <utility>

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

LongWork::LongWork(QWidget& window) : window_(window) {}

LongWork::~LongWork() = default;

void LongWork::startDroppingInput() {
  if (inputDrop_) return;
  inputDrop_ = std::make_unique<InputDrop>(window_);
  qApp->installEventFilter(inputDrop_.get());
}

// Input that came while the window was busy is taken from the queue and dropped first.
void LongWork::stopDroppingInput() {
  if (!inputDrop_) return;
  QCoreApplication::processEvents();
  inputDrop_.reset();
}

bool LongWork::progress(const char* name, int64_t done, int64_t total) {
  if (!running_) {
    running_ = true;
    cancelled_ = std::exchange(interruptPending_, false);
    dialog_.reset();
    bar_ = nullptr;
    started_.start();
    sinceEvents_.start();
    startDroppingInput();
  }
  if (cancelled_) return false;
  if (sinceEvents_.elapsed() < eventsEveryMs) return true;
  if (!dialog_ && started_.elapsed() >= dialogAfterMs) {
    dialog_ = std::make_unique<QProgressDialog>(QString(name), "Cancel", 0, percentSteps, &window_);
    bar_ = new QProgressBar(dialog_.get());
    dialog_->setBar(bar_);
    dialog_->setRange(0, percentSteps);
    dialog_->setWindowTitle(name);
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    dialog_->setMinimumDuration(0);
    QObject::connect(dialog_.get(), &QProgressDialog::canceled, [this] { cancelled_ = true; });
    dialog_->show();
  }
  if (dialog_) {
    // Tenths of a per cent, so that long work is seen to move.
    const double percent = total > 0 ? 100.0 * static_cast<double>(done) / total : 0.0;
    bar_->setFormat(QString::asprintf("%.1f%%", percent));
    dialog_->setValue(static_cast<int>(percent * (percentSteps / 100)));
  }
  QCoreApplication::processEvents();
  sinceEvents_.restart();
  return !cancelled_;
}

bool LongWork::end() {
  const bool reported = running_;
  if (reported) {
    dialog_.reset();
    bar_ = nullptr;
    running_ = false;
  }
  return reported;
}
