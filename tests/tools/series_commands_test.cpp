// Series commands: the Fejer factors, the derivative's extra term and its exact coefficients
// in the Chebyshev basis, the source switched off, and the guard before any series exists.
#include "tools/series_commands.h"

#include "app/startup.h"
#include "tests/tools/tool_fixture.h"

namespace {

using SeriesCommands = ToolTest;
using Doubles = std::vector<double>;

TEST_F(SeriesCommands, FejerFactorsForFourTerms) {
  holdSeries({8, 8, 8, 8}, 0, 2);
  runSeriesCommand(ws, window, "Fejer", fejerSeries);
  EXPECT_EQ(ws.coefficients, (Doubles{8, 6, 4, 2}));
  EXPECT_EQ(ws.termCount, 4);
  EXPECT_EQ(ws.coefficientCount, 4);
  runSeriesCommand(ws, window, "Fejer", fejerSeries);  // the factors apply again
  EXPECT_EQ(ws.coefficients, (Doubles{8, 4.5, 2, 0.5}));
}

TEST_F(SeriesCommands, FejerWorksOnTheTermsInUse) {
  holdSeries({8, 8, 8, 8}, 0, 2);
  ws.termCount = 2;
  ASSERT_TRUE(recompute(ws, window));
  runSeriesCommand(ws, window, "Fejer", fejerSeries);
  EXPECT_EQ(ws.coefficients, (Doubles{8, 4, 8, 8}));
}

TEST_F(SeriesCommands, DerivativeHasOneTermMore) {
  // S = c0/2 + T2(t) with t = x - 1 on [0, 2]; dS/dx = T2'(t) = 4 T1(t).
  holdSeries({1, 0, 1}, 0, 2);
  window.setChecked("Source > Samples", true);
  runSeriesCommand(ws, window, "Differentiate", differentiateSeries);
  EXPECT_EQ(ws.coefficients, (Doubles{0, 4, 0, 0}));
  EXPECT_EQ(ws.termCount, 4);
  EXPECT_EQ(ws.coefficientCount, 4);
  EXPECT_EQ(window.boxText(Box::Edit4), "4");
  EXPECT_TRUE(window.isChecked("Source > None"));
  EXPECT_FALSE(window.isChecked("Source > Samples"));
  EXPECT_FALSE(ws.sourceFn);
  // The Analytic series shows the derivative 4 (x - 1) on the mesh.
  const FakeSeries& analytic = shown(SeriesId::Analytic);
  ASSERT_EQ(analytic.x.size(), 16u);
  for (size_t j = 0; j < analytic.x.size(); ++j)
    EXPECT_NEAR(analytic.y[j], 4 * (analytic.x[j] - 1), 16 * machineEpsilon);
}

TEST_F(SeriesCommands, SoninLaguerreDifferentiatesOnlyWithAlphaZero) {
  // phi_0 = e^(-t/2) with t = x (beta 1): its derivative -phi_0 / 2. With alpha 5 the
  // derivative of t^(5/2) is no series of that alpha: the command says so and changes nothing.
  selectBasis(ws, soninLaguerreBasisIndex);
  ws.beta = 1;
  holdSeries({1, 0}, 0, 10);
  runSeriesCommand(ws, window, "Differentiate", differentiateSeries);
  EXPECT_EQ(ws.coefficients, (Doubles{-0.5, 0, 0}));
  EXPECT_TRUE(window.messages.empty());

  ws.alpha = 5;
  holdSeries({1, 2}, 0, 10);
  runSeriesCommand(ws, window, "Differentiate", differentiateSeries);
  EXPECT_EQ(window.messages,
            (std::vector<std::string>{
                "Information: Sorry, This method is unavailable under current basis"}));
  EXPECT_EQ(ws.coefficients, (Doubles{1, 2}));
  EXPECT_EQ(ws.termCount, 2);
}

TEST_F(SeriesCommands, DifferentiatingTwiceGrowsTheTermsByTwo) {
  holdSeries({1, 2, 3}, 0, 2);
  runSeriesCommand(ws, window, "Differentiate", differentiateSeries);
  runSeriesCommand(ws, window, "Differentiate", differentiateSeries);
  EXPECT_EQ(ws.termCount, 5);
  EXPECT_EQ(window.boxText(Box::Edit4), "5");
}

TEST_F(SeriesCommands, ApplyAfterwardsDoesNotRefit) {
  fiveSamples();
  holdSeries({8, 8, 8, 8}, 0, 4);
  runSeriesCommand(ws, window, "Fejer", fejerSeries);
  applyInputs(ws, window);
  EXPECT_EQ(ws.coefficients, (Doubles{8, 6, 4, 2}));
}

TEST_F(SeriesCommands, NothingToTransformBeforeTheFirstRecompute) {
  runSeriesCommand(ws, window, "Differentiate", differentiateSeries);
  runSeriesCommand(ws, window, "Fejer", fejerSeries);
  ASSERT_EQ(window.messages.size(), 2u);
  EXPECT_EQ(window.messages[0], std::string("Information: ") + noSeriesMessage);
  EXPECT_EQ(ws.termCount, 100);
  EXPECT_EQ(ws.coefficientCount, 0);
  EXPECT_TRUE(ws.sourceFn);
}

}  // namespace
