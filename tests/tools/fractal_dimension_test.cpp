// Fractal dimension in the Chebyshev basis: flat and straight partial sums whose lengths are
// known exactly, a parabola against its closed-form arc length, and the guard before any
// series exists.
#include "tools/fractal_dimension.h"

#include <cmath>

#include "tests/tools/tool_fixture.h"

namespace {

using FractalDimension = ToolTest;
constexpr double curveTolerance = 16 * machineEpsilon;
// The Chebyshev fit of the parabola's integrand converges like 1.28^-N; at 160 terms that
// is below rounding, leaving the accumulated rounding of the fit.
constexpr double arcTolerance = 1e-13;

TEST_F(FractalDimension, ConstantGivesAHorizontalLine) {
  holdSeries({2, 0, 0, 0}, 0, 3);
  runSeriesTool(ws, window, "Fractal Dimension", fractalDimension);
  ASSERT_EQ(ws.valuesCount, 4);
  EXPECT_EQ(ws.valuesCapacity, 4);
  for (int32_t i = 0; i < 4; ++i) {
    EXPECT_NEAR(ws.valuesX[i], std::log(i + 1.0), curveTolerance);
    EXPECT_NEAR(ws.valuesY[i], std::log(3.0), curveTolerance);
  }
  EXPECT_EQ(ws.valuesX[0], 0.0);
  EXPECT_EQ(shown(SeriesId::Values).y, values());
  EXPECT_FALSE(window.busy);
}

TEST_F(FractalDimension, OneTermGivesOneEntryAtZero) {
  holdSeries({5}, -1, 1);
  runSeriesTool(ws, window, "Fractal Dimension", fractalDimension);
  ASSERT_EQ(ws.valuesCount, 1);
  EXPECT_EQ(ws.valuesX[0], 0.0);
  EXPECT_NEAR(ws.valuesY[0], std::log(2.0), curveTolerance);
}

TEST_F(FractalDimension, StraightLineHasTheLengthOfItsHypotenuse) {
  // S = 0.75 (x - 1) on [0, 2]: the first partial sum is flat (length 2), the second has
  // length 2 sqrt(1 + 0.75^2) = 2.5.
  holdSeries({0, 0.75}, 0, 2);
  runSeriesTool(ws, window, "Fractal Dimension", fractalDimension);
  ASSERT_EQ(ws.valuesCount, 2);
  EXPECT_NEAR(ws.valuesY[0], std::log(2.0), curveTolerance);
  EXPECT_NEAR(ws.valuesY[1], std::log(2.5), curveTolerance);
}

TEST_F(FractalDimension, ParabolaAgainstItsArcLength) {
  // S = T2(t) = 2 t^2 - 1 on [-1, 1]; its arc length is sqrt(17) + asinh(4) / 4.
  std::vector<double> c(160, 0.0);
  c[0] = 0, c[2] = 1;
  holdSeries(c, -1, 1, 400);
  runSeriesTool(ws, window, "Fractal Dimension", fractalDimension);
  const double arc = std::log(std::sqrt(17.0) + std::asinh(4.0) / 4);
  EXPECT_NEAR(ws.valuesY[1], std::log(2.0), curveTolerance);
  for (int32_t i : {2, 50, 159})
    EXPECT_NEAR(ws.valuesY[i], arc, arcTolerance) << i;
}

TEST_F(FractalDimension, LeavesTheSeriesAlone) {
  holdSeries({1, 2, 3}, 0, 2);
  runSeriesTool(ws, window, "Fractal Dimension", fractalDimension);
  EXPECT_EQ(ws.coefficients, (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(ws.termCount, 3);
}

TEST_F(FractalDimension, LeavesTheSourceAndSeriesOnTheMeshAlone) {
  // A source saved afterwards is the source, not the tool's integrand; the mesh is laid anew
  // with the same nodes.
  fiveSamples();
  selectSource(ws, window, SourceKind::Samples);
  ws.left = 0, ws.right = 4, ws.termCount = 3, ws.meshCount = 8;
  ASSERT_TRUE(recompute(ws, window));
  const std::vector<double> source = ws.sourceValues, series = ws.seriesValues, mesh = ws.meshX;
  runSeriesTool(ws, window, "Fractal Dimension", fractalDimension);
  ASSERT_EQ(ws.valuesCount, 3);
  EXPECT_EQ(ws.sourceValues, source);
  EXPECT_EQ(ws.seriesValues, series);
  EXPECT_EQ(ws.meshX, mesh);
}

TEST_F(FractalDimension, NothingToMeasureBeforeTheFirstRecompute) {
  runSeriesTool(ws, window, "Fractal Dimension", fractalDimension);
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(ws.valuesCount, 0);
  EXPECT_EQ(window.busyCount, 0);
}

TEST_F(FractalDimension, MeshGeneratorCountsAreNotReadPastTheBuffers) {
  holdSeries({1, 2, 3}, 0, 2);  // a 16-point mesh
  ws.meshCount = 1000000;       // as the mesh generator leaves it, without a recompute
  ws.termCount = 50;
  runSeriesTool(ws, window, "Fractal Dimension", fractalDimension);
  EXPECT_EQ(ws.valuesCount, 3);
}

}  // namespace
