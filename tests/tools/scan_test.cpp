// Parameter scans: the ten values scanned from a start of 1 and of -1, where the parameter and
// the box end up, and "Both" on a test basis whose fit figure is a bowl with a known bottom.
#include "tools/scan.h"

#include <cmath>

#include "tests/tools/tool_fixture.h"

namespace {

constexpr double scanTolerance = 8 * machineEpsilon;

// A basis whose fit figure is (alpha - bowlAlpha)^2 + (beta - bowlBeta)^2 + bowlFloor.
double bowlAlpha = 0, bowlBeta = 0, bowlFloor = 0;

long double bowlFit(double left, double right, double& alpha, double& beta, double* c, int32_t n,
                    double* meshX, double*, double* seriesValues, int32_t m, const SourceFn&,
                    int32_t) {
  for (int32_t i = 0; i < m; ++i) {
    meshX[i] = left + (right - left) * i / (m - 1);
    seriesValues[i] = 0;
  }
  for (int32_t k = 0; k < n; ++k)
    c[k] = 0;
  const double a = alpha - bowlAlpha, b = beta - bowlBeta;
  return a * a + b * b + bowlFloor;
}
long double noEvaluate(double, double, double, double, const double*, int32_t, double) {
  return 0;
}
void noEvaluateMany(double, double, double, double, const double*, int32_t, const double*, double*,
                    int32_t) {}
void noQuadrature(double*, double*, int32_t, double, double) {}
void noDifferentiate(double, double, double, double, const double*, double*, int32_t) {}
long double noIntegrate(double, double, double, double, const double*, int32_t) {
  return 0;
}
const BasisOps bowlBasis = {bowlFit,         noEvaluate,  noQuadrature,
                            noDifferentiate, noIntegrate, noEvaluateMany};

class Scan : public ToolTest {
 protected:
  void useBowl(double atAlpha, double atBeta, double floor = 0) {
    bowlAlpha = atAlpha, bowlBeta = atBeta, bowlFloor = floor;
    ws.basis = bowlBasis;
  }
};

TEST_F(Scan, BetaFromOneRunsFromHalfToTwo) {
  useBowl(0, 0);
  ws.beta = 1;
  runRecomputingTool(ws, window, "Scan > Beta", scanBeta);
  ASSERT_EQ(ws.valuesCount, 10);
  EXPECT_EQ(ws.valuesCapacity, 10);
  for (int32_t i = 0; i < 10; ++i) {
    const double beta = 0.5 + i / 6.0;
    EXPECT_NEAR(ws.valuesX[i], beta, scanTolerance);
    EXPECT_NEAR(ws.valuesY[i], beta * beta, 4 * scanTolerance);
  }
  EXPECT_NEAR(ws.valuesX[9], 2.0, scanTolerance);
  EXPECT_NEAR(ws.beta, 13.0 / 6, scanTolerance);  // one step beyond the last value scanned
  EXPECT_EQ(window.boxText(Box::Edit7), "2");
  EXPECT_EQ(shown(SeriesId::Values).x, valueAbscissae());
}

TEST_F(Scan, NegativeAlphaScansDownwards) {
  ws.alpha = -1;
  runRecomputingTool(ws, window, "Scan > Alpha", scanAlpha);
  EXPECT_NEAR(ws.valuesX[0], -0.5, scanTolerance);
  EXPECT_NEAR(ws.valuesX[9], -2.0, scanTolerance);
  for (int32_t i = 1; i < 10; ++i)
    EXPECT_LT(ws.valuesX[i], ws.valuesX[i - 1]);
  EXPECT_EQ(window.boxText(Box::Edit6), "-2");
}

TEST_F(Scan, ZeroParameterScansOneValue) {
  runRecomputingTool(ws, window, "Scan > Beta", scanBeta);
  for (int32_t i = 0; i < 10; ++i)
    EXPECT_EQ(ws.valuesX[i], 0.0);
  EXPECT_EQ(ws.beta, 0.0);
}

TEST_F(Scan, BothSettlesOnTheSmallestFigure) {
  // alpha 1: 0.5, 0.5 + 1/6, ... ; beta 2: 1, 1 + 1/3, ... The bowl's bottom lies nearest the
  // third alpha and the seventh beta.
  ws.alpha = 1, ws.beta = 2;
  useBowl(0.84, 2.99);
  runRecomputingTool(ws, window, "Scan > Both", scanBoth);
  const double stepA = (2.0 - 0.5) / 9, stepB = (4.0 - 1) / 9;
  EXPECT_EQ(ws.alpha, 0.5 + stepA + stepA);
  double beta = 1;
  for (int i = 0; i < 6; ++i)
    beta = beta + stepB;
  EXPECT_EQ(ws.beta, beta);
  EXPECT_EQ(window.boxText(Box::Edit6), "0.833333");
  EXPECT_EQ(window.boxText(Box::Edit7), "3");
}

TEST_F(Scan, BothKeepsTheStartingPairWhenNothingFitsBelowOne) {
  ws.alpha = 1, ws.beta = 2;
  useBowl(0, 0, 1.0);
  runRecomputingTool(ws, window, "Scan > Both", scanBoth);
  EXPECT_EQ(ws.alpha, 1.0);
  EXPECT_EQ(ws.beta, 2.0);
  EXPECT_EQ(window.boxText(Box::Edit6), "1");
  EXPECT_EQ(window.boxText(Box::Edit7), "2");
  useBowl(std::nan(""), 0);  // every figure not a number
  runRecomputingTool(ws, window, "Scan > Both", scanBoth);
  EXPECT_EQ(ws.alpha, 1.0);
  EXPECT_EQ(ws.beta, 2.0);
}

TEST_F(Scan, WithoutASourceTheCurveIsFlatAtZero) {
  holdSeries({1, 2}, 0, 2);
  ws.alpha = 3;
  runRecomputingTool(ws, window, "Scan > Alpha", scanAlpha);
  EXPECT_EQ(values(), std::vector<double>(10, 0.0));
}

TEST_F(Scan, BothWithoutASourcePicksTheFirstPair) {
  holdSeries({1, 2}, 0, 2);
  ws.alpha = 3, ws.beta = 5;
  runRecomputingTool(ws, window, "Scan > Both", scanBoth);
  EXPECT_EQ(ws.alpha, 1.5);
  EXPECT_EQ(ws.beta, 2.5);
}

}  // namespace
