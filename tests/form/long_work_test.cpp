// Long work in the real window, offscreen: the progress dialog and its Cancel, and input that
// arrives while the window is busy.
#include <QMenuBar>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>

#include "app/long_command.h"
#include "bases/progress.h"
#include "tests/form/form_fixture.h"

namespace {

class LongWork : public FormTest {
 protected:
  // Posts a click on the File menu's title and one on the middle of the chart, as a person
  // would make them while the window works.
  void postClicks() {
    QMenuBar* bar = form->menuBar();
    const QPoint file = bar->actionGeometry(bar->actions().front()).center();
    const QPoint chart = form->chart().rect().center();
    for (auto [widget, at] : {std::pair<QWidget*, QPoint>{bar, file}, {&form->chart(), chart}}) {
      for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
        QCoreApplication::postEvent(
            widget, new QMouseEvent(type, QPointF(at), widget->mapToGlobal(QPointF(at)),
                                    Qt::LeftButton, held, Qt::NoModifier));
      }
    }
  }
};

TEST_F(LongWork, ClicksQueuedWhileBusyReachNeitherMenuNorChart) {
  showWindow();
  menu("Edit > Interval");  // a chart click would now set the interval's left end
  menu("Edit > Apply");
  const QString interval = form->edit(Box::Edit3)->text();

  form->run([&] {
    runLongCommand(form->workspace(), *form, "Work", [&] {
      form->showBusy(true);
      postClicks();
      const ProgressLoop progress(1);
      progress.report(0);
      form->showBusy(false);
      return true;
    });
  });
  QCoreApplication::processEvents();
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  EXPECT_EQ(form->edit(Box::Edit3)->text(), interval);

  // The same clicks made while the window is idle do reach both.
  postClicks();
  QCoreApplication::processEvents();
  EXPECT_NE(QApplication::activePopupWidget(), nullptr);
  if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
  EXPECT_NE(form->edit(Box::Edit3)->text(), interval);
}

TEST_F(LongWork, DialogAfterAWhileShowsNameAndPercentageAndCancelTakesAllBack) {
  showWindow();
  menu("Edit > Apply");
  const QString boxes = form->edit(Box::Edit4)->text();
  const int32_t terms = form->workspace().termCount;
  QString label;
  int percent = -1;
  bool cancelled = true;
  form->run([&] {
    cancelled = !runLongCommand(form->workspace(), *form, "Slow work", [&] {
      form->workspace().termCount = 3;
      form->setBoxText(Box::Edit4, "3");
      const ProgressLoop progress(100);
      for (int i = 0; i < 100; ++i) {
        progress.report(i);
        if (auto* dialog = qobject_cast<QProgressDialog*>(form->progressDialog())) {
          label = dialog->labelText();
          percent = dialog->value() * 100 / dialog->maximum();
          QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
        }
        QThread::msleep(20);
      }
      return true;
    });
  });
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(label, "Slow work");
  // 0.3 s at 20 ms a step: the dialog comes at about the 15th step.
  EXPECT_GE(percent, 10);
  EXPECT_LT(percent, 60);
  EXPECT_EQ(form->progressDialog(), nullptr);
  EXPECT_EQ(form->panelText(1), "Cancelled");
  EXPECT_EQ(form->edit(Box::Edit4)->text(), boxes);
  EXPECT_EQ(form->workspace().termCount, terms);
}

}  // namespace
