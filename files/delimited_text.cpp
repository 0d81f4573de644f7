#include "files/delimited_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <tuple>

#include "bases/progress_blocks.h"

namespace {

// Lines looked at to propose a reading: enough for any header, cheap for any file.
constexpr int proposalLines = 2000;

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && isBlank(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back()))
    s.remove_suffix(1);
  return s;
}

std::string_view unquoted(std::string_view s) {
  s = trimmed(s);
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = trimmed(s.substr(1, s.size() - 2));
  return s;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != b[i]) return false;
  return true;
}

char separatorChar(Separator separator) {
  switch (separator) {
    case Separator::Comma:
      return ',';
    case Separator::Semicolon:
      return ';';
    case Separator::Tab:
      return '\t';
    case Separator::Space:
      return ' ';
  }
  return ' ';
}

// Walks the lines of a text (each without its LF), counting them from 1.
class Lines {
 public:
  explicit Lines(std::string_view text) : rest_(text) {}
  bool next(std::string_view& line) {
    if (rest_.empty()) return false;
    const size_t end = rest_.find('\n');
    line = rest_.substr(0, end);
    rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
    ++number_;
    return true;
  }
  int64_t number() const { return number_; }
  size_t left() const { return rest_.size(); }

 private:
  std::string_view rest_;
  int64_t number_ = 0;
};

bool isComment(std::string_view line) {
  line = trimmed(line);
  return line.empty() || line.front() == '#';
}

void splitInto(std::string_view line, Separator separator, std::vector<std::string_view>& fields) {
  fields.clear();
  if (separator == Separator::Space) {
    size_t i = 0;
    while (i < line.size()) {
      while (i < line.size() && isBlank(line[i]))
        ++i;
      if (i == line.size()) break;
      const size_t start = i;
      bool quoted = false;
      while (i < line.size() && (quoted || !isBlank(line[i])))
        quoted ^= line[i++] == '"';
      fields.push_back(line.substr(start, i - start));
    }
    return;
  }
  const char mark = separatorChar(separator);
  size_t start = 0;
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (line[i] == mark && !quoted) {
      fields.push_back(line.substr(start, i - start));
      start = i + 1;
    }
  }
  fields.push_back(line.substr(start));
}

// How a line reads under a separator and decimal mark.
struct RowCounts {
  int fields = 0, numbers = 0, missing = 0, texts = 0;
};

RowCounts countRow(std::string_view line, Separator separator, DecimalMark decimal,
                   std::vector<std::string_view>& fields) {
  splitInto(line, separator, fields);
  RowCounts counts;
  counts.fields = static_cast<int>(fields.size());
  for (std::string_view field : fields) {
    switch (parseField(field, decimal).kind) {
      case FieldKind::Number:
        ++counts.numbers;
        break;
      case FieldKind::Missing:
        ++counts.missing;
        break;
      case FieldKind::Text:
        ++counts.texts;
        break;
    }
  }
  return counts;
}

// The first lines of a text, for the proposal.
std::vector<std::string_view> firstLines(std::string_view text) {
  std::vector<std::string_view> lines;
  Lines walker(text);
  std::string_view line;
  while (static_cast<int>(lines.size()) < proposalLines && walker.next(line))
    lines.push_back(line);
  return lines;
}

// Fills the column count, names, abscissa and value of a reading whose separator, decimal
// mark and skip are set, from the first lines of its text.
void proposeColumns(const std::vector<std::string_view>& lines, DelimitedReading& reading) {
  std::vector<std::string_view> fields;
  std::map<int, int> rowsByWidth;
  size_t firstData = lines.size();
  for (size_t i = static_cast<size_t>(std::max(reading.skip, 0)); i < lines.size(); ++i) {
    if (isComment(lines[i])) continue;
    const RowCounts row = countRow(lines[i], reading.separator, reading.decimal, fields);
    if (row.numbers == 0) continue;
    ++rowsByWidth[row.fields];
    firstData = std::min(firstData, i);
  }
  int width = 1, most = 0;
  for (const auto& [fieldCount, rows] : rowsByWidth)
    if (rows >= most) width = fieldCount, most = rows;
  reading.columnCount = width;

  // Names: the last non-blank line above the first row of numbers, when it has as many fields.
  reading.columnNames.clear();
  for (size_t i = firstData; i-- > 0;) {
    if (trimmed(lines[i]).empty()) continue;
    std::string_view line = trimmed(lines[i]);
    if (line.front() == '#') line = trimmed(line.substr(1));
    splitInto(line, reading.separator, fields);
    if (static_cast<int>(fields.size()) == width)
      for (std::string_view field : fields)
        reading.columnNames.emplace_back(unquoted(field));
    break;
  }

  // Per column: whether it holds numbers, and whether they run strictly one way.
  struct Column {
    int numbers = 0;
    double last = 0.0;
    bool ascending = true, descending = true;
  };
  std::vector<Column> columns(static_cast<size_t>(width));
  for (size_t i = firstData; i < lines.size(); ++i) {
    if (isComment(lines[i])) continue;
    splitInto(lines[i], reading.separator, fields);
    if (static_cast<int>(fields.size()) != width) continue;
    for (int c = 0; c < width; ++c) {
      const Field field = parseField(fields[static_cast<size_t>(c)], reading.decimal);
      if (field.kind != FieldKind::Number) continue;
      Column& column = columns[static_cast<size_t>(c)];
      if (column.numbers > 0) {
        column.ascending = column.ascending && column.last < field.value;
        column.descending = column.descending && column.last > field.value;
      }
      column.last = field.value;
      ++column.numbers;
    }
  }
  reading.abscissaColumn = -1;
  reading.valueColumn = -1;
  for (int c = 0; c < width && reading.abscissaColumn < 0; ++c) {
    const Column& column = columns[static_cast<size_t>(c)];
    if (column.numbers >= 2 && (column.ascending || column.descending)) reading.abscissaColumn = c;
  }
  for (int c = 0; c < width && reading.valueColumn < 0; ++c)
    if (c != reading.abscissaColumn && columns[static_cast<size_t>(c)].numbers > 0)
      reading.valueColumn = c;
  if (reading.valueColumn < 0) {  // the only numeric column runs one way: it is the values
    reading.valueColumn = std::max(reading.abscissaColumn, 0);
    reading.abscissaColumn = -1;
  }
}

// The first line of numbers under a separator and decimal mark, from `skip` on.
int32_t firstDataLine(const std::vector<std::string_view>& lines, Separator separator,
                      DecimalMark decimal) {
  std::vector<std::string_view> fields;
  for (size_t i = 0; i < lines.size(); ++i)
    if (!isComment(lines[i]) && countRow(lines[i], separator, decimal, fields).numbers > 0)
      return static_cast<int32_t>(i);
  return 0;
}

bool parseColumn(std::string_view word, int32_t& column) {
  int value = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (error != std::errc{} || end != word.data() + word.size() || value < 1) return false;
  column = value - 1;
  return true;
}

}  // namespace

Field parseField(std::string_view text, DecimalMark decimal) {
  text = unquoted(text);
  if (text.empty() || equalsIgnoringCase(text, "na") || equalsIgnoringCase(text, "n/a"))
    return {FieldKind::Missing, 0.0};
  char buffer[64];
  if (text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.size() >= sizeof buffer || text.front() == '+' ||
      (text.front() == '-' && text.size() > 1 && text[1] == '+'))
    return {};
  std::memcpy(buffer, text.data(), text.size());
  if (decimal == DecimalMark::Comma) {
    if (text.find('.') != std::string_view::npos) return {};
    std::replace(buffer, buffer + text.size(), ',', '.');
  }
  double value = 0.0;
  const auto [end, error] = std::from_chars(buffer, buffer + text.size(), value);
  if (end != buffer + text.size()) return {};
  if (error == std::errc::result_out_of_range) return {FieldKind::Missing, 0.0};
  if (error != std::errc{}) return {};
  if (!std::isfinite(value)) return {FieldKind::Missing, value};
  return {FieldKind::Number, value};
}

std::vector<std::string_view> splitFields(std::string_view line, Separator separator) {
  std::vector<std::string_view> fields;
  splitInto(line, separator, fields);
  return fields;
}

std::optional<DelimitedReading> proposeReading(std::string_view text) {
  const std::vector<std::string_view> lines = firstLines(text);
  // Candidates in the order that breaks ties: a tab or semicolon is chosen deliberately by
  // whoever writes it; a decimal comma only where the separator is not a comma.
  const std::pair<Separator, DecimalMark> candidates[] = {
      {Separator::Tab, DecimalMark::Point},       {Separator::Tab, DecimalMark::Comma},
      {Separator::Semicolon, DecimalMark::Point}, {Separator::Semicolon, DecimalMark::Comma},
      {Separator::Comma, DecimalMark::Point},     {Separator::Space, DecimalMark::Point},
      {Separator::Space, DecimalMark::Comma}};
  // Rank: rows holding a number, then numeric fields in them, then fewest fields of text.
  std::tuple<int64_t, int64_t, int64_t> best{0, 0, 0};
  std::optional<DelimitedReading> chosen;
  std::vector<std::string_view> fields;
  for (const auto& [separator, decimal] : candidates) {
    int64_t rows = 0, numeric = 0, texts = 0;
    for (std::string_view line : lines) {
      if (isComment(line)) continue;
      const RowCounts row = countRow(line, separator, decimal, fields);
      if (row.numbers == 0) continue;
      ++rows, numeric += row.numbers + row.missing, texts += row.texts;
    }
    const std::tuple<int64_t, int64_t, int64_t> rank{rows, numeric, -texts};
    if (rows == 0 || (chosen && rank <= best)) continue;
    best = rank;
    chosen = DelimitedReading{};
    chosen->separator = separator;
    chosen->decimal = decimal;
  }
  if (!chosen) return std::nullopt;
  chosen->skip = firstDataLine(lines, chosen->separator, chosen->decimal);
  proposeColumns(lines, *chosen);
  return chosen;
}

namespace {

// A field as the reading will take it: a number in its shortest exact form (so that the
// decimal mark's effect shows), "missing" for a skipped value, other text as written.
std::string asRead(std::string_view field, DecimalMark decimal) {
  const Field read = parseField(field, decimal);
  if (read.kind == FieldKind::Missing) return "missing";
  if (read.kind == FieldKind::Text) return std::string(unquoted(field));
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, read.value).ptr;
  return std::string(buffer, end);
}

}  // namespace

std::vector<std::vector<std::string>> previewRows(std::string_view text,
                                                  const DelimitedReading& reading, int rows) {
  std::vector<std::vector<std::string>> preview;
  Lines lines(text);
  std::string_view line;
  std::vector<std::string_view> fields;
  while (static_cast<int>(preview.size()) < rows && lines.next(line)) {
    if (lines.number() <= reading.skip || isComment(line)) continue;
    splitInto(line, reading.separator, fields);
    std::vector<std::string> row;
    for (std::string_view field : fields)
      row.push_back(asRead(field, reading.decimal));
    preview.push_back(std::move(row));
  }
  return preview;
}

bool readDelimited(std::string_view text, const DelimitedReading& reading, int64_t maxSamples,
                   DelimitedSamples& out) {
  out = {};
  Lines lines(text);
  std::string_view line;
  std::vector<std::string_view> fields;
  const bool withAbscissa = reading.abscissaColumn >= 0;
  const size_t needed =
      static_cast<size_t>(std::max(reading.valueColumn, reading.abscissaColumn)) + 1;
  int direction = 0;  // +1 ascending, -1 descending, once two samples are in
  BlockProgress progress(static_cast<int64_t>(text.size()), 64);  // by bytes
  while (lines.next(line)) {
    progress.at(static_cast<int64_t>(text.size() - lines.left()));
    if (lines.number() <= reading.skip || isComment(line)) continue;
    splitInto(line, reading.separator, fields);
    if (fields.size() < needed) {
      ++out.unreadable;
      continue;
    }
    const Field value =
        parseField(fields[static_cast<size_t>(reading.valueColumn)], reading.decimal);
    Field abscissa{FieldKind::Number, 0.0};
    if (withAbscissa)
      abscissa = parseField(fields[static_cast<size_t>(reading.abscissaColumn)], reading.decimal);
    if (value.kind == FieldKind::Text || abscissa.kind == FieldKind::Text) {
      ++out.unreadable;
      continue;
    }
    if (value.kind == FieldKind::Missing || abscissa.kind == FieldKind::Missing) {
      ++out.missing;
      continue;
    }
    if (static_cast<int64_t>(out.y.size()) >= maxSamples) return false;
    if (withAbscissa) {
      if (!out.x.empty() && out.orderBreakLine == 0) {
        const double last = out.x.back();
        const int step = last < abscissa.value ? 1 : last > abscissa.value ? -1 : 0;
        if (direction == 0) direction = step;
        if (step == 0 || step != direction) out.orderBreakLine = lines.number();
      }
      out.x.push_back(abscissa.value);
    }
    out.y.push_back(value.value);
  }
  return true;
}

int32_t columnCountOf(std::string_view text, const DelimitedReading& reading) {
  DelimitedReading copy = reading;
  proposeColumns(firstLines(text), copy);
  return copy.columnCount;
}

std::optional<DelimitedReading> readingFromAnswer(const DelimitedReading& proposal,
                                                  std::string_view text, std::string_view answer,
                                                  std::string& error) {
  std::vector<std::string_view> words;
  splitInto(answer, Separator::Space, words);
  if (words.size() % 2 != 0) {
    error = "Cannot read the import settings '" + std::string(answer) + "'";
    return std::nullopt;
  }
  DelimitedReading reading = proposal;
  std::optional<int32_t> abscissa, value;
  for (size_t i = 0; i < words.size(); i += 2) {
    const std::string_view key = words[i], word = words[i + 1];
    bool understood = true;
    if (key == "separator") {
      const std::pair<const char*, Separator> names[] = {{"comma", Separator::Comma},
                                                         {"semicolon", Separator::Semicolon},
                                                         {"tab", Separator::Tab},
                                                         {"space", Separator::Space}};
      understood = false;
      for (const auto& [name, separator] : names)
        if (word == name) reading.separator = separator, understood = true;
    } else if (key == "decimal") {
      understood = word == "point" || word == "comma";
      reading.decimal = word == "comma" ? DecimalMark::Comma : DecimalMark::Point;
    } else if (key == "skip") {
      int32_t column = 0;
      understood = word == "0" || parseColumn(word, column);
      reading.skip = word == "0" ? 0 : column + 1;
    } else if (key == "abscissa") {
      int32_t column = -1;
      understood = word == "none" || parseColumn(word, column);
      abscissa = column;
    } else if (key == "value") {
      int32_t column = 0;
      understood = parseColumn(word, column);
      value = column;
    } else {
      understood = false;
    }
    if (!understood) {
      error = "Cannot read the import setting '" + std::string(key) + " " + std::string(word) + "'";
      return std::nullopt;
    }
  }
  if (reading.separator != proposal.separator || reading.decimal != proposal.decimal ||
      reading.skip != proposal.skip)
    proposeColumns(firstLines(text), reading);
  if (abscissa) reading.abscissaColumn = *abscissa;
  if (value) reading.valueColumn = *value;
  for (const int32_t column : {reading.abscissaColumn, reading.valueColumn})
    if (column >= reading.columnCount) {
      error = "The data have no column " + std::to_string(column + 1);
      return std::nullopt;
    }
  if (reading.valueColumn < 0 || reading.valueColumn == reading.abscissaColumn) {
    error = "The value column must differ from the abscissa column";
    return std::nullopt;
  }
  return reading;
}

const char* separatorWord(Separator separator) {
  switch (separator) {
    case Separator::Comma:
      return "comma";
    case Separator::Semicolon:
      return "semicolon";
    case Separator::Tab:
      return "tab";
    case Separator::Space:
      return "space";
  }
  return "space";
}

const char* decimalWord(DecimalMark decimal) {
  return decimal == DecimalMark::Comma ? "comma" : "point";
}
