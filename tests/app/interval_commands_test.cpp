// The interval and term commands through a recording window: one-per-cent steps of the
// interval and of beta, one term more or fewer with the recompute's clamps, the mouse mode,
// and picking the interval ends.
#include "app/interval_commands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "app/menu_items.h"
#include "app/recompute.h"
#include "app/sources.h"
#include "app/startup.h"
#include "tests/app/fake_window.h"

namespace {

constexpr double eps = std::numeric_limits<double>::epsilon();

struct IntervalCommands : ::testing::Test {
  Workspace ws;
  FakeWindow window;
  void SetUp() override {
    startUp(ws, window);
    ws.termCount = 8;
    ws.meshCount = 16;
  }
  // Five samples at 0..4.
  void fiveSamples() { replaceSamples(ws, {0, 1, 2, 3, 4}, {0, 1, 4, 9, 16}); }
};

// Spot values: the steps of one per cent.

TEST_F(IntervalCommands, MoveRightShiftsByOnePercentOfTheWidth) {
  moveRight(ws, window);
  EXPECT_EQ(ws.left, 0.02);
  EXPECT_EQ(ws.right, 2.0 + 0.02);
  EXPECT_EQ(window.boxText(Box::Edit3), "[0.02;2.02]");
  EXPECT_EQ(window.busyCount, 1);
}

TEST_F(IntervalCommands, TenMovesLeftAfterAMoveRight) {
  // Each step is 1 % of the then width, which stays 2 up to rounding: 0.02 - 10 * 0.02.
  constexpr double tolerance = 64 * eps;
  moveRight(ws, window);
  for (int i = 0; i < 10; ++i)
    moveLeft(ws, window);
  EXPECT_NEAR(ws.left, -0.18, tolerance);
  EXPECT_NEAR(ws.right, 1.82, tolerance);
  EXPECT_NEAR(ws.right - ws.left, 2.0, tolerance);
  EXPECT_EQ(window.boxText(Box::Edit3), "[-0.18;1.82]");
}

TEST_F(IntervalCommands, BroadenFiveTimesGivesThePowerOfPointNineNine) {
  constexpr double tolerance = 8 * eps;
  ws.beta = 1.0;
  for (int i = 0; i < 5; ++i)
    broaden(ws, window);
  EXPECT_NEAR(ws.beta, std::pow(0.99, 5), tolerance);
  EXPECT_EQ(window.boxText(Box::Edit7), "0.95099");
}

TEST_F(IntervalCommands, NarrowScalesBetaUpAndLeavesZeroAtZero) {
  ws.beta = 2.0;
  narrow(ws, window);
  EXPECT_EQ(ws.beta, 2.0 * 1.01);
  ws.beta = 0.0;
  narrow(ws, window);
  broaden(ws, window);
  EXPECT_EQ(ws.beta, 0.0);
}

TEST_F(IntervalCommands, InsertAndDeleteTermChangeTheCountByOne) {
  insertTerm(ws, window);
  EXPECT_EQ(ws.termCount, 9);
  EXPECT_EQ(ws.coefficientCount, 9);
  deleteTerm(ws, window);
  deleteTerm(ws, window);
  EXPECT_EQ(ws.termCount, 7);
  EXPECT_EQ(window.boxText(Box::Edit4), "7");
}

TEST_F(IntervalCommands, KeyboardCommandsReplaceUnappliedText) {
  window.setBoxText(Box::Edit4, "50");
  window.setBoxText(Box::Edit3, "[1;5]");
  moveLeft(ws, window);
  EXPECT_EQ(window.boxText(Box::Edit4), "8");
  EXPECT_EQ(window.boxText(Box::Edit3), "[-0.02;1.98]");
}

// Edge cases: the clamps of the recompute.

TEST_F(IntervalCommands, DeleteTermAtOneLeavesOneAndStillRecomputes) {
  ws.termCount = 1;
  deleteTerm(ws, window);
  EXPECT_EQ(ws.termCount, 1);
  EXPECT_EQ(window.busyCount, 1);
  EXPECT_EQ(window.boxText(Box::Edit4), "1");
}

TEST_F(IntervalCommands, InsertTermWithoutSourceStopsAtTheHeldCoefficients) {
  recompute(ws, window);  // 8 coefficients held
  selectSource(ws, window, SourceKind::None);
  insertTerm(ws, window);
  EXPECT_EQ(ws.termCount, 8);
  EXPECT_EQ(ws.coefficientCount, 8);
}

TEST_F(IntervalCommands, MovesKeepAReversedIntervalForTheRecomputeToSettle) {
  fiveSamples();
  ws.left = 3.0, ws.right = 1.0;
  moveRight(ws, window);
  EXPECT_EQ(ws.left, 0.0);
  EXPECT_EQ(ws.right, 4.0);
}

// The mouse mode and the picks.

TEST_F(IntervalCommands, IntervalItemTogglesTheMouseModeWithoutRecomputing) {
  toggleMouseMode(window);
  EXPECT_TRUE(window.isChecked(intervalModeItem));
  EXPECT_EQ(window.panels[3], "Interval mouse mode");
  toggleMouseMode(window);
  EXPECT_FALSE(window.isChecked(intervalModeItem));
  EXPECT_EQ(window.panels[3], "Zoom mouse mode");
  EXPECT_EQ(window.busyCount, 0);
}

TEST_F(IntervalCommands, ClickInZoomModeChangesNothing) {
  window.setBoxText(Box::Edit3, "[1;5]");
  pickIntervalEnd(ws, window, IntervalEnd::Left, 0.5);
  pickIntervalEnd(ws, window, IntervalEnd::Right, 0.7);
  EXPECT_EQ(ws.left, 0.0);
  EXPECT_EQ(ws.right, 2.0);
  EXPECT_EQ(window.boxText(Box::Edit3), "[1;5]");
}

TEST_F(IntervalCommands, ClickTakesTheTypedIntervalAndSetsTheLeftEnd) {
  toggleMouseMode(window);
  window.setBoxText(Box::Edit3, "[1;5]");
  pickIntervalEnd(ws, window, IntervalEnd::Left, 2.0);
  EXPECT_EQ(ws.left, 2.0);
  EXPECT_EQ(ws.right, 5.0);
  EXPECT_EQ(window.boxText(Box::Edit3), "[2;5]");
  EXPECT_EQ(window.busyCount, 0);
}

TEST_F(IntervalCommands, RightClickLeftOfLeftThenApplyTakesTheSamplesSpan) {
  fiveSamples();
  toggleMouseMode(window);
  window.setBoxText(Box::Edit3, "[1;3]");
  pickIntervalEnd(ws, window, IntervalEnd::Right, -1.0);
  EXPECT_EQ(window.boxText(Box::Edit3), "[1;-1]");
  applyInputs(ws, window);
  EXPECT_EQ(ws.left, 0.0);
  EXPECT_EQ(ws.right, 4.0);
  EXPECT_EQ(window.boxText(Box::Edit3), "[0;4]");
}

TEST_F(IntervalCommands, PickedEndsAreShownWithSixDigits) {
  toggleMouseMode(window);
  window.setBoxText(Box::Edit3, "[0;2]");
  pickIntervalEnd(ws, window, IntervalEnd::Left, 0.123456789);
  EXPECT_EQ(ws.left, 0.123456789);
  EXPECT_EQ(window.boxText(Box::Edit3), "[0.123457;2]");
}

// Bad input.

TEST_F(IntervalCommands, PickWithUnreadableIntervalBoxKeepsTheWorkspaceInterval) {
  toggleMouseMode(window);
  window.setBoxText(Box::Edit3, "Interval of approximation");
  pickIntervalEnd(ws, window, IntervalEnd::Right, 1.5);
  EXPECT_EQ(window.boxText(Box::Edit3), "[0;1.5]");
  window.setBoxText(Box::Edit3, "[0.5;");  // only the left end is read
  pickIntervalEnd(ws, window, IntervalEnd::Right, 1.25);
  EXPECT_EQ(window.boxText(Box::Edit3), "[0.5;1.25]");
}

TEST_F(IntervalCommands, InsertTermAtTheLargestCountNeitherOverflowsNorChangesAnything) {
  ws.termCount = INT32_MAX;
  insertTerm(ws, window);
  EXPECT_EQ(ws.termCount, INT32_MAX);
  EXPECT_EQ(ws.coefficientCount, 0);
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].rfind("Warning: ", 0), 0u);
}

TEST_F(IntervalCommands, RefusedRecomputeTakesTheCommandBack) {
  ws.meshCount = 2'000'000'000;  // more than any test machine holds
  ws.beta = 1.0;
  moveRight(ws, window);
  broaden(ws, window);
  deleteTerm(ws, window);
  EXPECT_EQ(ws.left, 0.0);
  EXPECT_EQ(ws.right, 2.0);
  EXPECT_EQ(ws.beta, 1.0);
  EXPECT_EQ(ws.termCount, 8);
  EXPECT_EQ(window.messages.size(), 3u);
}

}  // namespace
