// The View menu commands through a recording window: check marks and chart settings move
// together (or, for the grids, each on its own), widths never go below 0.
#include "app/view_commands.h"

#include <gtest/gtest.h>

#include <climits>

#include "app/menu_items.h"
#include "tests/app/fake_window.h"

namespace {

TEST(ViewCommands, ToggleFollowsTheCheckMarkNotTheSeries) {
  // The baseline starts shown with its item unchecked: the first toggle checks the item and
  // keeps it shown, the second hides it.
  FakeWindow window;
  window.seriesShown[SeriesId::Baseline] = true;
  toggleSeries(window, SeriesId::Baseline);
  EXPECT_TRUE(window.isChecked("View > Baseline"));
  EXPECT_TRUE(window.seriesShown[SeriesId::Baseline]);
  toggleSeries(window, SeriesId::Baseline);
  EXPECT_FALSE(window.isChecked("View > Baseline"));
  EXPECT_FALSE(window.seriesShown[SeriesId::Baseline]);
}

TEST(ViewCommands, AllTogetherShowsAndChecksAllFive) {
  FakeWindow window;
  for (SeriesId series : {SeriesId::Samples, SeriesId::Source, SeriesId::Analytic, SeriesId::Values,
                          SeriesId::Baseline})
    window.seriesShown[series] = false;
  showAllSeries(window);
  for (const char* item :
       {"View > Samples", "View > Source", "View > Analytic", "View > Values", "View > Baseline"})
    EXPECT_TRUE(window.isChecked(item)) << item;
  for (const auto& [series, shown] : window.seriesShown)
    EXPECT_TRUE(shown);
  EXPECT_EQ(window.seriesShown.size(), 5u);
}

TEST(ViewCommands, GridAndItsCheckMarkInvertEachOnTheirOwn) {
  FakeWindow window;
  window.chartFlags[ChartFlag::OrdinateGrid] = true;  // out of step with its item on purpose
  toggleGrid(window, ChartFlag::OrdinateGrid);
  EXPECT_FALSE(window.chartFlag(ChartFlag::OrdinateGrid));
  EXPECT_TRUE(window.isChecked(ordinateGridItem));
}

TEST(ViewCommands, LegendCheckMarkShowsWhetherItIsVisible) {
  FakeWindow window;
  window.setChecked(legendItem, true);  // out of step: the mark follows the legend
  toggleLegend(window);
  EXPECT_TRUE(window.chartFlag(ChartFlag::Legend));
  EXPECT_TRUE(window.isChecked(legendItem));
  toggleLegend(window);
  EXPECT_FALSE(window.isChecked(legendItem));
}

TEST(ViewCommands, InvertTwiceReturnsToTheNormalDirection) {
  FakeWindow window;
  invertAxis(window, ChartFlag::AbscissaInverted);
  EXPECT_TRUE(window.abscissaInverted);
  EXPECT_TRUE(window.isChecked(invertAbscissaItem));
  invertAxis(window, ChartFlag::AbscissaInverted);
  EXPECT_FALSE(window.abscissaInverted);
  EXPECT_FALSE(window.isChecked(invertAbscissaItem));
  invertAxis(window, ChartFlag::OrdinateInverted);
  EXPECT_TRUE(window.isChecked(invertOrdinateItem));
  EXPECT_FALSE(window.isChecked(invertAbscissaItem));
}

TEST(ViewCommands, ThicknessStepsByOneWithoutGoingBelowZero) {
  FakeWindow window;
  window.seriesWidths[SeriesId::Analytic] = 0;
  changeThickness(window, SeriesId::Analytic, -1);
  EXPECT_EQ(window.seriesWidth(SeriesId::Analytic), 0);
  changeThickness(window, SeriesId::Analytic, +1);
  changeThickness(window, SeriesId::Analytic, +1);
  EXPECT_EQ(window.seriesWidth(SeriesId::Analytic), 2);
  EXPECT_EQ(window.seriesWidth(SeriesId::Values), 1);  // other series untouched
}

TEST(ViewCommands, ThicknessAtTheLargestWidthDoesNotOverflow) {
  FakeWindow window;
  window.seriesWidths[SeriesId::Samples] = INT_MAX;
  changeThickness(window, SeriesId::Samples, +1);
  EXPECT_EQ(window.seriesWidth(SeriesId::Samples), INT_MAX);
}

}  // namespace
