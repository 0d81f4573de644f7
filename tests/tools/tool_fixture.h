// A Workspace in its start-up state with a recording window, for driving the tools.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "app/recompute.h"
#include "app/sources.h"
#include "app/startup.h"
#include "app/tool_runner.h"
#include "tests/app/fake_window.h"

constexpr double machineEpsilon = 2.220446049250313e-16;

class ToolTest : public ::testing::Test {
 protected:
  void SetUp() override { startUp(ws, window); }

  // Five samples at 0..4 with the given values.
  void fiveSamples(std::vector<double> y = {5, 1, 3, 7, 2}) {
    replaceSamples(ws, {0, 1, 2, 3, 4}, std::move(y));
  }

  // Holds the coefficients c with no source and recomputes on [left, right], so that the
  // series of c is the current one.
  void holdSeries(std::vector<double> c, double left, double right, int32_t meshCount = 16) {
    selectSource(ws, window, SourceKind::None);
    ws.coefficientCount = static_cast<int32_t>(c.size());
    ws.termCount = ws.coefficientCount;
    ws.coefficients = std::move(c);
    ws.left = left, ws.right = right;
    ws.meshCount = meshCount;
    ASSERT_TRUE(recompute(ws, window));
  }

  std::vector<double> values() const {
    return {ws.valuesY.begin(), ws.valuesY.begin() + ws.valuesCount};
  }
  std::vector<double> valueAbscissae() const {
    return {ws.valuesX.begin(), ws.valuesX.begin() + ws.valuesCount};
  }
  const FakeSeries& shown(SeriesId id) { return window.series[id]; }

  Workspace ws;
  FakeWindow window;
};
