// Tables other tools write: the layout detected and proposed, the answer overriding it, the
// samples read (descending abscissae reversed), and a refused two-column file offering the
// reading that works. Every file is small enough to check by hand.
#include <gtest/gtest.h>

#include <string>

#include "app/menu_items.h"
#include "app/startup.h"
#include "files/delimited_text.h"
#include "files/samples_file.h"
#include "tests/app/fake_window.h"
#include "tests/files/temp_folder.h"

namespace {

using Values = std::vector<double>;
using Names = std::vector<std::string>;

// Fields: numbers in either decimal mark, missing values, text.

TEST(ParseField, NumbersInEitherDecimalMark) {
  EXPECT_EQ(parseField(" 5,25 ", DecimalMark::Comma).value, 5.25);
  EXPECT_EQ(parseField("\"-0.5\"", DecimalMark::Point).value, -0.5);
  EXPECT_EQ(parseField("+1e3", DecimalMark::Point).value, 1000.0);
  EXPECT_EQ(parseField("5,25", DecimalMark::Point).kind, FieldKind::Text);
  EXPECT_EQ(parseField("1.234,5", DecimalMark::Comma).kind, FieldKind::Text);
  EXPECT_EQ(parseField("2020-01-05", DecimalMark::Point).kind, FieldKind::Text);
  EXPECT_EQ(parseField("time_s", DecimalMark::Point).kind, FieldKind::Text);
  for (const char* missing : {"", "  ", "NA", "na", "N/A", "nan", "NaN", "-inf", "1e999", "\"\""})
    EXPECT_EQ(parseField(missing, DecimalMark::Point).kind, FieldKind::Missing) << missing;
}

TEST(SplitFields, QuotesMayHoldTheSeparator) {
  EXPECT_EQ(splitFields("\"a,b\",2,", Separator::Comma).size(), 3u);
  EXPECT_EQ(splitFields("  1\t 2   3 ", Separator::Space).size(), 3u);
}

// Proposals for the files of the usual writers.

struct ProposalCase {
  const char* name;
  const char* text;
  Separator separator;
  DecimalMark decimal;
  int32_t skip, abscissa, value, columns;
  Names names;
};

TEST(ProposeReading, TheUsualWritersAreRecognised) {
  const ProposalCase cases[] = {
      {"pandas, abscissa first",
       "time_s,mV\n0.0,0.12\n0.004,0.5\n0.008,-0.1\n",
       Separator::Comma,
       DecimalMark::Point,
       1,
       0,
       1,
       2,
       {"time_s", "mV"}},
      {"numpy savetxt",
       "1.0e+00,3.0e+00\n2.0e+00,1.0e+00\n",
       Separator::Comma,
       DecimalMark::Point,
       0,
       0,
       1,
       2,
       {}},
      {"German spreadsheet, value first",
       "Wert;Jahr\n5,0;1700\n11,0;1701\n8,0;1702\n",
       Separator::Semicolon,
       DecimalMark::Comma,
       1,
       1,
       0,
       2,
       {"Wert", "Jahr"}},
      {"statistics package, quoted",
       "\"\",\"time\",\"co2\"\n\"1\",1974.38,333.13\n"
       "\"2\",1974.40,332.09\n",
       Separator::Comma,
       DecimalMark::Point,
       1,
       0,
       1,
       3,
       {"", "time", "co2"}},
      {"descending ppm TSV",
       "ppm\tintensity\n9.5\t10\n9.0\t12\n8.5\t11\n",
       Separator::Tab,
       DecimalMark::Point,
       1,
       0,
       1,
       2,
       {"ppm", "intensity"}},
      {"date index",
       "date,value\n2020-01-05,3\n2020-01-12,5\n2020-01-19,4\n",
       Separator::Comma,
       DecimalMark::Point,
       1,
       -1,
       1,
       2,
       {"date", "value"}},
      {"blanks, decimal comma, three columns",
       "1,5 2,5 7\n2,5 3,5 6\n",
       Separator::Space,
       DecimalMark::Comma,
       0,
       0,
       1,
       3,
       {}},
  };
  for (const ProposalCase& c : cases) {
    const std::optional<DelimitedReading> reading = proposeReading(c.text);
    ASSERT_TRUE(reading) << c.name;
    EXPECT_EQ(reading->separator, c.separator) << c.name;
    EXPECT_EQ(reading->decimal, c.decimal) << c.name;
    EXPECT_EQ(reading->skip, c.skip) << c.name;
    EXPECT_EQ(reading->abscissaColumn, c.abscissa) << c.name;
    EXPECT_EQ(reading->valueColumn, c.value) << c.name;
    EXPECT_EQ(reading->columnCount, c.columns) << c.name;
    EXPECT_EQ(reading->columnNames, c.names) << c.name;
  }
  EXPECT_FALSE(proposeReading("no numbers\nat all\n"));
}

TEST(ReadingFromAnswer, PairsOverrideTheProposalInAnyOrder) {
  const std::string text = "a;b;c\n1;2,5;3\n2;3,5;1\n";
  const DelimitedReading proposal = *proposeReading(text);
  std::string error;
  EXPECT_EQ(readingFromAnswer(proposal, text, "", error), proposal);
  const auto reading = readingFromAnswer(proposal, text, "value 3 abscissa none", error);
  ASSERT_TRUE(reading);
  EXPECT_EQ(reading->abscissaColumn, -1);
  EXPECT_EQ(reading->valueColumn, 2);
  // Another separator reads the text anew: under a comma no row holds a number.
  const auto comma = readingFromAnswer(proposal, text, "separator comma decimal point", error);
  ASSERT_TRUE(comma);
  EXPECT_EQ(comma->separator, Separator::Comma);
  EXPECT_EQ(comma->columnCount, 1);

  for (const char* bad : {"value", "value 4", "value 0", "skip x", "colour red",
                          "abscissa 2 value 2", "separator pipe"}) {
    error.clear();
    EXPECT_FALSE(readingFromAnswer(proposal, text, bad, error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
}

TEST(PreviewRows, ShowTheNumbersAsTheDecimalMarkReadsThem) {
  const std::string text = "year;spots\n1700;5,0\n1701;NA\n1702;16,25\n";
  DelimitedReading reading = *proposeReading(text);
  ASSERT_EQ(reading.decimal, DecimalMark::Comma);
  using Rows = std::vector<Names>;
  EXPECT_EQ(previewRows(text, reading, 2), (Rows{{"1700", "5"}, {"1701", "missing"}}));
  reading.decimal = DecimalMark::Point;  // the user's other choice: commas make text
  EXPECT_EQ(previewRows(text, reading, 5)[2], (Names{"1702", "16,25"}));
}

TEST(ReadDelimited, MissingAndTextRowsAreSkippedAndCounted) {
  const std::string text = "x,y\n1,10\n2,\n3,NA\n4,abc\n# note\n\n5,nan\n6,60\n";
  const DelimitedReading reading = *proposeReading(text);
  DelimitedSamples samples;
  ASSERT_TRUE(readDelimited(text, reading, 100, samples));
  EXPECT_EQ(samples.x, (Values{1, 6}));
  EXPECT_EQ(samples.y, (Values{10, 60}));
  EXPECT_EQ(samples.missing, 3);
  EXPECT_EQ(samples.unreadable, 1);
  EXPECT_EQ(samples.orderBreakLine, 0);
  EXPECT_FALSE(readDelimited(text, reading, 1, samples));

  ASSERT_TRUE(readDelimited("1,1\n2,2\n2,3\n", reading, 100, samples));
  EXPECT_EQ(samples.orderBreakLine, 3);
}

// The whole command through the window.

class ImportSamples : public ::testing::Test {
 protected:
  void SetUp() override { startUp(ws, window); }

  void open(const std::string& text, std::vector<std::optional<std::string>> answers) {
    window.answers.push_back(folder.write("data.csv", text));
    for (auto& answer : answers)
      window.answers.push_back(answer);
    openSamples(ws, window);
  }

  Workspace ws;
  FakeWindow window;
  TempFolder folder;
};

TEST_F(ImportSamples, PandasCsvLoadsItsSecondColumnOverItsFirst) {
  open("time_s,mV\n0.0,0.12\n0.5,0.5\n1.0,-0.1\n", {""});
  EXPECT_EQ(ws.samplesX, (Values{0.0, 0.5, 1.0}));
  EXPECT_EQ(ws.samplesY, (Values{0.12, 0.5, -0.1}));
  EXPECT_TRUE(window.messages.empty());
  EXPECT_TRUE(window.inputPrompts.empty());
  EXPECT_FALSE(window.abscissaInverted);
  EXPECT_EQ(window.boxes[Box::Edit3], "[0;1]");
}

TEST_F(ImportSamples, DecimalCommasKeepTheirDecimals) {
  open("16,75;1700\n5,5;1701\n11,25;1702\n", {""});
  EXPECT_EQ(ws.samplesX, (Values{1700, 1701, 1702}));
  EXPECT_EQ(ws.samplesY, (Values{16.75, 5.5, 11.25}));
}

TEST_F(ImportSamples, DescendingAbscissaeAreStoredAscendingWithTheAxisInverted) {
  open("ppm,I\n9.5,1\n9.0,2\n8.5,3\n", {""});
  EXPECT_EQ(ws.samplesX, (Values{8.5, 9.0, 9.5}));
  EXPECT_EQ(ws.samplesY, (Values{3, 2, 1}));
  EXPECT_TRUE(window.abscissaInverted);
  EXPECT_TRUE(window.isChecked(invertAbscissaItem));
}

TEST_F(ImportSamples, NoAbscissaAsksForTheBounds) {
  open("date,value\n2020-01-05,3\n2020-01-12,5\n2020-01-19,4\n", {"", "0 2"});
  EXPECT_EQ(window.inputPrompts.at(0), "3 samples detected|Input left and right bounds|0 1");
  EXPECT_EQ(ws.samplesX, (Values{0, 1, 2}));
  EXPECT_EQ(ws.samplesY, (Values{3, 5, 4}));
}

TEST_F(ImportSamples, AnswerChoosesOtherColumns) {
  open("t,a,b\n0,1,7\n1,2,8\n2,3,9\n", {"value 3"});
  EXPECT_EQ(ws.samplesY, (Values{7, 8, 9}));
}

TEST_F(ImportSamples, CancelOrABadAnswerChangesNothing) {
  for (std::optional<std::string> answer : {std::optional<std::string>(), {"value 9"}}) {
    window.messages.clear();
    open("t,v\n0,1\n1,2\n", {answer});
    EXPECT_EQ(ws.samplesX, (Values{0.0, 1.0}));
    EXPECT_EQ(ws.samplesY, (Values{1.0, 1.0}));
    EXPECT_EQ(window.caption, "Serna - meander [2]");
  }
  EXPECT_EQ(window.messages, (std::vector<std::string>{"Error: The data have no column 9"}));
}

TEST_F(ImportSamples, UnorderedAbscissaeNameTheLine) {
  open("t,v\n0,1\n2,3\n1,2\n", {"abscissa 1 value 2"});
  EXPECT_EQ(window.messages,
            (std::vector<std::string>{"Warning: Abscissa column 1 is neither strictly ascending "
                                      "nor strictly descending at line 4"}));
  EXPECT_EQ(ws.sampleCount, 2);
}

TEST_F(ImportSamples, SkippedRowsAreReported) {
  open("t,v\n0,1\n1,NA\n2,x\n3,4\n", {""});
  EXPECT_EQ(ws.samplesX, (Values{0, 3}));
  EXPECT_EQ(window.messages,
            (std::vector<std::string>{
                "Information: 1 line with a value that is not a finite number was skipped",
                "Information: 1 line without a number in the chosen columns was skipped"}));
}

// A two-column file refused for its abscissae: the warning first, then the reading that works.
TEST_F(ImportSamples, RefusedTwoColumnFileOffersTheReadingThatWorks) {
  // The second column descends: taken reversed.
  open("1 3\n2 2\n4 1\n", {"abscissa 2 value 1"});
  EXPECT_EQ(window.messages,
            (std::vector<std::string>{"Warning: Second (abscissa) column are not ascending"}));
  EXPECT_EQ(window.importProposals.size(), 1u);
  EXPECT_EQ(ws.samplesX, (Values{1, 2, 3}));
  EXPECT_EQ(ws.samplesY, (Values{4, 2, 1}));
  EXPECT_TRUE(window.abscissaInverted);

  // The first column ascends (abscissa first, as a TSV with a header): proposed as such.
  window.messages.clear();
  open("time\tmV\n0\t5\n1\t3\n2\t4\n", {""});
  EXPECT_EQ(window.importProposals.back().abscissaColumn, 0);
  EXPECT_EQ(ws.samplesX, (Values{0, 1, 2}));
  EXPECT_EQ(ws.samplesY, (Values{5, 3, 4}));
  EXPECT_FALSE(window.abscissaInverted);

  // Neither column runs one way: the warning alone.
  window.importProposals.clear();
  open("1 0\n2 1\n0 1\n", {});
  EXPECT_TRUE(window.importProposals.empty());
}

}  // namespace
