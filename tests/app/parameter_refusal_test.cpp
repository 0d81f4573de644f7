// alpha and beta the current basis cannot use are refused where they are read, with a warning
// that names the valid range; the Workspace and the boxes stay as they were, and a node set
// that comes out beyond doubles is neither shown nor kept.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/recompute.h"
#include "app/startup.h"
#include "app/tool_runner.h"
#include "tests/app/fake_window.h"
#include "tools/scan.h"

namespace {

class ParameterRefusal : public ::testing::Test {
 protected:
  void SetUp() override {
    startUp(ws, window);
    applyWith("0", "0");  // a first fit to compare against
  }

  void applyWith(const std::string& alpha, const std::string& beta,
                 const std::string& mesh = "100") {
    window.boxes[Box::Edit3] = "[0;2]";
    window.boxes[Box::Edit4] = "20";
    window.boxes[Box::Edit5] = mesh;
    window.boxes[Box::Edit6] = alpha;
    window.boxes[Box::Edit7] = beta;
    window.messages.clear();
    applyInputs(ws, window);
  }

  // Applies a refused pair: one warning with the text, and nothing else changes.
  void expectRefused(const std::string& alpha, const std::string& beta, const std::string& text) {
    const std::vector<double> coefficients = ws.coefficients;
    const double oldAlpha = ws.alpha, oldBeta = ws.beta;
    applyWith(alpha, beta);
    ASSERT_EQ(window.messages.size(), 1u) << alpha << " " << beta;
    EXPECT_EQ(window.messages[0], "Warning: " + text);
    EXPECT_EQ(ws.coefficients, coefficients);
    EXPECT_EQ(ws.alpha, oldAlpha);
    EXPECT_EQ(ws.beta, oldBeta);
    EXPECT_EQ(window.boxes[Box::Edit6], alpha);  // as typed: the user corrects it there
  }

  Workspace ws;
  FakeWindow window;
};

TEST_F(ParameterRefusal, NotANumberOrInfinityIsRefusedInEveryBasis) {
  for (int32_t basis = 0; basis < basisCount; ++basis) {
    selectBasis(ws, basis);
    applyWith("0.5", "1");
    ASSERT_TRUE(window.messages.empty()) << basis;
    expectRefused("nan", "1", "alpha and beta must be finite numbers");
    expectRefused("0.5", "-inf", "alpha and beta must be finite numbers");
    expectRefused("inf", "inf", "alpha and beta must be finite numbers");
  }
}

TEST_F(ParameterRefusal, JacobiTakesOnlyAlphaAndBetaAboveMinusOne) {
  selectBasis(ws, jacobiBasisIndex);
  applyWith("-0.999", "-0.999");
  EXPECT_TRUE(window.messages.empty());
  EXPECT_TRUE(std::isfinite(ws.fitFigure));
  for (const auto& [alpha, beta] : std::vector<std::pair<std::string, std::string>>{
           {"-1", "0"}, {"0", "-1"}, {"-1.5", "2"}, {"3", "-7"}})
    expectRefused(alpha, beta, "Jacobi polynomials take alpha and beta greater than -1");
}

TEST_F(ParameterRefusal, CorrectingBasesStillCorrectTheirParameters) {
  selectBasis(ws, soninLaguerreBasisIndex);
  applyWith("-3", "-2");
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(ws.alpha, 0.0);  // alpha of -1 or below becomes 0
  EXPECT_GT(ws.beta, 0.0);   // beta of 0 or below becomes the automatic scale
  selectBasis(ws, hermiteBasisIndex);
  applyWith("0", "-1");
  EXPECT_TRUE(window.messages.empty());
  EXPECT_GT(ws.beta, 0.0);
}

TEST_F(ParameterRefusal, AJacobiNodeSetBeyondDoublesIsRefusedAndNotKept) {
  selectBasis(ws, jacobiBasisIndex);
  applyWith("1", "2", "1000");
  const std::vector<double> coefficients = ws.coefficients;
  applyWith("1500", "1500", "1000");
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].rfind("Warning: The Jacobi nodes and weights for alpha 1500, beta "
                                     "1500 and 1000 points are beyond doubles",
                                     0),
            0u)
      << window.messages[0];
  EXPECT_EQ(ws.coefficients, coefficients);
  EXPECT_EQ(ws.alpha, 1.0);
  // The refused set was not published: the same request refuses again, a good one fits.
  applyWith("1500", "1500", "1000");
  EXPECT_EQ(window.messages.size(), 1u);
  applyWith("1", "2", "1000");
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(ws.coefficients, coefficients);
}

TEST_F(ParameterRefusal, AScanThatLeavesTheRangeIsTakenBack) {
  selectBasis(ws, jacobiBasisIndex);
  applyWith("-0.8", "0.5");  // the scan runs from -0.4 to -1.6
  const std::vector<double> coefficients = ws.coefficients;
  window.messages.clear();
  runRecomputingTool(ws, window, "Scan > Alpha", scanAlpha);
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0], "Warning: Jacobi polynomials take alpha and beta greater than -1");
  EXPECT_EQ(ws.alpha, -0.8);
  EXPECT_EQ(ws.coefficients, coefficients);
}

}  // namespace
