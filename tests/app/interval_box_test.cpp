// The interval box stands for the exact interval the program wrote into it while its text is
// unchanged: a load whose ends have more than six digits keeps its end samples at Apply.
#include "app/interval_box.h"

#include <gtest/gtest.h>

#include "app/interval_commands.h"
#include "app/recompute.h"
#include "app/startup.h"
#include "tests/app/fake_window.h"

namespace {

class IntervalBox : public ::testing::Test {
 protected:
  void SetUp() override {
    startUp(ws, window);
    // Weekly samples from 1958.2397 to 2001.9949: the box shows [1958.24;2001.99], and both
    // rounded ends lie inside the samples' span.
    std::vector<double> x, y;
    for (int i = 0; i <= 2281; ++i) {
      x.push_back(1958.2397 + i * (2001.9949 - 1958.2397) / 2281);
      y.push_back(315 + 0.1 * i);
    }
    x.back() = 2001.9949;
    replaceSamples(ws, std::move(x), std::move(y));
    writeIntervalBox(window, "[%lg;%lg]", ws.samplesX.front(), ws.samplesX.back());
    window.boxes[Box::Edit4] = "20";
    window.boxes[Box::Edit5] = "200";
  }

  Workspace ws;
  FakeWindow window;
};

TEST_F(IntervalBox, UntouchedTextStandsForTheExactEnds) {
  EXPECT_EQ(window.boxText(Box::Edit3), "[1958.24;2001.99]");
  applyInputs(ws, window);
  EXPECT_EQ(ws.left, 1958.2397);
  EXPECT_EQ(ws.right, 2001.9949);
  EXPECT_EQ(ws.valuesCount, ws.sampleCount);
  EXPECT_EQ(ws.baselineX[0], ws.samplesX.front());
  // The recompute wrote the same text for the same ends: a second Apply keeps them.
  applyInputs(ws, window);
  EXPECT_EQ(ws.right, 2001.9949);
  EXPECT_EQ(ws.valuesCount, ws.sampleCount);
}

TEST_F(IntervalBox, EditedTextIsTakenAsTyped) {
  window.boxes[Box::Edit3] = "[1958.24;2001.99]x";
  applyInputs(ws, window);
  EXPECT_EQ(ws.left, 1958.24);
  EXPECT_EQ(ws.right, 2001.99);
  EXPECT_EQ(ws.valuesCount, ws.sampleCount - 2);
}

TEST_F(IntervalBox, PickedEndKeepsTheOtherEndExact) {
  toggleMouseMode(window);
  pickIntervalEnd(ws, window, IntervalEnd::Left, 1970.123456);
  EXPECT_EQ(window.boxText(Box::Edit3), "[1970.12;2001.99]");
  applyInputs(ws, window);
  EXPECT_EQ(ws.left, 1970.123456);
  EXPECT_EQ(ws.right, 2001.9949);
  EXPECT_EQ(ws.samplesX[ws.sampleCount - 1], ws.right);
  EXPECT_EQ(ws.baselineX[1], ws.right);
}

}  // namespace
