// serna-batch reaches the interval, term and View commands by their menu captions and the
// chart picks by `click` and `rightclick`.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

struct BatchResult {
  int status;
  std::string output;
};

BatchResult runScript(const std::string& script) {
  // One file per test, so that tests running side by side do not share it.
  const std::string path = testing::TempDir() + "serna_view_" +
                           testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
  std::ofstream(path) << script;
  const std::string command = std::string(SERNA_BATCH) + " " + path + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  std::string output;
  char buffer[4096];
  while (size_t n = fread(buffer, 1, sizeof buffer, pipe))
    output.append(buffer, n);
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

bool has(const std::string& output, const std::string& line) {
  return output.find(line + "\n") != std::string::npos;
}

TEST(BatchView, IntervalAndTermCommandsByTheirCaptions) {
  const BatchResult run = runScript(
      "type Edit4 10\n"
      "type Edit7 1\n"
      "menu Edit > Apply\n"
      "menu Edit > Move Right\n"
      "menu Edit > Broaden\n"
      "menu Edit > Narrow\n"
      "menu Edit > Insert term\n"
      "menu Edit > Insert term\n"
      "menu Edit > Delete term\n"
      "print boxes\n"
      "menu Edit > Move Left\n"
      "print boxes\n");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_TRUE(has(run.output, "Edit3: [0.02;2.02]")) << run.output;
  EXPECT_TRUE(has(run.output, "Edit4: 11")) << run.output;
  EXPECT_TRUE(has(run.output, "Edit7: 0.9999")) << run.output;
  EXPECT_TRUE(has(run.output, "Edit3: [0;2]")) << run.output;
}

TEST(BatchView, PicksFollowTheMouseMode) {
  const BatchResult run = runScript(
      "type Edit3 [1;5]\n"
      "click 2\n"
      "print boxes\n"
      "menu Edit > Interval\n"
      "print status\n"
      "click 2\n"
      "rightclick 4.5\n"
      "print boxes\n"
      "menu Edit > Interval\n"
      "print checks\n");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_TRUE(has(run.output, "Edit3: [1;5]")) << run.output;
  EXPECT_TRUE(has(run.output, "Panel3: Interval mouse mode")) << run.output;
  EXPECT_TRUE(has(run.output, "Edit3: [2;4.5]")) << run.output;
  EXPECT_TRUE(has(run.output, "Edit > Interval: off")) << run.output;
}

TEST(BatchView, ViewMenuByItsCaptions) {
  const BatchResult run = runScript(
      "menu Edit > Apply\n"
      "menu View > Samples\n"
      "menu View > Source\n"
      "menu View > Analytic\n"
      "menu View > Values\n"
      "menu View > Baseline\n"
      "menu View > Grid on Abscissa\n"
      "menu View > Grid on Ordinate\n"
      "menu View > Legend\n"
      "menu View > Samples > Thickness +\n"
      "menu View > Samples > Thickness -\n"
      "menu View > Source > Thickness +\n"
      "menu View > Source > Thickness -\n"
      "menu View > Source > Thickness +\n"
      "menu View > Analytic > Thickness -\n"
      "menu View > Analytic > Thickness +\n"
      "menu View > Values > Thickness +\n"
      "menu View > Values > Thickness -\n"
      "menu View > Values > Thickness -\n"
      "menu View > Invert Abscissa\n"
      "menu View > Invert Ordinate\n"
      "print chart\n"
      "menu View > All together\n"
      "dblclick\n"
      "print chart\n");
  ASSERT_EQ(run.status, 0) << run.output;
  for (const char* line :
       {"Samples: hidden, width 1", "Source: shown, width 2", "Analytic: hidden, width 1",
        "Values: hidden, width 0", "Baseline: shown, width 1", "Grid on Abscissa: off",
        "Grid on Ordinate: off", "Legend: on", "Invert Abscissa: on", "Invert Ordinate: on",
        "Samples: shown, width 1", "Values: shown, width 0"})
    EXPECT_TRUE(has(run.output, line)) << line << "\n" << run.output;
}

TEST(BatchView, StatusNamesTheSourceAndChartNamesItsAxesAndInterval) {
  const BatchResult run = runScript(
      "print status\n"
      "basis 0\n"
      "type Edit3 [0.25;0.75]\n"
      "type Edit4 9\n"
      "menu Edit > Apply\n"
      "print chart\n"
      "menu Evaluate > Power Spectrum\n"
      "menu View > Logarithmic Ordinate\n"
      "print chart\n"
      "menu Edit > Differentiate\n"
      "print status\n"
      "print chart\n");
  ASSERT_EQ(run.status, 0) << run.output;
  const std::string start =
      "Panel0: Error\nPanel1: Timer              \nPanel2: Square/Integral\n"
      "Panel3: Interval/Zoom mouse mode\nSource: Samples\n";
  EXPECT_NE(run.output.find(start), std::string::npos) << run.output;
  for (const char* line :
       {"Interval marks: 0.25 0.75", "Abscissa title: angular frequency", "Ordinate title: power",
        "Logarithmic Ordinate: on", "Source: None", "Abscissa title: "})
    EXPECT_TRUE(has(run.output, line)) << line << "\n" << run.output;
}

}  // namespace
