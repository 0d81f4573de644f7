// Long work in the main window: the progress dialog with its clocks and cancel flag, and the
// dropping of input meant for the window while it is busy. It knows only the window widget.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QProgressBar>
#include <QProgressDialog>
#include <QWidget>
#include <cstdint>
#include <memory>

class LongWork {
 public:
  explicit LongWork(QWidget& window);
  ~LongWork();
  LongWork(const LongWork&) = delete;
  LongWork& operator=(const LongWork&) = delete;

  // A report of `done` of `total` steps of the command `name`: lets the window's events
  // through at most every 50 ms and shows the dialog once the work has run 0.3 s. False once
  // the user has cancelled.
  bool progress(const char* name, int64_t done, int64_t total);
  // The work has ended, finished or cancelled; true when it had reported.
  bool end();
  // True between the first report of a command and its end.
  bool running() const { return running_; }
  // The next command that reports is cancelled at its first report.
  void interruptNext() { interruptPending_ = true; }
  // The progress dialog while it is shown, or nullptr.
  QWidget* dialog() const { return dialog_.get(); }

  // While busy, mouse and key input meant for the window is dropped rather than kept for later.
  void startDroppingInput();
  void stopDroppingInput();

 private:
  QWidget& window_;
  bool running_ = false;
  bool cancelled_ = false;
  bool interruptPending_ = false;
  QElapsedTimer started_, sinceEvents_;
  std::unique_ptr<QProgressDialog> dialog_;
  QProgressBar* bar_ = nullptr;  // the dialog's, showing tenths of a per cent
  std::unique_ptr<QObject> inputDrop_;
};
