// The real window under the keyboard (offscreen, shown and active): menu shortcuts, also while
// an edit box has the focus; the "Apply" button's key and mouse-down actions; the window's
// size limits, status bar and busy indicator.
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

#include "tests/form/form_fixture.h"

namespace {

class WindowKeys : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    showWindow();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }
  QLineEdit* box(Box id) { return form->edit(id); }
  void key(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    target->setFocus();
    QTest::keyClick(target, key, modifiers);
  }
  QPushButton* applyButton() { return form->findChild<QPushButton*>(); }
};

TEST_F(WindowKeys, CtrlAInAnEditBoxAppliesInsteadOfSelectingAll) {
  box(Box::Edit4)->setText("20");
  key(box(Box::Edit4), Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(form->workspace().termCount, 20);
  EXPECT_EQ(box(Box::Edit3)->text().toStdString(), "[0;2]");
}

TEST_F(WindowKeys, ShiftInsertAndShiftDeleteInAnEditBoxChangeTheTermCount) {
  QApplication::clipboard()->setText("7");
  key(box(Box::Edit4), Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(form->workspace().termCount, 101);
  EXPECT_EQ(box(Box::Edit4)->text().toStdString(), "101");
  key(box(Box::Edit3), Qt::Key_Delete, Qt::ShiftModifier);
  EXPECT_EQ(form->workspace().termCount, 100);
  EXPECT_EQ(box(Box::Edit3)->text().toStdString(), "[0;2]");  // not cut
}

TEST_F(WindowKeys, ControlShortcutsOfTheEditMenu) {
  form->workspace().beta = 1.0;
  key(box(Box::Edit7), Qt::Key_B, Qt::ControlModifier);
  EXPECT_EQ(form->workspace().beta, 0.99);
  key(box(Box::Edit7), Qt::Key_N, Qt::ControlModifier);
  EXPECT_EQ(form->workspace().beta, 0.99 * 1.01);
  key(box(Box::Edit3), Qt::Key_R, Qt::ControlModifier);
  EXPECT_EQ(box(Box::Edit3)->text().toStdString(), "[0.02;2.02]");
  key(box(Box::Edit3), Qt::Key_L, Qt::ControlModifier);
  EXPECT_EQ(form->workspace().left, 0.02 - (2.02 - 0.02) * 0.01);
  key(box(Box::Edit5), Qt::Key_I, Qt::ControlModifier);
  EXPECT_TRUE(form->isChecked("Edit > Interval"));
  EXPECT_EQ(form->panelText(3).toStdString(), "Interval mouse mode");
}

TEST_F(WindowKeys, FunctionKeysToggleTheSeries) {
  key(box(Box::Edit4), Qt::Key_F1);
  EXPECT_FALSE(series(SeriesId::Samples)->visible());
  key(box(Box::Edit4), Qt::Key_F2);
  EXPECT_TRUE(series(SeriesId::Source)->visible());
  key(box(Box::Edit4), Qt::Key_F3);
  key(box(Box::Edit4), Qt::Key_F4);
  key(box(Box::Edit4), Qt::Key_F5);
  EXPECT_FALSE(series(SeriesId::Analytic)->visible());
  EXPECT_FALSE(series(SeriesId::Values)->visible());
  EXPECT_TRUE(series(SeriesId::Baseline)->visible());
  EXPECT_TRUE(form->isChecked("View > Baseline"));
  key(box(Box::Edit4), Qt::Key_F12);
  EXPECT_TRUE(series(SeriesId::Samples)->visible());
  EXPECT_TRUE(series(SeriesId::Values)->visible());
}

TEST_F(WindowKeys, ApplyButtonActsOnAnyKeyButNotOnAModifierAlone) {
  box(Box::Edit4)->setText("12");
  applyButton()->setFocus();
  QTest::keyClick(applyButton(), Qt::Key_Shift);
  EXPECT_EQ(form->workspace().termCount, 100);
  QTest::keyClick(applyButton(), Qt::Key_Space);
  EXPECT_EQ(form->workspace().termCount, 12);
  box(Box::Edit4)->setText("13");
  QTest::keyClick(applyButton(), Qt::Key_X);
  EXPECT_EQ(form->workspace().termCount, 13);
}

TEST_F(WindowKeys, ApplyButtonActsWhenTheMouseGoesDown) {
  box(Box::Edit4)->setText("14");
  QTest::mousePress(applyButton(), Qt::RightButton);
  EXPECT_EQ(form->workspace().termCount, 14);
  QTest::mouseRelease(applyButton(), Qt::RightButton);
}

TEST_F(WindowKeys, SizeLimitsAndStartSize) {
  EXPECT_EQ(form->minimumSize(), QSize(486, 270));
  EXPECT_EQ(form->width(), 767);
  EXPECT_EQ(form->centralWidget()->height() + form->statusBar()->height(), 438);
}

TEST_F(WindowKeys, StatusBarPanelsStartWithTheirTextsInRed) {
  const char* texts[] = {"Error", "Timer              ", "Square/Integral",
                         "Interval/Zoom mouse mode"};
  const int widths[] = {180, 135, 180, 50};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(form->panelText(i).toStdString(), texts[i]);
    const QList<QLabel*> labels = form->statusBar()->findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 5);  // the four panels and the source at the right
    EXPECT_GE(labels[i]->width(), widths[i]);
    EXPECT_EQ(labels[i]->palette().color(QPalette::WindowText), QColor(Qt::red));
    // Not clipped; at the start-up width the source at the right leaves the mouse mode's
    // design text less room than it takes, which a wider window gives it.
    if (i < 3) {
      EXPECT_GE(labels[i]->width(), labels[i]->sizeHint().width()) << texts[i];
    }
  }
  form->resize(900, form->height());
  QApplication::processEvents();
  for (QLabel* label : form->statusBar()->findChildren<QLabel*>())
    EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
}

TEST_F(WindowKeys, BusyIndicatorLeavesDefaultCursorsAndTheElapsedTime) {
  menu("Edit > Apply");
  EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);
  EXPECT_FALSE(form->chart().testAttribute(Qt::WA_SetCursor));
  EXPECT_FALSE(applyButton()->testAttribute(Qt::WA_SetCursor));
  const std::string timer = form->panelText(1).toStdString();
  EXPECT_EQ(timer.substr(timer.size() - 8), " seconds") << timer;
}

TEST_F(WindowKeys, BusyIndicatorShowsTheHourglassWhileOn) {
  form->showBusy(true);
  for (QWidget* widget :
       {static_cast<QWidget*>(form.get()), static_cast<QWidget*>(&form->chart()),
        static_cast<QWidget*>(applyButton()), static_cast<QWidget*>(form->statusBar())})
    EXPECT_EQ(widget->cursor().shape(), Qt::WaitCursor);
  form->showBusy(false);
  EXPECT_EQ(form->chart().cursor().shape(), Qt::ArrowCursor);
}

}  // namespace
