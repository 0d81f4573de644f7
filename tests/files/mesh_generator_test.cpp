// The mesh generator: grids checkable by hand, the running sum of the step, the fallbacks for
// odd input, and the refusal of empty or oversized grids.
#include "files/mesh_generator.h"

#include <gtest/gtest.h>

#include "app/startup.h"
#include "tests/app/fake_window.h"

namespace {

using Values = std::vector<double>;

class GenerateMesh : public ::testing::Test {
 protected:
  void SetUp() override { startUp(ws, window); }

  void generate(std::optional<std::string> time, std::optional<std::string> rate) {
    window.answers = {time, rate};
    generateMesh(ws, window);
  }

  Workspace ws;
  FakeWindow window;
};

TEST(IntegerOr, WholeIntegersOnly) {
  EXPECT_EQ(integerOr("12", 1), 12);
  EXPECT_EQ(integerOr(" -3 ", 1), -3);
  EXPECT_EQ(integerOr("+4", 1), 4);
  EXPECT_EQ(integerOr("12abc", 1), 1);
  EXPECT_EQ(integerOr("", 1), 1);
  EXPECT_EQ(integerOr("2.5", 1), 1);
  EXPECT_EQ(integerOr("99999999999", 1), 1);
  EXPECT_EQ(integerOr("-2147483648", 1), INT32_MIN);
}

TEST_F(GenerateMesh, TwoSecondsAtFourHertz) {
  generate("2", "4");
  EXPECT_EQ(ws.samplesX, (Values{0.25, 0.5, 0.75, 1.0, 1.25, 1.5, 1.75, 2.0}));
  EXPECT_EQ(ws.samplesY, Values(8, 0.0));
  EXPECT_EQ(window.caption, "Serna - mesh [8]");
  EXPECT_EQ(window.boxes[Box::Edit3], "[0.25;2]");
  EXPECT_EQ(ws.left, 0.25);
  EXPECT_EQ(ws.right, 2.0);
  EXPECT_EQ(window.inputPrompts,
            (std::vector<std::string>{"Mesh parameters|Input total time (s)|1",
                                      "Mesh parameters|Input sampling rate (Hz)|1"}));
}

TEST_F(GenerateMesh, ResetsCountsParametersAndSource) {
  ws.alpha = 3;
  ws.beta = -1;
  ws.sourceFn = nullptr;
  generate("1", "5");
  EXPECT_EQ(ws.termCount, 100);
  EXPECT_EQ(ws.meshCount, 100);
  EXPECT_EQ(ws.alpha, 0.0);
  EXPECT_EQ(ws.beta, 0.0);
  EXPECT_EQ(window.boxes[Box::Edit4], "100");
  EXPECT_EQ(window.boxes[Box::Edit5], "100");
  EXPECT_EQ(window.boxes[Box::Edit6], "0");
  EXPECT_EQ(window.boxes[Box::Edit7], "0");
  EXPECT_TRUE(ws.sourceFn);
  EXPECT_TRUE(window.isChecked("Source > Samples"));
  EXPECT_EQ(window.series[SeriesId::Samples].x, ws.samplesX);
}

TEST_F(GenerateMesh, CancellingBothBoxesGivesOneSampleAtOne) {
  generate(std::nullopt, std::nullopt);
  EXPECT_EQ(ws.samplesX, (Values{1.0}));
  EXPECT_EQ(window.caption, "Serna - mesh [1]");
  EXPECT_EQ(window.boxes[Box::Edit3], "[1;1]");
}

TEST_F(GenerateMesh, NegativeTimeOrRateBecomeOne) {
  generate("3", "-5");
  EXPECT_EQ(ws.samplesX, (Values{1.0, 2.0, 3.0}));
  generate("-7", "2");
  EXPECT_EQ(ws.samplesX, (Values{0.5, 1.0}));
}

TEST_F(GenerateMesh, AbscissaeAreARunningSumOfTheStep) {
  generate("1", "10");
  EXPECT_EQ(ws.right, 0.9999999999999999);
  EXPECT_EQ(window.boxes[Box::Edit3], "[0.1;1]");
}

TEST_F(GenerateMesh, EmptyOrOversizedGridsAreRefused) {
  for (auto [time, rate] :
       {std::pair{"0", "5"}, {"5", "0"}, {"100000", "100000"}, {"2000000000", "1"}}) {
    window.messages.clear();
    generate(time, rate);
    EXPECT_EQ(window.messages.size(), 1u) << time << " " << rate;
    EXPECT_EQ(ws.sampleCount, 2);
    EXPECT_EQ(window.caption, "Serna - meander [2]");
    EXPECT_EQ(ws.termCount, 100);
  }
  // More samples than a 32-bit count holds is no shortage of memory.
  window.messages.clear();
  generate("100000", "100000");
  EXPECT_EQ(window.messages,
            (std::vector<std::string>{"Warning: 10000000000 samples are more than the program "
                                      "can count (at most 2147483647)"}));
}

}  // namespace
