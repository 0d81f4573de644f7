// The recompute cycle driven through a recording window: the settling of the parameters, the
// window of samples and its baseline, the figures and the texts shown, and the cases the cycle
// must survive (an interval right of every sample, a single sample, nothing to evaluate, counts
// too large for the memory).
#include "app/recompute.h"
#include "app/busy_indicator.h"

#include <gtest/gtest.h>

#include <cmath>

#include "app/sources.h"
#include "app/startup.h"
#include "app/text_format.h"
#include "tests/app/fake_window.h"

namespace {

class RecomputeTest : public ::testing::Test {
 protected:
  void SetUp() override { startUp(ws, window); }

  void apply(const std::string& interval, const std::string& terms = "",
             const std::string& mesh = "") {
    window.boxes[Box::Edit3] = interval;
    window.boxes[Box::Edit4] = terms;
    window.boxes[Box::Edit5] = mesh;
    applyInputs(ws, window);
  }

  void useSamples(std::vector<double> x, std::vector<double> y) {
    replaceSamples(ws, std::move(x), std::move(y));
  }

  Workspace ws;
  FakeWindow window;
};

TEST_F(RecomputeTest, StartUpShowsTheMeanderWithoutComputing) {
  EXPECT_EQ(window.caption, "Serna - meander [2]");
  EXPECT_EQ(window.series[SeriesId::Samples].x, (std::vector<double>{0, 1}));
  EXPECT_EQ(window.series[SeriesId::Samples].y, (std::vector<double>{1, 1}));
  EXPECT_EQ(window.series.count(SeriesId::Analytic), 0u);
  EXPECT_TRUE(window.isChecked("Source > Samples"));
  EXPECT_FALSE(window.isChecked("Source > None"));
  EXPECT_EQ(ws.basisIndex, chebyshev1BasisIndex);
  EXPECT_EQ(ws.coefficientCount, 0);
  EXPECT_EQ(ws.meshCapacity, 0);
}

TEST_F(RecomputeTest, FirstApplyWithUntouchedBoxesFitsTheStep) {
  window.clock = 5000;
  applyInputs(ws, window);
  EXPECT_EQ(window.boxes[Box::Edit3], "[0;2]");
  EXPECT_EQ(window.boxes[Box::Edit4], "100");
  EXPECT_EQ(window.boxes[Box::Edit5], "1000");
  EXPECT_EQ(window.boxes[Box::Edit6], "0");
  EXPECT_EQ(window.boxes[Box::Edit7], "0");
  EXPECT_EQ(ws.fitMode, 3);
  EXPECT_EQ(ws.coefficientCount, 100);
  EXPECT_EQ(window.series[SeriesId::Analytic].x.size(), 1000u);
  EXPECT_EQ(window.series[SeriesId::Source].x.size(), 1000u);
  // The step is 1 on [0, 1] and 0 beyond: the series integrates to about 1, the residual of
  // the flat samples is 0.
  EXPECT_NEAR(ws.integralFigure, 1.0, 1e-3);
  EXPECT_EQ(ws.trapezoidFigure, 0.0);
  EXPECT_GT(ws.fitFigure, 0.0);
  EXPECT_LT(ws.fitFigure, 0.01);
  EXPECT_EQ(window.panels[0], format("%lg / %lg", ws.errorFigure, ws.fitFigure));
  EXPECT_EQ(window.panels[1], "0 seconds");
  EXPECT_EQ(window.panels[2], format("%lg / %lg", 0.0, ws.integralFigure));
  EXPECT_EQ(window.panels[3], "Zoom mouse mode");
  EXPECT_FALSE(window.busy);
  EXPECT_EQ(window.busyCount, 1);
}

TEST_F(RecomputeTest, InputBoxesAreScannedFieldByField) {
  apply("[1;", "12abc", "");
  EXPECT_EQ(ws.left, 1.0);
  EXPECT_EQ(ws.right, 2.0);
  EXPECT_EQ(ws.termCount, 12);
  apply(" [0.5;1.5]", "nothing", "-");
  EXPECT_EQ(ws.left, 1.0);  // an interval must begin with "["
  EXPECT_EQ(ws.termCount, 12);
  EXPECT_EQ(ws.meshCount, 1000);
  window.boxes[Box::Edit6] = "2.5";
  window.boxes[Box::Edit7] = "-1e300";
  applyInputs(ws, window);
  EXPECT_EQ(window.boxes[Box::Edit6], "2.5");
  EXPECT_EQ(window.boxes[Box::Edit7], "-1e+300");
}

TEST_F(RecomputeTest, CountsAreSettled) {
  apply("[0;2]", "0");
  EXPECT_EQ(ws.termCount, 1);
  apply("[0;2]", "-3");
  EXPECT_EQ(ws.termCount, 1);
  apply("[0;2]", "7", "5");
  EXPECT_EQ(ws.termCount, 7);
  EXPECT_EQ(ws.meshCount, 8);
  apply("[0;2]", "10", "11");
  EXPECT_EQ(window.boxes[Box::Edit4], "10");
  EXPECT_EQ(window.boxes[Box::Edit5], "12");
}

TEST_F(RecomputeTest, ReversedIntervalBecomesTheSamplesSpan) {
  useSamples({0, 2.5, 10}, {1, 2, 3});
  apply("[5;1]");
  EXPECT_EQ(window.boxes[Box::Edit3], "[0;10]");
}

TEST_F(RecomputeTest, WindowAndBaselineOverTheInterval) {
  useSamples({0, 1, 2, 3}, {5, 1, 3, 7});
  apply("[1;2]");
  EXPECT_EQ(ws.valuesCount, 2);
  EXPECT_EQ(ws.baselineX, (std::array<double, 2>{1, 2}));
  EXPECT_EQ(ws.baselineY, (std::array<double, 2>{1, 3}));
  EXPECT_EQ(ws.valuesY[0], 0.0);
  EXPECT_EQ(ws.valuesY[1], 0.0);
  EXPECT_EQ(ws.trapezoidFigure, 0.0);
  EXPECT_EQ(window.series[SeriesId::Values].x, (std::vector<double>{1, 2}));
  EXPECT_EQ(window.series[SeriesId::Baseline].x, (std::vector<double>{1, 2}));
}

TEST_F(RecomputeTest, ResidualIsSamplesMinusTheBaseline) {
  useSamples({0, 1, 2, 3, 4}, {0, 3, 1, 2, 8});
  apply("[1;3]");
  // Baseline from (1, 3) to (3, 2): at x = 2 it is 2.5.
  ASSERT_EQ(ws.valuesCount, 3);
  EXPECT_EQ(ws.valuesY[1], -1.5);
  EXPECT_EQ(ws.trapezoidFigure, -1.5);
}

TEST_F(RecomputeTest, IntervalBetweenTwoSamplesHasAnEmptyWindow) {
  useSamples({0, 1}, {4, 6});
  apply("[0.2;0.8]");
  EXPECT_EQ(ws.valuesCount, 0);
  EXPECT_TRUE(window.series[SeriesId::Values].x.empty());
  EXPECT_EQ(ws.baselineX, (std::array<double, 2>{1, 0}));
  EXPECT_EQ(ws.trapezoidFigure, 0.0);
}

TEST_F(RecomputeTest, IntervalLeftOfEverySampleTakesNoSampleBeforeTheFirst) {
  useSamples({5, 6, 7}, {1, 2, 3});
  apply("[0;2]");
  EXPECT_EQ(ws.valuesCount, 0);
  EXPECT_EQ(ws.baselineX, (std::array<double, 2>{5, 5}));
  EXPECT_EQ(ws.baselineY, (std::array<double, 2>{1, 1}));
  EXPECT_EQ(window.boxes[Box::Edit3], "[0;2]");
}

TEST_F(RecomputeTest, EndsOfTheIntervalAreInsideTheWindow) {
  useSamples({0, 1, 2, 3}, {0, 1, 2, 3});
  apply("[1;3]");
  EXPECT_EQ(ws.valuesCount, 3);
  EXPECT_EQ(ws.valuesX[0], 1.0);
  EXPECT_EQ(ws.valuesX[2], 3.0);
}

TEST_F(RecomputeTest, SingleSampleKeepsThePreviousInterval) {
  apply("[0;3]");
  useSamples({1.5}, {2});
  apply("[5;1]");
  EXPECT_EQ(window.boxes[Box::Edit3], "[0;3]");
  EXPECT_TRUE(std::isfinite(ws.fitFigure));
}

TEST_F(RecomputeTest, NoSourceAndNoCoefficientsShowsNoSeries) {
  selectSource(ws, window, SourceKind::None);
  applyInputs(ws, window);
  EXPECT_EQ(ws.termCount, 100);
  EXPECT_EQ(ws.fitMode, 2);
  EXPECT_TRUE(window.series[SeriesId::Analytic].x.empty());
  EXPECT_EQ(ws.fitFigure, 0.0);
  EXPECT_EQ(ws.errorFigure, 0.0);
  EXPECT_EQ(ws.integralFigure, 0.0);
  EXPECT_EQ(window.panels[0], "0 / 0");
}

TEST_F(RecomputeTest, WithoutSourceTheHeldCoefficientsAreEvaluated) {
  apply("[0;2]", "3");
  const std::vector<double> held = ws.coefficients;
  selectSource(ws, window, SourceKind::None);
  apply("[0;2]", "10");
  EXPECT_EQ(ws.termCount, 3);
  EXPECT_EQ(window.boxes[Box::Edit4], "3");
  EXPECT_EQ(ws.coefficients, held);
  EXPECT_EQ(window.series[SeriesId::Analytic].x.size(), 1000u);
}

TEST_F(RecomputeTest, ErrorFigureNeedsSourceValuesOnTheSameMesh) {
  applyInputs(ws, window);
  selectSource(ws, window, SourceKind::None);
  apply("[0;2]", "100", "1000");
  EXPECT_GT(ws.errorFigure, 0.0);  // the last source's values on the same mesh
  apply("[0;2]", "100", "2000");   // the buffers grew: no source values here
  EXPECT_EQ(ws.errorFigure, 0.0);
}

TEST_F(RecomputeTest, ErrorFigureOfAZeroSourceIsTheUndividedDeviation) {
  selectSource(ws, window, SourceKind::Values);  // the flat samples leave a zero residual
  applyInputs(ws, window);
  for (int32_t j = 0; j < ws.coefficientCount; ++j)
    EXPECT_EQ(ws.coefficients[j], 0.0);
  EXPECT_EQ(ws.errorFigure, 0.0);
  EXPECT_EQ(ws.fitFigure, 0.0);
}

TEST_F(RecomputeTest, ErrorFigureIsNotZeroWhenSourceOrSeriesIsNotFinite) {
  // A not-a-number sample spreads through the source into the series; an infinite one makes
  // the deviation and the range infinite. Neither may read as a perfect fit.
  for (double bad : {NAN, INFINITY}) {
    useSamples({0, 1, 2, 3}, {1, bad, 2, 0});
    apply("[0;3]", "4", "10");
    EXPECT_FALSE(ws.errorFigure == 0.0) << bad;
    EXPECT_TRUE(std::isnan(ws.errorFigure)) << bad;
    EXPECT_EQ(window.panels[0].rfind("nan / ", 0), 0u) << window.panels[0];
  }
  useSamples({0, 1, 2, 3}, {1, 3, 2, 0});
  apply("[0;3]", "4", "10");
  EXPECT_TRUE(std::isfinite(ws.errorFigure));
}

TEST_F(RecomputeTest, BuiltInSourceIsTheSineOnTheMesh) {
  selectSource(ws, window, SourceKind::Builtin);
  apply("[0;6]", "20", "100");
  const FakeSeries& source = window.series[SeriesId::Source];
  ASSERT_EQ(source.x.size(), 100u);
  for (size_t i = 0; i < source.x.size(); ++i)
    EXPECT_EQ(source.y[i], std::sin(source.x[i]));
  EXPECT_LT(ws.fitFigure, 1e-12);
}

TEST_F(RecomputeTest, MeshBuffersOnlyGrow) {
  applyInputs(ws, window);
  apply("[0;2]", "100", "1002");
  EXPECT_EQ(ws.meshCapacity, 1002);
  const double* buffer = ws.meshX.data();
  apply("[0;2]", "100", "1000");
  EXPECT_EQ(ws.meshCapacity, 1002);
  EXPECT_EQ(ws.meshX.data(), buffer);
  EXPECT_EQ(window.series[SeriesId::Analytic].x.size(), 1000u);
}

TEST_F(RecomputeTest, ValuesBuffersFollowAToolsSmallerTable) {
  std::vector<double> x(500), y(500);
  for (int i = 0; i < 500; ++i)
    x[i] = i, y[i] = i % 7;
  useSamples(x, y);
  apply("[0;499]");
  replaceValues(ws, std::vector<double>(10, 0.0), std::vector<double>(10, 0.0));
  EXPECT_EQ(ws.valuesCapacity, 10);
  apply("[0;299]");
  EXPECT_EQ(ws.valuesCount, 300);
  EXPECT_GE(ws.valuesCapacity, 300);
}

TEST_F(RecomputeTest, CountsBeyondTheMemoryAreRefusedAndChangeNothing) {
  applyInputs(ws, window);
  const std::vector<double> coefficients = ws.coefficients;
  apply("[0;3]", "400000000", "1000");
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].rfind("Warning: Not enough memory", 0), 0u);
  EXPECT_EQ(ws.termCount, 100);
  EXPECT_EQ(ws.meshCount, 1000);
  EXPECT_EQ(ws.right, 2.0);
  EXPECT_EQ(ws.meshCapacity, 1000);
  EXPECT_EQ(ws.coefficients, coefficients);
  apply("[0;2]", "100", "2147483647");  // odd: raising it by one would overflow
  ASSERT_EQ(window.messages.size(), 2u);
  EXPECT_EQ(window.messages[1],
            "Warning: 2147483648 evaluation points are more than the program "
            "can count (at most 2147483647)");
  EXPECT_EQ(ws.meshCount, 1000);
}

TEST_F(RecomputeTest, BusyIndicatorShowsHundredthsOfSeconds) {
  window.clock = 100;
  setBusy(window, true);
  EXPECT_EQ(window.panels[1], "Please wait!");
  EXPECT_TRUE(window.busy);
  window.clock = 1334;
  setBusy(window, false);
  EXPECT_EQ(window.panels[1], "1.23 seconds");
  EXPECT_FALSE(window.busy);
}

TEST_F(RecomputeTest, NotANumberIntervalIsShownNotSettled) {
  apply("[nan;1]");
  EXPECT_TRUE(std::isnan(ws.left));
  EXPECT_EQ(window.boxes[Box::Edit3], "[nan;1]");
}

}  // namespace

namespace {

// The integral figure says how it was formed where that is not the series' own integral.
TEST_F(RecomputeTest, TheIntegralFiguresNoteNamesAMeshRule) {
  selectBasis(ws, discreteChebyshevBasisIndex);
  apply("[0;2]", "20", "100");
  EXPECT_EQ(window.panelNotes[2], "");
  apply("[0;2]", "40", "100");
  EXPECT_EQ(window.panelNotes[2],
            "The integral is the trapezoid rule on the 100 points of the series: past 25 terms "
            "the polynomial swings far between its points");
  selectBasis(ws, legendreBasisIndex);
  apply("[0;2]", "40", "100");
  EXPECT_EQ(window.panelNotes[2], "");
}

}  // namespace
