// Delimited text tables as other tools write them: a comma, semicolon, tab or white space
// between fields, header rows above the numbers, a decimal comma, missing values ("", "nan",
// "NA"). The layout is detected from the file and proposed as a reading (separator, decimal
// mark, rows skipped, abscissa and value columns), which the "Import Samples" dialog shows and
// the user may change. Plain C++, independent of the locale.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class Separator { Comma, Semicolon, Tab, Space };
enum class DecimalMark { Point, Comma };

// How a delimited text is read. Columns are counted from 0; `abscissaColumn` -1 means none:
// the values are spread over bounds the user types, as for a one-column file.
struct DelimitedReading {
  Separator separator = Separator::Space;
  DecimalMark decimal = DecimalMark::Point;
  int32_t skip = 0;  // lines skipped at the top (headers)
  int32_t abscissaColumn = -1;
  int32_t valueColumn = 0;
  int32_t columnCount = 1;               // fields of the data rows
  std::vector<std::string> columnNames;  // from the header row above the data, if it fits

  bool operator==(const DelimitedReading&) const = default;
};

// What a field holds.
enum class FieldKind { Number, Missing, Text };

struct Field {
  FieldKind kind = FieldKind::Text;
  double value = 0.0;
};

// Reads one field: surrounding blanks and double quotes dropped, then a whole number in the
// given decimal mark ("+" allowed, "inf" and "nan" included), or a missing value ("", "nan",
// "NA", "N/A"; a number that is not finite counts as missing), or text.
Field parseField(std::string_view field, DecimalMark decimal);

// Splits a line (without its line end) into fields; quoted fields may hold the separator.
// White space as separator splits at runs of blanks and tabs, ignoring them at either end.
std::vector<std::string_view> splitFields(std::string_view line, Separator separator);

// The reading a text suggests, from its first lines: the separator and decimal mark under
// which most lines are rows of numbers (with more columns breaking a tie), the lines above the
// first such row skipped, the column names from the line just above it, the first strictly
// ascending or descending column as the abscissa and the first other numeric column as the
// value. Empty when no line holds a number under any reading.
std::optional<DelimitedReading> proposeReading(std::string_view text);

// The first `rows` data rows as the reading takes them, for the preview: a number as the
// decimal mark reads it (shortest exact form), "missing" for a skipped value, other text as
// written. Lines skipped by the reading, blank lines and "#" comments are not shown.
std::vector<std::vector<std::string>> previewRows(std::string_view text,
                                                  const DelimitedReading& reading, int rows);

// The samples a reading takes from a text, in file order.
struct DelimitedSamples {
  std::vector<double> x, y;  // x empty when the reading has no abscissa column
  int64_t missing = 0;       // rows skipped for a missing or non-finite value or abscissa
  int64_t unreadable = 0;    // rows skipped for text where a number should be
  // The line (counted from 1) where the abscissae stop running strictly one way, 0 when
  // they never do.
  int64_t orderBreakLine = 0;
};

// Reads the whole text (reporting progress); rows whose chosen columns are missing or hold
// text are skipped and counted. Returns false when `maxSamples` would be exceeded.
bool readDelimited(std::string_view text, const DelimitedReading& reading, int64_t maxSamples,
                   DelimitedSamples& out);

// Overrides a reading by an answer of `key value` pairs in any order: "separator
// comma|semicolon|tab|space", "decimal point|comma", "skip N", "abscissa N|none", "value N"
// (columns counted from 1). An empty answer keeps the proposal. Empty, with `error` set, when
// the answer cannot be read or names a column the data does not have.
std::optional<DelimitedReading> readingFromAnswer(const DelimitedReading& proposal,
                                                  std::string_view text, std::string_view answer,
                                                  std::string& error);

// The words of a separator and a decimal mark, as the answer and the dialog name them.
const char* separatorWord(Separator separator);
const char* decimalWord(DecimalMark decimal);

// The number of fields of the first data row of a reading: how many columns it offers.
int32_t columnCountOf(std::string_view text, const DelimitedReading& reading);
