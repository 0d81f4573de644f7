// "Automatic Terms" and the coefficient view through the recompute cycle with a recording
// window: the count chosen and shown, the note when nothing converges, Bernstein's refusal,
// the typed count coming back when unchecked, Insert and Delete term taking the count over from
// the chosen one, and the view following commands that change the coefficients.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/interval_commands.h"
#include "app/menu_items.h"
#include "app/recompute.h"
#include "app/show_coefficients.h"
#include "app/sources.h"
#include "app/startup.h"
#include "app/view_commands.h"
#include "tests/app/fake_window.h"

namespace {

class AutomaticTermsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    startUp(ws, window);
    selectSource(ws, window, SourceKind::Builtin);
  }
  void apply(const std::string& interval, const std::string& terms, const std::string& mesh) {
    window.boxes[Box::Edit3] = interval;
    window.boxes[Box::Edit4] = terms;
    window.boxes[Box::Edit5] = mesh;
    applyInputs(ws, window);
  }
  Workspace ws;
  FakeWindow window;
};

TEST_F(AutomaticTermsTest, ChoosesTheCountAndShowsItWithTheDecay) {
  toggleAutomaticTerms(ws, window);
  ASSERT_TRUE(window.isChecked(automaticTermsItem));
  apply("[0;10]", "5", "400");
  // sin on [0;10] in Chebyshev terms: the coefficients fall below rounding near degree 30
  // (the Bessel values J_k(5) reach 1e-16 at k = 29), far from the 5 typed or the 400 points.
  EXPECT_GE(ws.termCount, 24);
  EXPECT_LE(ws.termCount, 40);
  EXPECT_EQ(window.boxes[Box::Edit4], std::to_string(ws.termCount));
  EXPECT_EQ(ws.coefficientCount, ws.termCount);
  EXPECT_LT(ws.errorFigure, 1e-13);
  EXPECT_NE(window.panelNotes[0].find("Automatic terms"), std::string::npos);
  const CoefficientView& view = window.coefficientView;
  EXPECT_EQ(view.cut, ws.termCount);
  EXPECT_GT(view.plateau, 0);
  EXPECT_GT(static_cast<int32_t>(view.magnitudes.size()), view.cut);
  // Unchecked: the typed count applies again, and the note goes.
  toggleAutomaticTerms(ws, window);
  apply("[0;10]", "12", "400");
  EXPECT_EQ(ws.termCount, 12);
  EXPECT_EQ(window.panelNotes[0], "");
  EXPECT_EQ(window.coefficientView.magnitudes.size(), 12u);
}

TEST_F(AutomaticTermsTest, NoDecayGivesTheLimitAndSaysSo) {
  // The sine over 300 periods needs about 1000 terms: on 300 points nothing levels off.
  toggleAutomaticTerms(ws, window);
  apply("[0;2000]", "", "300");
  EXPECT_EQ(ws.termCount, 300);
  EXPECT_NE(window.panelNotes[0].find("did not converge"), std::string::npos);
}

TEST_F(AutomaticTermsTest, BernsteinHasNoDecayToRead) {
  selectBasis(ws, bernsteinBasisIndex);
  toggleAutomaticTerms(ws, window);
  EXPECT_FALSE(window.isChecked(automaticTermsItem));
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0],
            "Information: Sorry, This method is unavailable under current basis");
  // Checked under another basis, then Bernstein chosen: the item unchecks.
  selectBasis(ws, legendreBasisIndex);
  toggleAutomaticTerms(ws, window);
  EXPECT_TRUE(window.isChecked(automaticTermsItem));
  selectBasis(ws, bernsteinBasisIndex);
  keepAutomaticTermsUsable(ws, window);
  EXPECT_FALSE(window.isChecked(automaticTermsItem));
  apply("[0;3]", "7", "40");
  EXPECT_EQ(ws.termCount, 7);
  EXPECT_TRUE(window.coefficientView.magnitudes.empty());
}

TEST_F(AutomaticTermsTest, StepsTakeTheCountOverFromTheChosenOne) {
  // The chosen count's figures against a fixed-count Apply with the same count: the search's
  // coefficients stand for a fit of their own.
  toggleAutomaticTerms(ws, window);
  apply("[0;10]", "5", "400");
  const int32_t chosen = ws.termCount;
  const double errorFigure = ws.errorFigure, fitFigure = ws.fitFigure;
  toggleAutomaticTerms(ws, window);
  apply("[0;10]", std::to_string(chosen), "400");
  EXPECT_NEAR(ws.fitFigure, fitFigure, 1e-15);
  EXPECT_NEAR(ws.errorFigure, errorFigure, 1e-15);

  // Insert term while the count is chosen: one more than the chosen count, and the count is
  // the user's again (otherwise the recompute would choose it anew and the step would vanish).
  toggleAutomaticTerms(ws, window);
  apply("[0;10]", "5", "400");
  insertTerm(ws, window);
  EXPECT_FALSE(window.isChecked(automaticTermsItem));
  EXPECT_EQ(ws.termCount, chosen + 1);
  EXPECT_EQ(window.boxes[Box::Edit4], std::to_string(chosen + 1));
  EXPECT_EQ(window.panelNotes[0], "");
  toggleAutomaticTerms(ws, window);
  apply("[0;10]", "5", "400");
  deleteTerm(ws, window);
  EXPECT_FALSE(window.isChecked(automaticTermsItem));
  EXPECT_EQ(ws.termCount, chosen - 1);
  // Unchecked, the steps act as before.
  deleteTerm(ws, window);
  EXPECT_EQ(ws.termCount, chosen - 2);
}

TEST_F(AutomaticTermsTest, TheViewFollowsCommandsThatChangeTheCoefficients) {
  toggleCoefficientView(window);
  EXPECT_TRUE(window.isChecked(coefficientsViewItem));
  apply("[-1;1]", "3", "16");
  ASSERT_EQ(window.coefficientView.magnitudes.size(), 3u);
  // Coefficients a command made (1, 0, 0.5 in T_0, T_1, T_2): magnitudes |c_k| sqrt(h_k) with
  // h_0 = 1/4 and h_k = 1/2.
  ASSERT_TRUE(showCoefficients(ws, window, {1, 0, 0.5}, 3));
  const std::vector<double> expected = {0.5, 0, 0.5 * std::sqrt(0.5)};
  EXPECT_EQ(window.coefficientView.magnitudes.size(), 3u);
  for (size_t k = 0; k < expected.size(); ++k)
    EXPECT_DOUBLE_EQ(window.coefficientView.magnitudes[k], expected[k]);
}

}  // namespace
