// The tool runner with stand-in tools whose tables are known: the guard before any series, the
// table made the Values table and shown, the view a tool is handed, a tool the basis does not
// offer, a cancel that takes everything back, and a refused recompute.
#include "app/tool_runner.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "app/recompute.h"
#include "app/sources.h"
#include "app/startup.h"
#include "bases/progress.h"
#include "tests/app/fake_window.h"

namespace {

using Doubles = std::vector<double>;

// What the last stand-in tool was handed.
struct Seen {
  int32_t termCount = -1, meshCount = -1;
  double left = 0, right = 0;
  Doubles coefficients, samples;
  const double* meshX = nullptr;
} seen;

ValuesTable twoPoints(const SeriesView& s) {
  seen.termCount = s.termCount, seen.meshCount = s.meshCount;
  seen.left = s.left, seen.right = s.right;
  seen.coefficients.assign(s.coefficients, s.coefficients + s.termCount);
  seen.meshX = s.meshX;
  return {{1, 2}, {3, 4}, {}};
}

std::optional<ValuesTable> notOffered(const SeriesView&) {
  return std::nullopt;
}

// Corrects alpha as a fit may, writes the mesh, then reports twice.
ValuesTable reportsAfterChanging(const SeriesView& s) {
  s.alpha = 42;
  s.meshX[0] = -7;
  const ProgressLoop progress(2);
  progress.report(0);
  progress.report(1);
  return {{5}, {6}, {}};
}

ValuesTable samplesReversed(const SamplesView& v) {
  seen.samples.assign(v.x, v.x + v.count);
  seen.termCount = v.series.termCount;
  return {Doubles(v.x, v.x + v.count), Doubles(v.y, v.y + v.count), {}};
}

std::optional<ValuesTable> refusedAfterChanging(Workspace& ws, Window&) {
  ws.left = 9;
  return std::nullopt;
}

class ToolRunner : public ::testing::Test {
 protected:
  void SetUp() override {
    startUp(ws, window);
    seen = {};
  }

  // Three samples fitted by three terms on eight points.
  void fit() {
    replaceSamples(ws, {0, 1, 2}, {1, 4, 2});
    ws.termCount = 3, ws.meshCount = 8;
    ASSERT_TRUE(recompute(ws, window));
  }

  Doubles values() const { return {ws.valuesY.begin(), ws.valuesY.begin() + ws.valuesCount}; }

  Workspace ws;
  FakeWindow window;
};

TEST_F(ToolRunner, WithoutASeriesTheUserIsToldToApplyFirst) {
  runSeriesTool(ws, window, "Tool", twoPoints);
  runSeriesTool(ws, window, "Tool", notOffered);
  runSeriesCommand(ws, window, "Command", [](Workspace& w, Window&) { return w.left = 5, true; });
  const std::string expected = std::string("Information: ") + noSeriesMessage;
  EXPECT_EQ(window.messages, (std::vector<std::string>{expected, expected, expected}));
  EXPECT_EQ(seen.termCount, -1) << "the tool never ran";
  EXPECT_EQ(ws.left, 0.0);
  EXPECT_EQ(ws.valuesCount, 0);
  EXPECT_EQ(window.busyCount, 0);
  EXPECT_EQ(window.progressEnds, 0) << "no long command began";
}

TEST_F(ToolRunner, TheTableBecomesTheValuesTableAndIsShown) {
  fit();
  const size_t fits = window.seriesFits.size();
  const int busy = window.busyCount;
  window.clock = 5000;
  runSeriesTool(ws, window, "Tool", twoPoints);
  EXPECT_EQ(ws.valuesCount, 2);
  EXPECT_EQ(ws.valuesCapacity, 2);
  EXPECT_EQ(ws.valuesX, (Doubles{1, 2}));
  EXPECT_EQ(ws.valuesY, (Doubles{3, 4}));
  EXPECT_EQ(window.series[SeriesId::Values].x, (Doubles{1, 2}));
  EXPECT_EQ(window.series[SeriesId::Values].y, (Doubles{3, 4}));
  ASSERT_EQ(window.seriesFits.size(), fits + 1);
  EXPECT_EQ(window.seriesFits.back(), SeriesId::Values);
  EXPECT_EQ(window.busyCount, busy + 1);
  EXPECT_FALSE(window.busy);
  EXPECT_EQ(window.panels[1], "0 seconds");
  EXPECT_EQ(window.progressEnds, 1);
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(ToolRunner, TheToolSeesTheSeriesTheLastRecomputeLeft) {
  fit();
  const Doubles coefficients(ws.coefficients.begin(), ws.coefficients.begin() + 3);
  // As the mesh generator leaves it: counts changed, nothing recomputed.
  ws.termCount = 50, ws.meshCount = 1000000;
  runSeriesTool(ws, window, "Tool", twoPoints);
  EXPECT_EQ(seen.termCount, 3);
  EXPECT_EQ(seen.meshCount, 8);
  EXPECT_EQ(seen.coefficients, coefficients);
  EXPECT_EQ(seen.left, ws.left);
  EXPECT_EQ(seen.right, ws.right);
  EXPECT_EQ(seen.meshX, ws.meshX.data());
}

TEST_F(ToolRunner, AToolTheBasisDoesNotOfferLeavesTheValuesTable) {
  fit();
  const Doubles before = values();
  window.series[SeriesId::Values] = {};
  const size_t fits = window.seriesFits.size();
  const int busy = window.busyCount;
  runSeriesTool(ws, window, "Tool", notOffered);
  EXPECT_EQ(window.messages,
            (std::vector<std::string>{std::string("Information: ") + unavailableMessage}));
  EXPECT_EQ(values(), before);
  EXPECT_EQ(window.series[SeriesId::Values].y, before) << "shown again as it is";
  EXPECT_EQ(window.seriesFits.size(), fits) << "the view does not move";
  EXPECT_EQ(window.busyCount, busy + 1);
  EXPECT_FALSE(window.busy);
}

TEST_F(ToolRunner, ACancelTakesEverythingBack) {
  fit();
  const Doubles valuesBefore = values(), meshBefore = ws.meshX;
  const double alphaBefore = ws.alpha;
  window.keepState();
  const auto seriesBefore = window.series;
  window.cancelAtReport = 2;
  runSeriesTool(ws, window, "Tool", reportsAfterChanging);
  EXPECT_EQ(window.reports, 2);
  EXPECT_EQ(window.progressName, "Tool");
  EXPECT_EQ(ws.alpha, alphaBefore);
  EXPECT_EQ(ws.meshX, meshBefore);
  EXPECT_EQ(values(), valuesBefore);
  EXPECT_EQ(window.series[SeriesId::Values].y, seriesBefore.at(SeriesId::Values).y);
  EXPECT_EQ(window.panels[1], "Cancelled");
  EXPECT_FALSE(window.busy);
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(ToolRunner, SamplesToolsNeedNoSeries) {
  replaceSamples(ws, {0, 1, 2}, {1, 4, 2});
  showSamplesTool(ws, window, samplesReversed);
  EXPECT_EQ(seen.samples, (Doubles{0, 1, 2}));
  EXPECT_EQ(seen.termCount, 0) << "no series yet";
  EXPECT_EQ(values(), (Doubles{1, 4, 2}));
  EXPECT_EQ(window.progressEnds, 0) << "a quick tool is no long command";
  runSamplesTool(ws, window, "Samples", samplesReversed);
  EXPECT_EQ(window.progressEnds, 1);
  EXPECT_EQ(window.busyCount, 0);
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(ToolRunner, ARefusedRecomputeTakesTheCommandBack) {
  fit();
  const Doubles before = values();
  const std::string panel = window.panels[1];
  runRecomputingTool(ws, window, "Scan", refusedAfterChanging);
  EXPECT_EQ(ws.left, 0.0);
  EXPECT_EQ(values(), before);
  EXPECT_EQ(window.panels[1], panel) << "not cancelled: the refusal has said why";
}

}  // namespace
