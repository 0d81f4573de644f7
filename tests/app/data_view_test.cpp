// What the commands tell the window about what it shows, through a recording window: the
// interval brought into view and marked, the axis titles of a tool's table, the "Values"
// series switched on for a result, and new samples that leave nothing of the old ones shown.
#include "app/data_view.h"

#include <gtest/gtest.h>

#include "app/recompute.h"
#include "app/startup.h"
#include "app/tool_runner.h"
#include "tests/app/fake_window.h"

namespace {

class DataViewTest : public ::testing::Test {
 protected:
  // Five samples at 0..4, as a person reads them off: 0, 1, 4, 9, 16.
  void SetUp() override {
    startUp(ws, window);
    replaceSamples(ws, {0, 1, 2, 3, 4}, {0, 1, 4, 9, 16});
    showNewSamples(ws, window);
  }

  void apply(const std::string& interval) {
    window.boxes[Box::Edit3] = interval;
    window.boxes[Box::Edit4] = "3";
    window.boxes[Box::Edit5] = "8";
    applyInputs(ws, window);
  }

  Workspace ws;
  FakeWindow window;
};

TEST_F(DataViewTest, AnApplyWithANewIntervalFitsTheViewOnce) {
  apply("[1;3]");
  ASSERT_EQ(window.intervalFits.size(), 1u);
  EXPECT_TRUE(window.intervalFits[0].on);
  EXPECT_EQ(window.intervalFits[0].left, 1);
  EXPECT_EQ(window.intervalFits[0].right, 3);
  EXPECT_TRUE(window.marks.on);
  EXPECT_EQ(window.marks.left, 1);
  EXPECT_EQ(window.marks.right, 3);

  apply("[1;3]");  // the same interval: the view stays as the user left it
  EXPECT_EQ(window.intervalFits.size(), 1u);

  // The samples' whole span, or more: no fit (the step ends) and no marks.
  for (const char* interval : {"[0;4]", "[-1;9]"}) {
    apply(interval);
    EXPECT_FALSE(window.intervalFits.back().on) << interval;
    EXPECT_FALSE(window.marks.on) << interval;
  }
  // An interval beside the samples leaves nothing of them to fit to.
  apply("[5;6]");
  EXPECT_FALSE(window.intervalFits.back().on);
  EXPECT_FALSE(window.marks.on);

  // New samples: the next Apply fits again, even with the same interval as before.
  apply("[1;3]");
  const size_t fits = window.intervalFits.size();
  showNewSamples(ws, window);
  EXPECT_FALSE(window.marks.on);
  apply("[1;3]");
  EXPECT_EQ(window.intervalFits.size(), fits + 1);
}

TEST_F(DataViewTest, ARefusedApplyTakesTheIntervalBack) {
  apply("[1;3]");
  window.boxes[Box::Edit3] = "[2;3]";
  window.boxes[Box::Edit5] = "2000000000";  // more memory than a test machine gives
  applyInputs(ws, window);
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.intervalFits.size(), 1u);
  EXPECT_EQ(window.marks.left, 1);
  EXPECT_EQ(window.state.appliedLeft, 1);
}

TEST_F(DataViewTest, NewSamplesShowTheStartUpPanelsAndNoTitles) {
  apply("[1;3]");
  window.setAxisTitles("lag", "autocorrelation");
  showNewSamples(ws, window);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(window.panels[i], startupPanelTexts[i]) << i;
  EXPECT_EQ(window.titles, (std::pair<std::string, std::string>{"", ""}));
  EXPECT_FALSE(window.marks.on);
}

ValuesTable namedTable(const SeriesView&) {
  return {{1, 2}, {3, 4}, {"lag", "autocorrelation"}};
}

bool replaceSeries(Workspace& ws, Window& window) {
  return recompute(ws, window);
}

TEST_F(DataViewTest, AResultIsShownNamedAndInView) {
  apply("[0;4]");
  window.checks["View > Values"] = false;
  window.seriesShown[SeriesId::Values] = false;
  runSeriesTool(ws, window, "Tool", namedTable);
  EXPECT_TRUE(window.checks["View > Values"]);
  EXPECT_TRUE(window.seriesShown[SeriesId::Values]);
  EXPECT_EQ(window.titles, (std::pair<std::string, std::string>{"lag", "autocorrelation"}));
  ASSERT_FALSE(window.seriesFits.empty());
  EXPECT_EQ(window.seriesFits.back(), SeriesId::Values);

  // A command that recomputes shows the series, which is data: no titles, and the view goes
  // to the new series.
  runSeriesCommand(ws, window, "Command", replaceSeries);
  EXPECT_EQ(window.titles, (std::pair<std::string, std::string>{"", ""}));
  EXPECT_EQ(window.seriesFits.back(), SeriesId::Analytic);
}

}  // namespace
