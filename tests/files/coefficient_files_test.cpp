// Coefficient files: the line format, reading with missing, repeated and negative indices,
// opening as the series to show, the round trip to 10 digits, the test series, and refusals.
#include "files/coefficient_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>

#include "app/recompute.h"
#include "app/startup.h"
#include "app/text_format.h"
#include "files/table_export.h"
#include "tests/app/fake_window.h"
#include "tests/files/table_lines.h"
#include "tests/files/temp_folder.h"

namespace {

using Values = std::vector<double>;

class CoefficientFiles : public ::testing::Test {
 protected:
  void SetUp() override { startUp(ws, window); }

  void open(const std::string& path) {
    window.answers.push_back(path);
    openCoefficients(ws, window);
  }

  Workspace ws;
  FakeWindow window;
  TempFolder folder;
};

TEST_F(CoefficientFiles, BlankValueInThirtyColumnsBlankIndexBlank) {
  ws.coefficients.assign(13, 0.0);
  ws.coefficients[0] = -2.5e-7, ws.coefficients[3] = 0.5, ws.coefficients[12] = 1.0 / 3.0;
  ws.coefficientCount = ws.termCount = 13;
  const std::string path = folder.file("c.txt");
  window.answers.push_back(path);
  saveCoefficients(ws, window);
  const std::string text = readWhole(path);
  EXPECT_EQ(text.substr(0, 35), " " + std::string(22, ' ') + "-2.5e-07 0 \n");
  EXPECT_NE(text.find("\n " + std::string(27, ' ') + "0.5 3 \n"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 36), " " + std::string(18, ' ') + "0.3333333333 12 \n");
}

TEST(CoefficientLine, ReadsCoefficientThenIndex) {
  double c = 0;
  int32_t i = 0;
  EXPECT_TRUE(coefficientOnLine("  1.5e-3   7 trailing", c, i));
  EXPECT_EQ(c, 1.5e-3);
  EXPECT_EQ(i, 7);
  EXPECT_FALSE(coefficientOnLine("2.5\n", c, i));
  EXPECT_FALSE(coefficientOnLine("text 1\n", c, i));
  EXPECT_TRUE(coefficientOnLine("1 99999999999\n", c, i));
  EXPECT_EQ(i, INT32_MAX);
}

TEST_F(CoefficientFiles, OpenedFileBecomesTheSeriesShown) {
  open(fixture("two_coefficients.txt"));
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(ws.coefficients, (Values{0.5, 0.0, 0.25}));
  EXPECT_EQ(ws.coefficientCount, 3);
  EXPECT_EQ(ws.termCount, 3);
  EXPECT_FALSE(ws.sourceFn);
  EXPECT_TRUE(window.isChecked("Source > None"));
  EXPECT_FALSE(window.isChecked("Source > Samples"));
  EXPECT_EQ(window.boxes[Box::Edit4], "3");
  EXPECT_EQ(window.series[SeriesId::Analytic].x.size(), 1000u);
  EXPECT_EQ(window.dialogsShown.at(0).title, "Open file with coefficients");
  EXPECT_EQ(window.dialogsShown.at(0).fileName, "coefficients");
  EXPECT_EQ(window.state.remembered.openCoefficients, fixture("two_coefficients.txt"));
}

TEST_F(CoefficientFiles, LaterLineWinsAndOddLinesAreIgnored) {
  open(folder.write("c.txt", "1 1\n# comment\n7\n2 -4\n3 1\n0.5 0 rest\n"));
  EXPECT_EQ(ws.coefficients, (Values{0.5, 3.0}));
}

TEST_F(CoefficientFiles, OnlyNegativeIndicesOrNoIndexAreAnError) {
  for (const char* text : {"1 -1\n2 -7\n", "1.5\n2.5\n", ""}) {
    window.messages.clear();
    open(folder.write("n.txt", text));
    EXPECT_EQ(window.messages, (std::vector<std::string>{"Error: No valid column data detected"}));
    EXPECT_EQ(ws.coefficientCount, 0);
    EXPECT_TRUE(window.isChecked("Source > Samples"));
  }
}

TEST_F(CoefficientFiles, IndexTooLargeToHoldIsRefused) {
  const std::string tooLarge =
      "Warning: A coefficient index is too large for the program (at most 2147483646)";
  const std::string uncountable =
      "Warning: 2147483648 evaluation points are more than the "
      "program can count (at most 2147483647)";
  for (const auto& [text, expected] :
       {std::pair<const char*, std::string>{"1 2147483647\n", tooLarge},
        {"1 2147483648\n", tooLarge},
        {"1 99999999999\n", tooLarge},
        {"1 2147483646\n", uncountable},
        {"1 2000000000\n", "Warning: Not enough memory for "}}) {
    window.messages.clear();
    open(folder.write("big.txt", text));
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].rfind(expected, 0), 0u) << window.messages[0];
    EXPECT_EQ(ws.coefficientCount, 0);
    EXPECT_EQ(ws.termCount, 100);
    EXPECT_TRUE(window.isChecked("Source > Samples"));
  }
}

TEST_F(CoefficientFiles, MissingFileCannotBeOpened) {
  const std::string missing = folder.file("none.txt");
  open(missing);
  EXPECT_EQ(window.messages.at(0), "Warning: Can't open file " + missing + " for reading!");
  EXPECT_EQ(window.state.remembered.openCoefficients, missing);
}

// Saved values carry 10 significant digits: reopening gives each value rounded so.
TEST_F(CoefficientFiles, SavedCoefficientsReopenToTenDigits) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
  std::uniform_int_distribution<int> exponent(-300, 300);
  Values saved(50);
  for (double& c : saved)
    c = std::ldexp(mantissa(random), exponent(random));
  ws.coefficients = saved;
  ws.coefficientCount = ws.termCount = 50;

  const std::string path = folder.file("c.txt");
  window.answers.push_back(path);
  saveCoefficients(ws, window);
  EXPECT_EQ(window.dialogsShown.at(0).title, "Save coefficients into file");
  open(path);
  ASSERT_EQ(ws.coefficientCount, 50);
  for (int i = 0; i < 50; ++i) {
    const double rounded = std::strtod(format("%.10g", saved[i]).c_str(), nullptr);
    EXPECT_EQ(ws.coefficients[i], rounded) << i;
  }
}

TEST_F(CoefficientFiles, SavingBeforeAnyRecomputeWritesNothing) {
  window.answers.push_back(folder.file("c.txt"));
  saveCoefficients(ws, window);
  EXPECT_EQ(window.messages.size(), 1u);
  EXPECT_TRUE(window.dialogsShown.empty());
  EXPECT_EQ(folder.entries(), 0);
}

TEST_F(CoefficientFiles, SavesTermCountLinesInIndexOrder) {
  ws.coefficients = {0.5, 0.25, 0.125};
  ws.coefficientCount = 3;
  ws.termCount = 2;
  const std::string path = folder.file("c.txt");
  window.answers.push_back(path);
  saveCoefficients(ws, window);
  EXPECT_EQ(readWhole(path), coefficientTableLine(0.5, 0) + coefficientTableLine(0.25, 1));
}

// The test series against k^-1.4 computed here with pow in long double.
TEST_F(CoefficientFiles, TestSeriesHasPowersAtTheSquareIndices) {
  loadTestCoefficients(ws);
  EXPECT_EQ(ws.coefficientCount, 10000);
  EXPECT_EQ(ws.termCount, 10000);
  EXPECT_EQ(ws.coefficients[0], 0.0);
  EXPECT_EQ(ws.coefficients[1], 1.0);
  EXPECT_EQ(ws.coefficients[2], 0.0);
  constexpr double tolerance = 4 * std::numeric_limits<double>::epsilon();
  EXPECT_NEAR(ws.coefficients[4], std::pow(2.0L, -1.4L), tolerance);
  EXPECT_NEAR(ws.coefficients[9801] / std::pow(99.0L, -1.4L), 1.0, tolerance);
  int nonZero = 0;
  for (double c : ws.coefficients)
    nonZero += c != 0.0;
  EXPECT_EQ(nonZero, 99);
  EXPECT_TRUE(window.boxes.empty());
}

}  // namespace
