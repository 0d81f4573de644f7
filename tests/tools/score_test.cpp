// Sliding-window score on five samples at 0..4: which windows are scanned, the distance at the
// starting window, a distance against its closed-form Legendre weights 2 / (2k + 1), and the
// curve kept after the interval is restored.
#include "tools/score.h"

#include <cfloat>
#include <cmath>

#include "tests/tools/tool_fixture.h"

namespace {

#include "tests/bases/references/gamma_references.inc"

using Score = ToolTest;
using Doubles = std::vector<double>;
// The distances are square roots of sums of a few double products.
constexpr double weightTolerance = 1e-13;

class ScoreOnFiveSamples : public ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    fiveSamples({5, 1, 3, 7, 2});
    ws.termCount = 3;
    ws.meshCount = 8;
  }
  Doubles coefficientsOn(double left, double right) {
    ws.left = left, ws.right = right;
    EXPECT_TRUE(recompute(ws, window));
    return ws.coefficients;
  }
};

TEST_F(ScoreOnFiveSamples, SlidesTheWindowsThatStartBeforeTheLastFittingOne) {
  // Width 2 over samples up to 4: windows at 0 and 1 are scanned (the one at 2 is the last
  // that fits and is not).
  const Doubles atZero = coefficientsOn(0, 2);
  const Doubles atOne = coefficientsOn(1, 3);
  runRecomputingTool(ws, window, "Score", slidingScore);
  ASSERT_EQ(ws.valuesCount, 2);
  EXPECT_EQ(valueAbscissae(), (Doubles{0, 1}));
  double expected = 0;
  for (int k = 0; k < 3; ++k)
    expected += 2.0 / (2 * k + 1) * (atOne[k] - atZero[k]) * (atOne[k] - atZero[k]);
  EXPECT_NEAR(ws.valuesY[0], std::sqrt(expected), weightTolerance * std::sqrt(expected));
  EXPECT_EQ(ws.valuesY[1], 0.0);  // the starting window itself
}

TEST_F(ScoreOnFiveSamples, RestoresTheIntervalAndKeepsTheCurve) {
  coefficientsOn(1, 3);
  const Doubles before = ws.coefficients;
  runRecomputingTool(ws, window, "Score", slidingScore);
  EXPECT_EQ(ws.left, 1);
  EXPECT_EQ(ws.right, 3);
  EXPECT_EQ(ws.coefficients, before);
  EXPECT_EQ(window.boxText(Box::Edit3), "[1;3]");
  EXPECT_EQ(shown(SeriesId::Values).x, (Doubles{0, 1}));
}

TEST_F(ScoreOnFiveSamples, NoWindowFitsOrNoneIsLeft) {
  coefficientsOn(0, 4);  // the interval spans all samples
  runRecomputingTool(ws, window, "Score", slidingScore);
  EXPECT_EQ(ws.valuesCount, 0);
  coefficientsOn(0, 5);  // wider than the samples
  runRecomputingTool(ws, window, "Score", slidingScore);
  EXPECT_EQ(ws.valuesCount, 0);
  EXPECT_TRUE(shown(SeriesId::Values).x.empty());
}

TEST_F(ScoreOnFiveSamples, ChebyshevWeightsStayFinite) {
  // alpha = beta = -1/2 makes Gamma(alpha + beta + 1) / (alpha + beta + 1) at k = 0 a
  // quotient of infinities; the weight is Gamma(1/2)^2 / Gamma(1) = pi there.
  ws.alpha = ws.beta = -0.5;
  const Doubles atZero = coefficientsOn(0, 2);
  const Doubles atOne = coefficientsOn(1, 3);
  runRecomputingTool(ws, window, "Score", slidingScore);
  ASSERT_EQ(ws.valuesCount, 2);
  EXPECT_TRUE(std::isfinite(ws.valuesY[0]));
  // Squared norms of P_k^(-1/2,-1/2): pi, pi/8 and 9 pi / 128 for k = 0, 1, 2.
  const double pi = 3.141592653589793;
  const double weights[3] = {pi, pi / 8, 9 * pi / 128};
  double expected = 0;
  for (int k = 0; k < 3; ++k)
    expected += weights[k] * (atOne[k] - atZero[k]) * (atOne[k] - atZero[k]);
  EXPECT_NEAR(ws.valuesY[0], std::sqrt(expected), weightTolerance * std::sqrt(expected));
}

TEST_F(ScoreOnFiveSamples, BeforeTheFirstRecomputeTheReferenceIsComputed) {
  ws.left = 1, ws.right = 3;
  runRecomputingTool(ws, window, "Score", slidingScore);
  ASSERT_EQ(ws.valuesCount, 2);
  EXPECT_EQ(ws.valuesY[1], 0.0);
  EXPECT_TRUE(window.messages.empty());
}

TEST(JacobiSquaredNorm, AgreesWithMpmathAtLargeDegreesAndExponents) {
  // Relative to a long double's last place; the gamma quotients' condition grows with alpha
  // and beta and with the logarithm of the degree.
  for (const auto& r : jacobiNormReferences) {
    const long double error = std::fabs(jacobiSquaredNorm(r.k, r.alpha, r.beta) / r.value - 1);
    const double condition = 1 + (std::fabs(r.alpha) + std::fabs(r.beta)) * std::log(r.k + 2.0);
    EXPECT_LE(error, 16 * LDBL_EPSILON * condition)
        << "k = " << r.k << ", alpha = " << r.alpha << ", beta = " << r.beta;
  }
}

}  // namespace
