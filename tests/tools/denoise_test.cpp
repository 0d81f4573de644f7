// Denoise: envelopes of small signals whose midpoints are checkable by hand, and fewer than two
// samples.
#include "tools/denoise.h"

#include "tests/tools/tool_fixture.h"

namespace {

using Denoise = ToolTest;
using Doubles = std::vector<double>;

TEST_F(Denoise, AlternationSmoothsToZeroInside) {
  // Upper envelope through the +1 samples, lower through the -1 samples; at x = 1 the upper
  // one runs from (0, 1) to (2, 1) and the lower one passes through (1, -1).
  replaceSamples(ws, {0, 1, 2, 3, 4, 5, 6}, {1, -1, 1, -1, 1, -1, 1});
  runSamplesTool(ws, window, "Denoise", denoise);
  EXPECT_EQ(values(), (Doubles{1, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(valueAbscissae(), ws.samplesX);
  EXPECT_EQ(shown(SeriesId::Values).y, values());
}

TEST_F(Denoise, TwoSamplesStayAsTheyAre) {
  replaceSamples(ws, {0, 1}, {3, -2});
  runSamplesTool(ws, window, "Denoise", denoise);
  EXPECT_EQ(values(), (Doubles{3, -2}));
}

TEST_F(Denoise, MonotonicRiseBecomesTheChord) {
  replaceSamples(ws, {0, 1, 2, 4}, {0, 5, 6, 8});
  runSamplesTool(ws, window, "Denoise", denoise);
  EXPECT_EQ(values(), (Doubles{0, 2, 4, 8}));
}

TEST_F(Denoise, ConstantSignalIsKept) {
  replaceSamples(ws, {0, 1, 2, 3}, {2.5, 2.5, 2.5, 2.5});
  runSamplesTool(ws, window, "Denoise", denoise);
  EXPECT_EQ(values(), (Doubles{2.5, 2.5, 2.5, 2.5}));
}

TEST_F(Denoise, LeavesEverythingElseAlone) {
  fiveSamples();
  holdSeries({1, 2}, 1, 3);
  runSamplesTool(ws, window, "Denoise", denoise);
  EXPECT_EQ(ws.samplesY, (Doubles{5, 1, 3, 7, 2}));
  EXPECT_EQ(ws.coefficients, (Doubles{1, 2}));
  EXPECT_EQ(ws.left, 1);
  EXPECT_EQ(ws.right, 3);
  EXPECT_FALSE(ws.sourceFn);
}

TEST_F(Denoise, FewerThanTwoSamples) {
  replaceSamples(ws, {2}, {7});
  runSamplesTool(ws, window, "Denoise", denoise);
  EXPECT_EQ(values(), (Doubles{7}));
  replaceSamples(ws, {}, {});
  runSamplesTool(ws, window, "Denoise", denoise);
  EXPECT_EQ(ws.valuesCount, 0);
  EXPECT_TRUE(shown(SeriesId::Values).x.empty());
}

}  // namespace
