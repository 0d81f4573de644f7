// JCAMP-DX: the compressed forms decoded by hand, small spectra in each table form, files of
// several blocks or pages, and malformed files refused naming the line.
#include "files/jcamp.h"

#include <gtest/gtest.h>

#include <string>

#include "app/menu_items.h"
#include "app/startup.h"
#include "files/samples_file.h"
#include "tests/app/fake_window.h"
#include "tests/files/temp_folder.h"

namespace {

using Values = std::vector<double>;

Values decoded(const std::string& line, bool* endsInDif = nullptr) {
  Values values;
  bool dif = false;
  std::string error;
  EXPECT_TRUE(decodeXyLine(line, values, dif, error)) << line << ": " << error;
  if (endsInDif) *endsInDif = dif;
  return values;
}

// The same line, 100 then the ordinates 10 11 12 12 12 9, in each form.
TEST(DecodeXyLine, EveryFormGivesTheSameNumbers) {
  const Values expected{100, 10, 11, 12, 12, 12, 9};
  EXPECT_EQ(decoded("100 10 11 12 12 12 9"), expected);  // fixed
  EXPECT_EQ(decoded("100+10+11+12+12+12+9"), expected);  // packed
  EXPECT_EQ(decoded("100A0A1A2A2A2I"), expected);        // squeezed
  bool dif = false;
  EXPECT_EQ(decoded("100A0JJ%%l", &dif), expected);  // differences
  EXPECT_TRUE(dif);
  EXPECT_EQ(decoded("100A0JJ%Tl", &dif), expected);   // differences with a repeat
  EXPECT_EQ(decoded("100A0A1A2UI", &dif), expected);  // repeats of a squeezed value
  EXPECT_FALSE(dif);
  EXPECT_EQ(decoded("1.5E+02 -2.5e-1 j5"), (Values{150, -0.25, -15.25}));
  EXPECT_EQ(decoded("@ a1"), (Values{0, -11}));
}

TEST(DecodeXyLine, BadCharactersAndOrphanDifferencesAreErrors) {
  for (const char* line : {"100 1w2", "100 J5", "T", "100 1..2"}) {
    Values values;
    bool dif = false;
    std::string error;
    EXPECT_FALSE(decodeXyLine(line, values, dif, error)) << line;
    EXPECT_FALSE(error.empty()) << line;
  }
}

const char* header = "##TITLE= test\n##JCAMP-DX= 4.24\n##XUNITS= 1/CM\n";

TEST(ReadJcamp, DifferencesWithTheirYCheckAcrossLines) {
  // 5 points from 400 down to 200 by -50: ordinates 10 11 12 / 12 9, the second line opening
  // with the check value 12 of the first line's last difference.
  const std::string text = std::string(header) +
                           "##FIRSTX= 400\n##LASTX= 200\n##NPOINTS= 5\n##YFACTOR= 0.5\n"
                           "##XYDATA= (X++(Y..Y))\n400A0JJ\n300A2%l\n##END=\n";
  const JcampSpectrum s = readJcamp(text);
  ASSERT_EQ(s.error, "");
  EXPECT_EQ(s.x, (Values{400, 350, 300, 250, 200}));
  EXPECT_EQ(s.y, (Values{5, 5.5, 6, 6, 4.5}));
  EXPECT_TRUE(s.note.empty());

  std::string wrongCheck = text;
  wrongCheck.replace(wrongCheck.find("300A2"), 5, "300A3");
  EXPECT_EQ(readJcamp(wrongCheck).error,
            "Line 10 of the JCAMP-DX file: the Y check value does not repeat the last ordinate");
}

TEST(ReadJcamp, PointsAndPeakTables) {
  const JcampSpectrum points = readJcamp(std::string(header) +
                                         "##XFACTOR= 2\n##XYPOINTS= (XY..XY)\n1, 5; 2, 6\n3,?\n"
                                         "4,8\n##END=\n");
  ASSERT_EQ(points.error, "");
  EXPECT_EQ(points.x, (Values{2, 4, 8}));
  EXPECT_EQ(points.y, (Values{5, 6, 8}));

  const JcampSpectrum peaks =
      readJcamp(std::string(header) + "##PEAK TABLE= (XYW..XYW)\n10,100,1 20,50,1\n##END=\n");
  EXPECT_EQ(peaks.x, (Values{10, 20}));
  EXPECT_EQ(peaks.y, (Values{100, 50}));
}

TEST(ReadJcamp, BlocksAndPagesReadTheFirstSpectrumAndSaySo) {
  const JcampSpectrum blocks = readJcamp(
      "##TITLE= link\n##BLOCKS= 2\n##TITLE= first\n##PEAK TABLE= (XY..XY)\n1,1 2,2\n##END=\n"
      "##TITLE= second\n##FIRSTX= 1\n##DELTAX= 1\n##XYDATA= (X++(Y..Y))\n1 5 6\n##END=\n"
      "##END=\n");
  // A data table anywhere comes before a peak table: the second block's.
  ASSERT_EQ(blocks.error, "");
  EXPECT_EQ(blocks.x, (Values{1, 2}));
  EXPECT_EQ(blocks.y, (Values{5, 6}));
  EXPECT_EQ(blocks.note, "The file holds 2 blocks; the first spectrum, \"second\", was read");

  const JcampSpectrum pages = readJcamp(
      "##TITLE= fid\n##JCAMP-DX= 5.0\n##NTUPLES= NMR FID\n##SYMBOL= X, R, I, N\n"
      "##FIRST= 0, 1, 2, 1\n##LAST= 3, 1, 2, 2\n##FACTOR= 1, 2, 1, 1\n##VAR_DIM= 4, 4, 4, 2\n"
      "##PAGE= N=1\n##DATA TABLE= (X++(R..R)), XYDATA\n0 1 2\n2 3 4\n"
      "##PAGE= N=2\n##DATA TABLE= (X++(I..I)), XYDATA\n0 9 9 9 9\n##END NTUPLES= NMR "
      "FID\n##END=\n");
  ASSERT_EQ(pages.error, "");
  EXPECT_EQ(pages.x, (Values{0, 1, 2, 3}));
  EXPECT_EQ(pages.y, (Values{2, 4, 6, 8}));
  EXPECT_EQ(pages.note, "The file holds 2 pages; the first, \"N=1\", was read");
}

TEST(ReadJcamp, MalformedFilesNameTheLine) {
  EXPECT_EQ(readJcamp(std::string(header) + "##XYDATA= (X++(Y..Y))\n1 2 3\n1 2x\n").error,
            "Line 6 of the JCAMP-DX file: 'x' is not a number");
  EXPECT_EQ(readJcamp(std::string(header) +
                      "##NPOINTS= 3\n##FIRSTX= 0\n##LASTX= 1\n##XYDATA= (X++(Y..Y))\n0 1 2\n")
                .error,
            "Line 7 of the JCAMP-DX file: the data table holds 2 points, NPOINTS says 3");
  EXPECT_EQ(readJcamp(header).error,
            "Line 3 of the JCAMP-DX file: the file ends without ##XYDATA, ##XYPOINTS or ##PEAK "
            "TABLE");
}

TEST(LooksLikeJcamp, ByTheFirstRecord) {
  EXPECT_TRUE(looksLikeJcamp("\n##TITLE= x\n"));
  EXPECT_TRUE(looksLikeJcamp("##JCAMP-DX= 4.24\n"));
  EXPECT_FALSE(looksLikeJcamp("# TITLE= x\n##TITLE= y\n"));
  EXPECT_FALSE(looksLikeJcamp("1 2\n"));
}

// Through the command: a descending infrared spectrum is stored ascending, the axis inverted;
// a malformed file changes nothing.
TEST(OpenJcamp, DescendingSpectrumIsReversedAndAMalformedOneChangesNothing) {
  Workspace ws;
  FakeWindow window;
  startUp(ws, window);
  TempFolder folder;
  window.answers.push_back(
      folder.write("ir.dx", std::string(header) + "##FIRSTX= 4000\n##LASTX= 3000\n##NPOINTS= 3\n"
                                                  "##XYDATA= (X++(Y..Y))\n4000 1 2 3\n##END=\n"));
  openSamples(ws, window);
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(ws.samplesX, (Values{3000, 3500, 4000}));
  EXPECT_EQ(ws.samplesY, (Values{3, 2, 1}));
  EXPECT_TRUE(window.isChecked(invertAbscissaItem));
  EXPECT_TRUE(window.importProposals.empty());

  window.answers.push_back(folder.write("bad.jdx", std::string(header) + "##XYDATA= (X++(Y..Y))\n"
                                                                         "1 2 w\n"));
  openSamples(ws, window);
  EXPECT_EQ(window.messages,
            (std::vector<std::string>{"Error: Line 5 of the JCAMP-DX file: 'w' is not a number"}));
  EXPECT_EQ(ws.samplesY, (Values{3, 2, 1}));
}

}  // namespace
