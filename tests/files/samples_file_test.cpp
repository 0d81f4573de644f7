// The samples reader: two-column and one-column files, the bounds header and box, reversed
// loads, and every refusal leaving the samples as they were.
#include "files/samples_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/menu_items.h"
#include "app/startup.h"
#include "tests/app/fake_window.h"
#include "tests/files/temp_folder.h"

namespace {

using Values = std::vector<double>;

class OpenSamples : public ::testing::Test {
 protected:
  void SetUp() override { startUp(ws, window); }

  // Opens the file, answering the bounds box (if asked) with `bounds`.
  void open(const std::string& path, std::vector<std::optional<std::string>> bounds = {}) {
    window.answers.push_back(path);
    for (auto& answer : bounds)
      window.answers.push_back(answer);
    openSamples(ws, window);
  }

  void expectStartUpSamples() const {
    EXPECT_EQ(ws.samplesX, (Values{0.0, 1.0}));
    EXPECT_EQ(ws.samplesY, (Values{1.0, 1.0}));
    EXPECT_EQ(ws.sampleCount, 2);
    EXPECT_EQ(window.caption, "Serna - meander [2]");
  }

  Workspace ws;
  FakeWindow window;
  TempFolder folder;
};

// Spot values: files whose samples can be read off by hand.

TEST_F(OpenSamples, TwoColumnsReadValueFirstAbscissaSecond) {
  open(fixture("three_samples.txt"));
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(ws.samplesX, (Values{0.0, 0.5, 1.0}));
  EXPECT_EQ(ws.samplesY, (Values{1.0, 2.0, 4.0}));
  EXPECT_EQ(window.boxes[Box::Edit3], "[0;1]");
  EXPECT_EQ(window.caption, "Serna - " + fixture("three_samples.txt") + " [3]");
  EXPECT_EQ(window.series[SeriesId::Samples].x, ws.samplesX);
  EXPECT_EQ(window.series[SeriesId::Samples].y, ws.samplesY);
  EXPECT_TRUE(window.isChecked("Source > Samples"));
  EXPECT_FALSE(window.abscissaInverted);
  EXPECT_EQ(window.dialogsShown.at(0).title, "Open file with samples in one or two columns");
  EXPECT_EQ(window.dialogsShown.at(0).fileName, "samples");
}

// A long file reports while it is scanned and while it is read; a cancel at the first report
// (in the scan) or at the last (in the reading) leaves the start-up samples and says nothing
// but "Cancelled". A twin run, not cancelled, reads every line and counts the reports.
TEST_F(OpenSamples, LongFileIsCancelledInTheScanOrInTheReading) {
  std::string text;
  for (int i = 0; i < 200000; ++i)
    text += std::to_string(i % 7) + " " + std::to_string(i) + "\n";
  const std::string path = folder.write("long.txt", text);
  Workspace twin;
  FakeWindow twinWindow;
  startUp(twin, twinWindow);
  twinWindow.answers.push_back(path);
  openSamples(twin, twinWindow);
  ASSERT_EQ(twin.sampleCount, 200000);
  EXPECT_EQ(twin.samplesX[199999], 199999.0);
  EXPECT_EQ(twin.samplesY[199999], 199999 % 7);

  for (int cancelAt : {1, twinWindow.reports}) {
    window.reports = 0;
    window.cancelAtReport = cancelAt;
    open(path);
    EXPECT_EQ(window.reports, cancelAt);
    expectStartUpSamples();
    EXPECT_EQ(window.panels[1], "Cancelled");
    EXPECT_TRUE(window.messages.empty());
  }
}

TEST_F(OpenSamples, LoadDoesNotTouchParametersOrCoefficients) {
  ws.coefficients = {1, 2};
  ws.coefficientCount = 2;
  open(fixture("three_samples.txt"));
  EXPECT_EQ(ws.left, 0.0);
  EXPECT_EQ(ws.right, 2.0);
  EXPECT_EQ(ws.termCount, 100);
  EXPECT_EQ(ws.meshCount, 1000);
  EXPECT_EQ(ws.coefficients, (Values{1, 2}));
}

TEST_F(OpenSamples, CrLfLinesReadAsLfLines) {
  open(fixture("three_samples_crlf.txt"));
  EXPECT_EQ(ws.samplesX, (Values{0.0, 0.5, 1.0}));
  EXPECT_EQ(ws.samplesY, (Values{1.0, 2.0, 4.0}));
}

TEST_F(OpenSamples, MixedFileLoadsOnlyTheTwoNumberLines) {
  open(fixture("mixed_columns.txt"));
  EXPECT_EQ(ws.samplesX, (Values{0.0, 1.0}));
  EXPECT_EQ(ws.samplesY, (Values{1.0, 2.0}));
  EXPECT_TRUE(window.inputPrompts.empty());
}

TEST_F(OpenSamples, TextAfterTheSecondNumberIsIgnored) {
  open(folder.write("s.txt", "7 1 junk\n8 2 # peak\n"));
  EXPECT_EQ(ws.samplesX, (Values{1.0, 2.0}));
  EXPECT_EQ(ws.samplesY, (Values{7.0, 8.0}));
  EXPECT_TRUE(window.importProposals.empty());
}

// A comma after a number or a third number is no longer the one-or-two-column layout: the
// import dialog is asked first, and cancelling it changes nothing.
TEST_F(OpenSamples, ACommaOrAThirdNumberAsksTheImportDialog) {
  for (const char* text : {"3.5,0.25\n", "7 1 99\n", "5,0;1700\n"}) {
    window.importProposals.clear();
    open(folder.write("s.txt", text), {std::nullopt});
    EXPECT_EQ(window.importProposals.size(), 1u) << text;
    expectStartUpSamples();
  }
}

TEST_F(OpenSamples, OneColumnWithoutHeaderProposesZeroAndOne) {
  open(fixture("five_values.txt"), {std::nullopt});
  EXPECT_EQ(window.inputPrompts.at(0), "5 samples detected|Input left and right bounds|0 1");
  EXPECT_EQ(ws.samplesX, (Values{0.0, 0.25, 0.5, 0.75, 1.0}));
  EXPECT_EQ(ws.samplesY, (Values{1, 2, 3, 4, 5}));
  EXPECT_FALSE(window.abscissaInverted);
  EXPECT_FALSE(window.isChecked(invertAbscissaItem));
}

TEST_F(OpenSamples, BoundsTypedLargerFirstReverseTheValues) {
  open(fixture("five_values.txt"), {"1 0"});
  EXPECT_EQ(ws.samplesX, (Values{0.0, 0.25, 0.5, 0.75, 1.0}));
  EXPECT_EQ(ws.samplesY, (Values{5, 4, 3, 2, 1}));
  EXPECT_TRUE(window.abscissaInverted);
  EXPECT_TRUE(window.isChecked(invertAbscissaItem));
}

TEST_F(OpenSamples, HeaderBoundsAreProposedAndCancellingAcceptsThem) {
  open(fixture("header_bounds.txt"), {std::nullopt});
  EXPECT_EQ(window.inputPrompts.at(0), "3 samples detected|Input left and right bounds|10.5 -0.5");
  EXPECT_EQ(ws.samplesX, (Values{-0.5, 5.0, 10.5}));
  EXPECT_EQ(ws.samplesY, (Values{3, 2, 1}));
  EXPECT_TRUE(window.abscissaInverted);
  EXPECT_EQ(window.boxes[Box::Edit3], "[-0.5;10.5]");
}

TEST_F(OpenSamples, HeaderDirectlyFollowedByDataKeepsTheFirstLine) {
  open(folder.write("h.txt", "# LEFT = 0 ppm. RIGHT = 2 ppm.\n7\n8\n9\n"), {std::nullopt});
  EXPECT_EQ(ws.samplesX, (Values{0.0, 1.0, 2.0}));
  EXPECT_EQ(ws.samplesY, (Values{7, 8, 9}));
}

TEST_F(OpenSamples, OnlyTheFirstHeaderCountsAndBlanksMayBeMissing) {
  open(folder.write("h.txt", "#LEFT=4ppm.RIGHT=8ppm.\n# LEFT = 1 ppm. RIGHT = 2 ppm.\n7\n8\n"),
       {std::nullopt});
  EXPECT_EQ(window.inputPrompts.at(0), "2 samples detected|Input left and right bounds|4 8");
}

TEST_F(OpenSamples, HeaderWithOneNumberIsNoHeader) {
  open(folder.write("h.txt", "# LEFT = 5 ppm.\n7\n8\n"), {std::nullopt});
  EXPECT_EQ(window.inputPrompts.at(0), "2 samples detected|Input left and right bounds|0 1");
}

TEST_F(OpenSamples, OneNumberAnswerKeepsTheOtherBoundAtZero) {
  open(fixture("header_bounds.txt"), {"5"});
  EXPECT_EQ(ws.samplesX, (Values{0.0, 2.5, 5.0}));
  EXPECT_EQ(ws.samplesY, (Values{3, 2, 1}));
  EXPECT_TRUE(window.abscissaInverted);
}

TEST_F(OpenSamples, EqualBoundsAskAgainUntilTheyDiffer) {
  open(fixture("five_values.txt"), {"2 2", "", "2 6"});
  EXPECT_EQ(window.inputPrompts.size(), 3u);
  EXPECT_EQ(ws.samplesX, (Values{2, 3, 4, 5, 6}));
}

TEST_F(OpenSamples, SingleValueLiesAtTheSmallerBound) {
  open(folder.write("one.txt", "42\n"), {"3 -1"});
  EXPECT_EQ(ws.samplesX, (Values{-1.0}));
  EXPECT_EQ(ws.samplesY, (Values{42.0}));
  EXPECT_EQ(window.boxes[Box::Edit3], "[-1;-1]");
}

TEST_F(OpenSamples, OneColumnAbscissaeAreARunningSumOfTheStep) {
  open(folder.write("ten.txt", "0\n1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n"), {"0 1"});
  double x = 0.0;
  for (int k = 0; k < 11; ++k, x += 0.1)
    EXPECT_EQ(ws.samplesX[k], x) << k;
}

// Edge cases of the line buffer.

TEST_F(OpenSamples, LongLinesAreReadAsSeveralLinesOf1023Characters) {
  // 1023 blanks fill the first buffer; "5 6" is read from the rest of the same line.
  const std::string line = std::string(1023, ' ') + "5 6\n";
  // "1 2" opens a line whose second buffer starts with "3 4".
  const std::string split = "1 2" + std::string(1020, ' ') + "3 4\n";
  open(folder.write("long.txt", split + line));
  EXPECT_EQ(ws.samplesX, (Values{2, 4, 6}));
  EXPECT_EQ(ws.samplesY, (Values{1, 3, 5}));
}

TEST_F(OpenSamples, CommentsBlankLinesAndATrailingLineChangeNothing) {
  open(folder.write("c.txt", "# x y\n\n1 0\n   \n# more\n2 1\nend"));
  EXPECT_EQ(ws.samplesX, (Values{0, 1}));
}

// Missing values as data tools write them: skipped, and the load says how many.
TEST_F(OpenSamples, LinesWithNonFiniteNumbersAreSkippedAndCounted) {
  open(folder.write("nan.txt", "1 0\nnan 0.5\n2 inf\n3 1\n-inf\n4 2\n"));
  EXPECT_EQ(ws.samplesX, (Values{0, 1, 2}));
  EXPECT_EQ(ws.samplesY, (Values{1, 3, 4}));
  EXPECT_EQ(window.boxes[Box::Edit3], "[0;2]");
  // The one-number line of a two-column file is ignored, as every such line is.
  EXPECT_EQ(window.messages,
            (std::vector<std::string>{
                "Information: 2 lines with a value that is not a finite number were skipped"}));

  window.messages.clear();
  open(folder.write("one.txt", "5\nNaN\n7\n"), {"0 1"});
  EXPECT_EQ(window.inputPrompts.back(), "2 samples detected|Input left and right bounds|0 1");
  EXPECT_EQ(ws.samplesX, (Values{0, 1}));
  EXPECT_EQ(ws.samplesY, (Values{5, 7}));
  EXPECT_EQ(window.messages,
            (std::vector<std::string>{
                "Information: 1 line with a value that is not a finite number was skipped"}));
}

// Text encodings: every line of numbers is read, whatever the file's encoding and line ends.

std::string utf16(const std::string& ascii, bool little) {
  std::string bytes;
  for (char c : ascii)
    bytes += little ? std::string{c, '\0'} : std::string{'\0', c};
  return bytes;
}

TEST_F(OpenSamples, ByteOrderMarksLoneCarriageReturnsAndUtf16AreRead) {
  const std::string lines = "1 0\n2 0.5\n4 1\n";
  const std::string files[] = {
      "\xEF\xBB\xBF" + lines,           "1 0\r2 0.5\r4 1\r",
      "\xFF\xFE" + utf16(lines, true),  "\xFE\xFF" + utf16(lines, false),
      utf16("# x y\r\n" + lines, true), utf16(lines, false),
  };
  for (const std::string& bytes : files) {
    ws.samplesX.clear();
    open(folder.write("t.txt", bytes));
    EXPECT_EQ(ws.samplesX, (Values{0.0, 0.5, 1.0})) << bytes;
    EXPECT_EQ(ws.samplesY, (Values{1.0, 2.0, 4.0})) << bytes;
  }
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(OpenSamples, FilesThatAreNotTextAreRefused) {
  const std::string files[] = {
      std::string("1 0\n2\0 5\n3 1\n", 13),                          // a NUL byte in plain text
      std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),              // a picture
      "\xFF\xFE" + utf16("1 0\n", true) + std::string("\0\xD8", 2),  // a lone surrogate
  };
  for (const std::string& bytes : files) {
    window.messages.clear();
    const std::string path = folder.write("b.bin", bytes);
    open(path);
    EXPECT_EQ(window.messages,
              (std::vector<std::string>{"Error: File " + path + " is not a text file"}));
    expectStartUpSamples();
  }
}

// Refusals: each leaves the samples, the caption and the chart as they were.

TEST_F(OpenSamples, DescendingOrEqualAbscissaeAreRefused) {
  for (const std::string& text : {std::string("1 3\n2 2\n3 1\n"), std::string("1 0\n2 1\n3 1\n")}) {
    window.messages.clear();
    open(folder.write("d.txt", text));
    EXPECT_EQ(window.messages,
              (std::vector<std::string>{"Warning: Second (abscissa) column are not ascending"}));
    expectStartUpSamples();
  }
  EXPECT_FALSE(window.isChecked(invertAbscissaItem));
}

TEST_F(OpenSamples, BoundsWhoseStepIsNotAFiniteNumberAreRefused) {
  const std::string path = folder.write("one.txt", "1\n2\n3\n");
  for (const char* bounds : {"-1e308 1e308", "nan 1", "-inf 0"}) {
    window.messages.clear();
    open(path, {std::string(bounds)});
    EXPECT_EQ(window.messages,
              (std::vector<std::string>{
                  "Warning: The bounds give a step between samples that is not a finite number"}))
        << bounds;
    expectStartUpSamples();
  }
  // Near the largest doubles, but with a finite step, the samples open.
  window.messages.clear();
  open(path, {std::string("1e308 1.7e308")});
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(ws.sampleCount, 3);
}

TEST_F(OpenSamples, FileWithoutNumbersIsAnError) {
  for (const std::string& path : {fixture("no_numbers.txt"), folder.write("empty.txt", ""),
                                  folder.write("nan.txt", "1 nan\nnan 2\n")}) {
    window.messages.clear();
    open(path);
    EXPECT_EQ(window.messages, (std::vector<std::string>{"Error: No valid column data detected"}));
    expectStartUpSamples();
    EXPECT_EQ(window.series[SeriesId::Samples].x, (Values{0.0, 1.0}));
  }
}

TEST_F(OpenSamples, CancellingEqualBoundsEndsTheLoad) {
  open(folder.write("e.txt", "# LEFT = 3 ppm. RIGHT = 3 ppm.\n1\n2\n"), {"", std::nullopt});
  EXPECT_EQ(window.inputPrompts.size(), 2u);
  EXPECT_TRUE(window.messages.empty());
  expectStartUpSamples();
}

TEST_F(OpenSamples, MissingFileOrFolderCannotBeOpened) {
  const std::string missing = folder.file("missing.txt");
  open(missing);
  open(folder.path().string());
  EXPECT_EQ(window.messages,
            (std::vector<std::string>{
                "Warning: Can't open file " + missing + " for reading!",
                "Warning: Can't open file " + folder.path().string() + " for reading!"}));
  expectStartUpSamples();
  EXPECT_EQ(window.state.remembered.openSamples, folder.path().string());
}

TEST_F(OpenSamples, CancelledDialogChangesNothing) {
  openSamples(ws, window);
  EXPECT_EQ(window.state.remembered.openSamples, "samples");
  expectStartUpSamples();
}

}  // namespace
