// The view follows the data in the real window (offscreen): new samples replace the zoom and
// what was computed from the old ones, and a tool's result is shown on its own scale as one
// zoom step. The status panels and boxes name their figures, and dialogs show whole captions.
#include <QInputDialog>
#include <QTimer>

#include <cmath>

#include "tests/files/temp_folder.h"
#include "tests/form/form_fixture.h"

namespace {

class DataView : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    showWindow();
  }

  // A two-column file of `n` samples from `first` by `step`, values value(i).
  template <typename Value>
  std::string samplesFile(const std::string& name, int n, double first, double step, Value value) {
    std::string text;
    for (int i = 0; i < n; ++i) {
      char line[64];
      std::snprintf(line, sizeof line, "%.10g %.10g\n", value(i), first + i * step);
      text += line;
    }
    return folder.write(name, text);
  }

  void open(const std::string& path) {
    dialogs->queue(path);
    menu("File > Open > Samples");
  }

  ChartView view() { return form->chartZoom().targetView(); }
  int points(SeriesId id) { return series(id)->data()->size(); }

  TempFolder folder;
};

// 300 yearly values of an eleven-year cycle.
double sunspots(int i) {
  return 80 * std::pow(std::fabs(std::sin(M_PI * i / 11.0)), 1.5) + 5;
}

TEST_F(DataView, NewSamplesClearTheZoomAndWhatWasComputedFromTheOldOnes) {
  open(samplesFile("years.txt", 300, 1700, 1, sunspots));
  form->setBoxText(Box::Edit4, "60");
  form->setBoxText(Box::Edit5, "600");
  menu("Edit > Apply");
  drag(pixelOf(1750, 60), pixelOf(1800, 20));
  ASSERT_EQ(form->chartZoom().stepCount(), 1);
  const int32_t coefficients = form->workspace().coefficientCount;

  // Weekly values near 315..370 from 1958.2 on: the chart shows them alone and whole.
  open(samplesFile("co2.txt", 2000, 1958.2, 7 / 365.25, [](int i) { return 315 + 0.025 * i; }));
  EXPECT_TRUE(form->chartZoom().isAutomatic());
  EXPECT_EQ(form->chartZoom().stepCount(), 0);
  EXPECT_NEAR(view().x.lower, 1958.2, 1e-9);
  EXPECT_NEAR(view().x.upper, 1958.2 + 1999 * 7 / 365.25, 1e-6);
  EXPECT_NEAR(view().y.lower, 315, 1e-9);
  EXPECT_NEAR(view().y.upper, 315 + 0.025 * 1999, 1e-6);
  for (SeriesId id : {SeriesId::Source, SeriesId::Analytic, SeriesId::Values, SeriesId::Baseline})
    EXPECT_EQ(points(id), 0) << static_cast<int>(id);
  EXPECT_EQ(points(SeriesId::Samples), 2000);
  // The Workspace keeps the previous series until the next Apply computes the new one.
  EXPECT_EQ(form->workspace().coefficientCount, coefficients);
  menu("Edit > Apply");
  EXPECT_EQ(points(SeriesId::Analytic), 600);
  EXPECT_EQ(points(SeriesId::Values), 2000);
  EXPECT_TRUE(messages.empty());
}

TEST_F(DataView, GeneratedMeshReplacesTheViewToo) {
  menu("Edit > Apply");
  drag(pixelOf(0.2, 1.5), pixelOf(0.8, 0.5));
  dialogs->queue("3");
  dialogs->queue("10");
  menu("File > Load > Mesh");
  EXPECT_TRUE(form->chartZoom().isAutomatic());
  EXPECT_NEAR(view().x.lower, 0.1, 1e-12);
  EXPECT_NEAR(view().x.upper, 3.0, 1e-12);
  EXPECT_EQ(points(SeriesId::Analytic), 0);
  EXPECT_EQ(points(SeriesId::Samples), 30);
}

TEST_F(DataView, PowerSpectrumFillsTheViewAsOneZoomStep) {
  open(samplesFile("years.txt", 300, 1700, 1, sunspots));
  form->basisList()->setCurrentIndex(fourierBasisIndex);
  form->ComboBox1Select(fourierBasisIndex);
  form->setBoxText(Box::Edit4, "101");
  form->setBoxText(Box::Edit5, "600");
  menu("Edit > Apply");
  const ChartView data = view();
  ASSERT_LT(data.x.lower, 1701);

  menu("Evaluate > Power Spectrum");
  const Workspace& ws = form->workspace();
  ASSERT_EQ(ws.valuesCount, 51);
  // Angular frequencies 0 .. 50 w0 with w0 = 2 pi / 299: the abscissa spans them, not years.
  EXPECT_EQ(view().x.lower, 0.0);
  EXPECT_NEAR(view().x.upper, 50 * 2 * M_PI / 299, 1e-12);
  double low = ws.valuesY[0], high = ws.valuesY[0];
  for (int32_t k = 0; k < ws.valuesCount; ++k)
    low = std::min(low, ws.valuesY[k]), high = std::max(high, ws.valuesY[k]);
  EXPECT_EQ(view().y.lower, low);
  EXPECT_EQ(view().y.upper, high);
  EXPECT_EQ(form->chartZoom().stepCount(), 1);

  doubleClick(pixelOf(0.5, high / 2));
  EXPECT_EQ(form->chartZoom().stepCount(), 0);
  EXPECT_LT(view().x.lower, 0.1);
  EXPECT_GE(view().x.upper, 1999);

  // Apply replaces the spectrum by the residual, and the view follows the data again.
  menu("Evaluate > Power Spectrum");
  menu("Edit > Apply");
  EXPECT_TRUE(form->chartZoom().isAutomatic());
  EXPECT_EQ(view().x, data.x);
  EXPECT_TRUE(messages.empty());
}

TEST_F(DataView, ToolResultAfterAZoomReturnsToThatZoom) {
  form->setBoxText(Box::Edit4, "10");
  form->setBoxText(Box::Edit7, "1");
  menu("Edit > Apply");
  drag(pixelOf(0.2, 1.5), pixelOf(0.8, 0.5));
  const ChartView zoomed = view();
  menu("Tools > Scan > Beta");
  EXPECT_EQ(form->chartZoom().stepCount(), 2);
  EXPECT_EQ(view().x.lower, form->workspace().valuesX[0]);
  doubleClick(pixelOf(view().x.center(), view().y.center()));
  EXPECT_EQ(view().x, zoomed.x);
  EXPECT_EQ(view().y, zoomed.y);

  // A refused spectrum leaves the Values table and the view alone.
  menu("Evaluate > Power Spectrum");
  EXPECT_EQ(form->chartZoom().stepCount(), 1);
  EXPECT_EQ(view().x, zoomed.x);
}

TEST_F(DataView, PanelsAndBoxesNameTheirFigures) {
  const QList<QLabel*> labels = form->statusBar()->findChildren<QLabel*>();
  QStringList tips;
  for (const QLabel* label : labels)
    tips << label->toolTip();
  for (const char* tip : {"error / fit", "elapsed time", "trapezoid / integral", "mouse mode"})
    EXPECT_TRUE(tips.contains(tip)) << tip << " in " << tips.join(", ").toStdString();
  EXPECT_EQ(form->edit(Box::Edit5)->toolTip(), "Number of samples");
}

TEST(QtDialogsInputBox, ShowsItsWholeCaption) {
  QWidget parent;
  QtDialogs dialogs(&parent);
  int needed = 0, width = 0;
  QString title;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    needed = box->fontMetrics().horizontalAdvance(title);
    width = box->width();
    box->setTextValue("0 2");
    box->accept();
  });
  const std::optional<std::string> answer =
      dialogs.inputBox("8192 samples detected", "Input left and right bounds", "0 1");
  EXPECT_EQ(answer, "0 2");
  EXPECT_EQ(title, "8192 samples detected");
  EXPECT_GE(width, needed + 100);
}

}  // namespace
