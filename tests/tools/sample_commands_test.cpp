// Sample commands on five samples at 0..4: which samples each interval keeps or drops, the
// inverted and the out-of-range interval, and the series combined with the samples.
#include "tools/sample_commands.h"

#include "bases/chebyshev1.h"
#include "tests/tools/tool_fixture.h"

namespace {

using SampleCommands = ToolTest;
using Doubles = std::vector<double>;
constexpr double residualTolerance = 32 * machineEpsilon;

TEST_F(SampleCommands, DropOutsideKeepsTheClosedInterval) {
  fiveSamples();
  ws.left = 1, ws.right = 3;
  showSamplesTool(ws, window, dropOutside);
  EXPECT_EQ(valueAbscissae(), (Doubles{1, 2, 3}));
  EXPECT_EQ(values(), (Doubles{1, 3, 7}));
  EXPECT_EQ(ws.valuesCapacity, 3);
  EXPECT_EQ(shown(SeriesId::Values).x, (Doubles{1, 2, 3}));
}

TEST_F(SampleCommands, DropInsideKeepsTheEnds) {
  fiveSamples();
  ws.left = 1, ws.right = 3;
  showSamplesTool(ws, window, dropInside);
  EXPECT_EQ(valueAbscissae(), (Doubles{0, 1, 3, 4}));
  EXPECT_EQ(values(), (Doubles{5, 1, 7, 2}));
}

TEST_F(SampleCommands, IntervalPastTheLastSample) {
  fiveSamples();
  ws.left = 1, ws.right = 10;
  showSamplesTool(ws, window, dropOutside);
  EXPECT_EQ(valueAbscissae(), (Doubles{1, 2, 3, 4}));
  showSamplesTool(ws, window, dropInside);
  EXPECT_EQ(valueAbscissae(), (Doubles{0, 1}));
}

TEST_F(SampleCommands, InvertedIntervalEmptiesOrDoubles) {
  fiveSamples();
  ws.left = 3, ws.right = 1;
  showSamplesTool(ws, window, dropOutside);
  EXPECT_EQ(ws.valuesCount, 0);
  EXPECT_TRUE(shown(SeriesId::Values).x.empty());
  showSamplesTool(ws, window, dropInside);
  EXPECT_EQ(valueAbscissae(), (Doubles{0, 1, 2, 3, 1, 2, 3, 4}));
  EXPECT_EQ(ws.valuesCapacity, 8);
}

TEST_F(SampleCommands, IntervalRightOfEverySample) {
  fiveSamples();
  ws.left = 5, ws.right = 6;
  showSamplesTool(ws, window, dropOutside);
  EXPECT_EQ(ws.valuesCount, 0);
  showSamplesTool(ws, window, dropInside);
  EXPECT_EQ(valueAbscissae(), (Doubles{0, 1, 2, 3, 4}));
}

TEST_F(SampleCommands, SeriesAtEverySampleInsideAndOutside) {
  fiveSamples();
  // S(x) = c0/2 + c1 T1(t) on [1, 3]: t = x - 2, so S = 1 + 2 (x - 2), also outside [1, 3].
  holdSeries({2, 2}, 1, 3);
  runSamplesTool(ws, window, "Sample", sampleSeries);
  EXPECT_EQ(values(), (Doubles{-3, -1, 1, 3, 5}));
  runSamplesTool(ws, window, "Add", addSeries);
  EXPECT_EQ(values(), (Doubles{2, 0, 4, 10, 7}));
  runSamplesTool(ws, window, "Subtract", subtractSeries);
  EXPECT_EQ(values(), (Doubles{8, 2, 2, 4, -3}));
  EXPECT_EQ(valueAbscissae(), (Doubles{0, 1, 2, 3, 4}));
  EXPECT_EQ(ws.samplesY, (Doubles{5, 1, 3, 7, 2}));
  EXPECT_EQ(ws.coefficients, (Doubles{2, 2}));
}

TEST_F(SampleCommands, SubtractAfterAFitGivesTheResidual) {
  fiveSamples();
  ws.termCount = 3;
  ws.meshCount = 8;
  ASSERT_TRUE(recompute(ws, window));
  runSamplesTool(ws, window, "Subtract", subtractSeries);
  for (int32_t k = 0; k < 5; ++k) {
    const double s = static_cast<double>(chebyshev1Basis.evaluate(
        ws.left, ws.right, 0, 0, ws.coefficients.data(), 3, ws.samplesX[k]));
    EXPECT_NEAR(ws.valuesY[k], ws.samplesY[k] - s, residualTolerance);
  }
}

TEST_F(SampleCommands, BeforeTheFirstRecomputeTheSeriesIsZero) {
  fiveSamples();
  runSamplesTool(ws, window, "Sample", sampleSeries);
  EXPECT_EQ(values(), (Doubles{0, 0, 0, 0, 0}));
  runSamplesTool(ws, window, "Add", addSeries);
  EXPECT_EQ(values(), ws.samplesY);
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(SampleCommands, NoSamplesGiveAnEmptyTable) {
  replaceSamples(ws, {}, {});
  showSamplesTool(ws, window, dropOutside);
  showSamplesTool(ws, window, dropInside);
  runSamplesTool(ws, window, "Subtract", subtractSeries);
  EXPECT_EQ(ws.valuesCount, 0);
}

}  // namespace
