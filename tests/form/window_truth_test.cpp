// The window tells what it shows (offscreen): which source is fitted, what a tool's axes
// mean, where the interval lies, and a result is brought into view. Every piece of it is put
// back when a command is cancelled.
#include <QLineEdit>

#include <cmath>

#include "app/startup.h"
#include "tests/files/temp_folder.h"
#include "tests/form/form_fixture.h"

namespace {

class WindowTruth : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    showWindow();
  }

  // `n` samples of sin(x) + 2 from 0 by `step`, as a two-column file opened in the window.
  void openSine(int n, double step) {
    std::string text;
    for (int i = 0; i < n; ++i) {
      char line[64];
      std::snprintf(line, sizeof line, "%.17g %.17g\n", std::sin(i * step) + 2, i * step);
      text += line;
    }
    dialogs->queue(folder.write("sine.txt", text));
    menu("File > Open > Samples");
  }

  void apply(const char* interval, const char* terms, const char* points) {
    form->setBoxText(Box::Edit3, interval);
    form->setBoxText(Box::Edit4, terms);
    form->setBoxText(Box::Edit5, points);
    menu("Edit > Apply");
  }

  std::string sourceLabel() { return form->sourceLabelText().toStdString(); }
  std::string titles() {
    return abscissaTitle(form->chart()).toStdString() + "|" +
           ordinateTitle(form->chart()).toStdString();
  }
  ChartView view() { return form->chartZoom().targetView(); }
  bool checked(const char* item) { return form->menuItem(item)->isChecked(); }

  TempFolder folder;
};

TEST_F(WindowTruth, TheSourceLabelFollowsTheCheckedSourceItem) {
  EXPECT_EQ(sourceLabel(), "Source: Samples");
  for (const auto& [item, label] :
       {std::pair{"Source > Values", "Source: Values"},
        std::pair{"Source > Built-in function", "Source: Built-in function"},
        std::pair{"Source > None", "Source: None"},
        std::pair{"Source > Samples", "Source: Samples"}}) {
    menu(item);
    EXPECT_EQ(sourceLabel(), label);
  }
  // Differentiate selects "None" behind the user's back: the label says so.
  openSine(200, 0.05);
  apply("[0;9.95]", "20", "200");
  menu("Edit > Differentiate");
  EXPECT_EQ(sourceLabel(), "Source: None");
  // A cancelled Differentiate leaves the source, and the label, as they were.
  menu("Source > Samples");
  apply("[0;9.95]", "20", "200");
  form->interruptNextCommand();
  menu("Edit > Differentiate");
  EXPECT_EQ(form->panelText(1).toStdString(), "Cancelled");
  EXPECT_EQ(sourceLabel(), "Source: Samples");
}

TEST_F(WindowTruth, NewSamplesPutThePanelsBackToTheirStartUpTexts) {
  menu("Edit > Apply");
  ASSERT_NE(form->panelText(0).toStdString(), startupPanelTexts[0]);
  openSine(50, 0.1);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(form->panelText(i).toStdString(), startupPanelTexts[i]) << i;

  menu("Edit > Apply");
  dialogs->queue("1");
  dialogs->queue("100");
  menu("File > Load > Mesh");
  ASSERT_EQ(form->workspace().sampleCount, 100);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(form->panelText(i).toStdString(), startupPanelTexts[i]) << i;
}

TEST_F(WindowTruth, AToolsResultSwitchesTheValuesSeriesOnAndNamesTheAxes) {
  openSine(200, 0.05);
  form->basisList()->setCurrentIndex(0);
  form->ComboBox1Select(0);  // Fourier: its power spectrum has one point per harmonic
  apply("[0;9.95]", "21", "200");
  EXPECT_EQ(titles(), "|") << "the data has no titles";
  menu("View > Values");  // F4: the residual covers the samples
  ASSERT_FALSE(series(SeriesId::Values)->visible());
  menu("Evaluate > Power Spectrum");
  EXPECT_TRUE(series(SeriesId::Values)->visible());
  EXPECT_TRUE(checked("View > Values"));
  EXPECT_EQ(series(SeriesId::Values)->data()->size(), 11);
  EXPECT_EQ(titles(), "angular frequency|power");

  menu("Evaluate > Autocorrelation");
  EXPECT_EQ(titles(), "lag|autocorrelation");
  menu("Evaluate > Fractal Dimension");
  EXPECT_EQ(titles(), "ln(terms)|ln(length)");
  // A table of the data itself has no titles.
  menu("Edit > Drop Outside");
  EXPECT_EQ(titles(), "|");
  menu("Tools > Scan > Beta");
  EXPECT_EQ(titles(), "beta|fit");

  // A cancelled Apply leaves the titles, the series shown and its check mark; the next
  // Apply clears the titles.
  menu("View > Values");
  menu("Tools > Scan > Alpha");
  ASSERT_EQ(titles(), "alpha|fit");
  menu("View > Values");
  form->interruptNextCommand();
  menu("Edit > Apply");
  EXPECT_EQ(titles(), "alpha|fit");
  EXPECT_FALSE(series(SeriesId::Values)->visible());
  EXPECT_FALSE(checked("View > Values"));
  menu("Edit > Apply");
  EXPECT_EQ(titles(), "|");
  EXPECT_TRUE(messages.empty());
}

TEST_F(WindowTruth, DifferentiateBringsTheDerivativeIntoViewAsOneZoomStep) {
  // sin(x) + 2 on [0, 50]; its derivative after the mapping swings far from 1..3.
  openSine(1001, 0.05);
  apply("[0;50]", "60", "1000");
  ASSERT_TRUE(form->chartZoom().isAutomatic());
  menu("Edit > Differentiate");
  ChartView analytic;
  ASSERT_TRUE(seriesBounds(form->chart(), SeriesId::Analytic, analytic));
  EXPECT_EQ(form->chartZoom().stepCount(), 1);
  EXPECT_DOUBLE_EQ(view().y.lower, analytic.y.lower);
  EXPECT_DOUBLE_EQ(view().y.upper, analytic.y.upper);
  EXPECT_LT(view().y.upper, 1.5) << "the samples at 1..3 are out of view";
  form->Chart1DblClick();
  EXPECT_TRUE(form->chartZoom().isAutomatic());
  EXPECT_GT(view().y.upper, 2.9) << "back to every series";
}

TEST_F(WindowTruth, ANewIntervalIsFittedMarkedAndUndoneByADoubleClick) {
  openSine(3001, 0.1);  // 300 s of samples
  apply("[100;104]", "20", "200");
  EXPECT_DOUBLE_EQ(view().x.lower, 100);
  EXPECT_DOUBLE_EQ(view().x.upper, 104);
  // The values shown there, not those of the whole record.
  QCPRange values;
  ASSERT_TRUE(valueBoundsWithin(form->chart(), QCPRange(100, 104), values));
  EXPECT_DOUBLE_EQ(view().y.lower, values.lower);
  EXPECT_EQ(form->chartZoom().stepCount(), 1);
  IntervalMarks marks = intervalMarksOf(form->chart());
  EXPECT_TRUE(marks.shown);
  EXPECT_EQ(marks.left, 100);
  EXPECT_EQ(marks.right, 104);

  // The same interval again keeps the view; another one replaces the step.
  apply("[100;104]", "20", "200");
  EXPECT_EQ(form->chartZoom().stepCount(), 1);
  apply("[200;210]", "20", "200");
  EXPECT_EQ(form->chartZoom().stepCount(), 1);
  EXPECT_DOUBLE_EQ(view().x.lower, 200);
  form->Chart1DblClick();
  EXPECT_TRUE(form->chartZoom().isAutomatic());
  EXPECT_DOUBLE_EQ(view().x.upper, 300);

  // A cancelled Apply puts the marks back; the whole span has none.
  form->interruptNextCommand();
  apply("[0;300]", "20", "200");
  EXPECT_TRUE(intervalMarksOf(form->chart()).shown);
  EXPECT_EQ(intervalMarksOf(form->chart()).left, 200);
  apply("[0;300]", "20", "200");
  EXPECT_FALSE(intervalMarksOf(form->chart()).shown);
  EXPECT_TRUE(form->chartZoom().isAutomatic());
}

TEST_F(WindowTruth, TheLogarithmicOrdinateLeavesOutOnlyTheDrawingOfPointsAtOrBelowZero) {
  menu("Edit > Apply");
  const int values = series(SeriesId::Values)->data()->size();
  menu("View > Logarithmic Ordinate");
  EXPECT_TRUE(checked("View > Logarithmic Ordinate"));
  EXPECT_EQ(form->chart().yAxis->scaleType(), QCPAxis::stLogarithmic);
  EXPECT_GT(view().y.lower, 0);
  EXPECT_EQ(series(SeriesId::Values)->data()->size(), values) << "the points stay";
  form->chart().toPixmap();  // draws without touching the series
  EXPECT_EQ(series(SeriesId::Values)->data()->size(), values);

  // A cancelled command keeps the scale; the item switches it back.
  form->interruptNextCommand();
  menu("Edit > Apply");
  EXPECT_EQ(form->chart().yAxis->scaleType(), QCPAxis::stLogarithmic);
  menu("View > Logarithmic Ordinate");
  EXPECT_FALSE(checked("View > Logarithmic Ordinate"));
  EXPECT_EQ(form->chart().yAxis->scaleType(), QCPAxis::stLinear);
}

TEST_F(WindowTruth, EnterInABoxAppliesAndEmptyBoxesSayWhatTheyTake) {
  const std::pair<Box, const char*> takes[] = {{Box::Edit3, "[left;right]"},
                                               {Box::Edit4, "terms"},
                                               {Box::Edit5, "points"},
                                               {Box::Edit6, "alpha"},
                                               {Box::Edit7, "beta"}};
  for (const auto& [box, placeholder] : takes)
    EXPECT_EQ(form->edit(box)->placeholderText().toStdString(), placeholder);
  EXPECT_EQ(form->boxText(Box::Edit3), "Interval of approximation") << "the text stays";

  form->setBoxText(Box::Edit4, "7");
  form->setBoxText(Box::Edit5, "30");
  form->edit(Box::Edit4)->setFocus();
  QTest::keyClick(form->edit(Box::Edit4), Qt::Key_Return);
  EXPECT_EQ(form->workspace().termCount, 7);
  form->setBoxText(Box::Edit4, "9");
  QTest::keyClick(form->edit(Box::Edit7), Qt::Key_Enter);
  EXPECT_EQ(form->workspace().termCount, 9);
}

TEST_F(WindowTruth, TheAutomaticRangeHoldsSamplesNearTheLargestDoubles) {
  dialogs->queue(folder.write("huge.txt", "-1.5e308 0\n1.7e308 1\n1e308 2\n-1e307 3\n"));
  menu("File > Open > Samples");
  ASSERT_EQ(form->workspace().sampleCount, 4);
  const double ky = axisScale(form->chart(), false);
  EXPECT_LE(view().y.lower * ky, -1.5e308);
  EXPECT_GE(view().y.upper * ky, 1.7e308);
  EXPECT_EQ(view().x.lower, 0);
  EXPECT_EQ(view().x.upper, 3);
  // The series keeps its points as they are; the ticks name the real values.
  EXPECT_EQ(series(SeriesId::Samples)->data()->at(1)->value, 1.7e308);
  form->chart().replot();
  bool large = false;
  for (const QString& label : form->chart().yAxis->tickVectorLabels())
    large = large || label.contains("e+308");
  EXPECT_TRUE(large);
  // Samples of ordinary size are drawn as they are again.
  openSine(50, 0.1);
  EXPECT_EQ(axisScale(form->chart(), false), 1.0);
  EXPECT_NEAR(view().y.upper, 3, 0.01);
}

}  // namespace
