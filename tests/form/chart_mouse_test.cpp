// The chart under the mouse in the real window (offscreen): rectangle zoom in both drag
// directions, its undo by double click step by step, wheel zoom, panning kept inside the
// data, animated zoom changes, and picking the interval ends in the interval mouse mode.
#include <QLineEdit>
#include <QWheelEvent>

#include "tests/form/form_fixture.h"

namespace {

// One pixel of a chart a few hundred pixels wide, in units of the axis range.
constexpr double pixelShare = 1.0 / 200;

class ChartMouse : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    // Samples 0..4 with values 0..8, applied on [0;4]: the chart shows x 0..4, y 0..8 or so.
    const double x[] = {0, 1, 2, 3, 4}, y[] = {0, 2, 8, 2, 0};
    replaceSamples(form->workspace(), {x, x + 5}, {y, y + 5});
    form->fillSeries(SeriesId::Samples, x, y, 5);
    form->setBoxText(Box::Edit3, "[0;4]");
    form->setBoxText(Box::Edit4, "5");
    form->setBoxText(Box::Edit5, "40");
    menu("Edit > Apply");
    showWindow();
  }
  ChartView view() { return currentView(form->chart()); }
};

void expectRange(const QCPRange& range, double lower, double upper, double slack) {
  EXPECT_NEAR(range.lower, lower, slack);
  EXPECT_NEAR(range.upper, upper, slack);
}

TEST_F(ChartMouse, RectangleDraggedDownRightZoomsIntoIt) {
  drag(pixelOf(1, 6), pixelOf(3, 2));
  expectRange(view().x, 1, 3, 4 * pixelShare * 4);
  expectRange(view().y, 2, 6, 8 * pixelShare * 8);
  EXPECT_EQ(form->chartZoom().stepCount(), 1);
}

TEST_F(ChartMouse, RectangleDraggedUpLeftZoomsInJustTheSame) {
  const QPoint a = pixelOf(1, 6), b = pixelOf(3, 2);
  const ChartView before = view();
  drag(a, b);
  const ChartView downRight = view();
  doubleClick(pixelOf(2, 4));
  EXPECT_EQ(view().x, before.x);
  drag(b, a);
  EXPECT_EQ(view().x, downRight.x);
  EXPECT_EQ(view().y, downRight.y);
}

TEST_F(ChartMouse, DoubleClickUndoesOneStepAtATimeBackToTheAutomaticScale) {
  const ChartView automatic = view();
  drag(pixelOf(1, 6), pixelOf(3, 2));
  const ChartView first = view();
  drag(pixelOf(1.5, 5), pixelOf(2.5, 3));
  EXPECT_EQ(form->chartZoom().stepCount(), 2);
  doubleClick(pixelOf(2, 4));
  EXPECT_EQ(view().x, first.x);
  EXPECT_EQ(view().y, first.y);
  doubleClick(pixelOf(2, 4));
  EXPECT_EQ(view().x, automatic.x);
  EXPECT_EQ(view().y, automatic.y);
  EXPECT_TRUE(form->chartZoom().isAutomatic());
  doubleClick(pixelOf(2, 4));  // nothing left to undo
  EXPECT_EQ(view().x, automatic.x);
}

TEST_F(ChartMouse, AClickOrATinyRectangleIsNoZoomStep) {
  const ChartView before = view();
  click(pixelOf(2, 4));
  drag(pixelOf(2, 4), pixelOf(2, 4) + QPoint(1, 1));
  EXPECT_EQ(form->chartZoom().stepCount(), 0);
  EXPECT_EQ(view().x, before.x);
}

TEST_F(ChartMouse, ZoomedViewStaysWhenTheDataChangesAndFollowsItAfterTheUndo) {
  drag(pixelOf(1, 6), pixelOf(3, 2));
  const ChartView zoomed = view();
  menu("Edit > Move Right");
  EXPECT_EQ(view().x, zoomed.x);
  doubleClick(pixelOf(2, 4));
  const double shifted[] = {10, 20}, values[] = {0, 1};
  form->fillSeries(SeriesId::Samples, shifted, values, 2);
  EXPECT_EQ(view().x.upper, 20.0);
}

TEST_F(ChartMouse, WheelZoomsAndDoubleClickReturnsToTheAutomaticScale) {
  const ChartView automatic = view();
  const QPoint at = pixelOf(2, 4);
  QWheelEvent wheel(QPointF(at), form->chart().mapToGlobal(QPointF(at)), QPoint(), QPoint(0, 120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&form->chart(), &wheel);
  EXPECT_LT(view().x.size(), automatic.x.size());
  EXPECT_FALSE(form->chartZoom().isAutomatic());
  doubleClick(at);
  EXPECT_EQ(view().x, automatic.x);
  EXPECT_TRUE(form->chartZoom().isAutomatic());
}

TEST_F(ChartMouse, RightDragPansButNeverPastTheData) {
  drag(pixelOf(1, 6), pixelOf(2, 2));
  const ChartView zoomed = view();
  // Dragging the content far to the right moves the view left, up to the data's left end.
  drag(pixelOf(1.5, 4), pixelOf(1.5, 4) + QPoint(2000, 0), Qt::RightButton);
  EXPECT_EQ(view().x.lower, 0.0);
  EXPECT_NEAR(view().x.size(), zoomed.x.size(), 1e-12);
  EXPECT_EQ(view().y, zoomed.y);
  drag(pixelOf(1, 4), pixelOf(1, 4) - QPoint(4000, 0), Qt::RightButton);
  EXPECT_EQ(view().x.upper, 4.0);
  EXPECT_EQ(form->chartZoom().stepCount(), 1);  // panning is no zoom step
}

TEST_F(ChartMouse, ZoomOnAReversedAbscissaTakesTheRectangleAsSeen) {
  menu("View > Invert Abscissa");
  form->chart().replot();
  drag(pixelOf(3, 6), pixelOf(1, 2));
  expectRange(view().x, 1, 3, 4 * pixelShare * 4);
  EXPECT_TRUE(form->chart().xAxis->rangeReversed());
}

TEST_F(ChartMouse, ZoomIsAnimatedToItsTarget) {
  form->chartZoom().setAnimated(true);
  const ChartView before = view();
  drag(pixelOf(1, 6), pixelOf(3, 2));
  const ChartView target = form->chartZoom().targetView();
  EXPECT_NE(target.x, before.x);
  EXPECT_NE(view().x, target.x);  // still on its way
  QTest::qWait(400);
  EXPECT_EQ(view().x, target.x);
  EXPECT_EQ(view().y, target.y);
}

TEST_F(ChartMouse, ClicksInZoomModePickNothing) {
  form->setBoxText(Box::Edit3, "[1;3]");
  click(pixelOf(0.5, 4));
  click(pixelOf(3.5, 4), Qt::RightButton);
  EXPECT_EQ(form->boxText(Box::Edit3), "[1;3]");
  EXPECT_EQ(form->workspace().left, 0.0);
  EXPECT_EQ(form->workspace().right, 4.0);
}

TEST_F(ChartMouse, ClickAndRightClickPickTheIntervalEnds) {
  menu("Edit > Interval");
  EXPECT_EQ(form->panelText(3).toStdString(), "Interval mouse mode");
  form->setBoxText(Box::Edit3, "[1;5]");
  QCustomPlot& plot = form->chart();
  const QPoint left = pixelOf(0.5, 4), right = pixelOf(3.5, 4);
  click(left);
  EXPECT_EQ(form->workspace().left, plot.xAxis->pixelToCoord(left.x()));
  EXPECT_EQ(form->workspace().right, 5.0);
  click(right, Qt::RightButton);
  EXPECT_EQ(form->workspace().right, plot.xAxis->pixelToCoord(right.x()));
  const std::string shown = form->boxText(Box::Edit3);
  double a = 0, b = 0;
  ASSERT_EQ(std::sscanf(shown.c_str(), "[%lg;%lg]", &a, &b), 2) << shown;
  EXPECT_NEAR(a, 0.5, 4 * pixelShare);
  EXPECT_NEAR(b, 3.5, 4 * pixelShare);
  EXPECT_EQ(form->chartZoom().stepCount(), 0);
}

TEST_F(ChartMouse, DraggingInIntervalModeZoomsAndPicksNothing) {
  menu("Edit > Interval");
  form->setBoxText(Box::Edit3, "[1;3]");
  drag(pixelOf(1, 6), pixelOf(3, 2));
  drag(pixelOf(2, 4), pixelOf(2.5, 4), Qt::RightButton);
  EXPECT_EQ(form->chartZoom().stepCount(), 1);
  EXPECT_EQ(form->boxText(Box::Edit3), "[1;3]");
}

TEST_F(ChartMouse, DoubleClickInIntervalModeOnlyUndoesTheZoom) {
  drag(pixelOf(1, 6), pixelOf(3, 2));
  menu("Edit > Interval");
  form->setBoxText(Box::Edit3, "[0;4]");
  const double left = form->workspace().left;
  doubleClick(pixelOf(2, 4));
  EXPECT_EQ(form->chartZoom().stepCount(), 0);
  // Its first click picks nothing: the box, the interval and its written ends stay.
  EXPECT_EQ(form->boxText(Box::Edit3), "[0;4]");
  EXPECT_EQ(form->workspace().left, left);
  // A single click still picks the left end.
  click(pixelOf(2, 4));
  EXPECT_NE(form->boxText(Box::Edit3), "[0;4]");
}

}  // namespace
