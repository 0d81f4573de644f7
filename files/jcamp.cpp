#include "files/jcamp.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>

#include "app/text_format.h"
#include "bases/progress_blocks.h"

namespace {

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
    s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
    s.remove_suffix(1);
  return s;
}

// A line without its "$$" comment.
std::string_view withoutComment(std::string_view line) {
  return line.substr(0, line.find("$$"));
}

// Labels compare without blanks, dashes, slashes and underscores, in upper case.
std::string normalisedLabel(std::string_view label) {
  std::string out;
  for (char c : label)
    if (c != ' ' && c != '-' && c != '/' && c != '_' && c != '\t')
      out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::optional<double> affn(std::string_view text) {
  text = trimmed(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// One labelled record: its label, its value and the lines that follow it up to the next one.
struct Record {
  std::string label;
  std::string_view value;
  int64_t line = 0;  // counted from 1
  std::vector<std::string_view> body;
};

std::vector<Record> recordsOf(std::string_view text) {
  std::vector<Record> records;
  int64_t number = 0;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++number;
    const std::string_view content = trimmed(line);
    const size_t equals = content.find('=');
    if (content.substr(0, 2) == "##" && equals != std::string_view::npos) {
      records.push_back({normalisedLabel(content.substr(2, equals - 2)),
                         trimmed(withoutComment(content.substr(equals + 1))),
                         number,
                         {}});
    } else if (!records.empty()) {
      records.back().body.push_back(line);
    }
  }
  return records;
}

std::vector<std::string_view> listOf(std::string_view value) {
  std::vector<std::string_view> items;
  size_t start = 0;
  for (;;) {
    const size_t comma = value.find(',', start);
    items.push_back(trimmed(value.substr(start, comma - start)));
    if (comma == std::string_view::npos) return items;
    start = comma + 1;
  }
}

// The parameters of one spectrum.
struct Parameters {
  std::optional<double> firstX, lastX, deltaX, nPoints;
  double xFactor = 1.0, yFactor = 1.0;
};

// The form of a data table's value: "(X++(Y..Y))" is one abscissa and its ordinates per line,
// "(XY..XY)" pairs, "(XYW..XYW)" and the like triples of which the first two count. The
// symbols name the variables of an NTUPLES file.
struct Form {
  bool xPlusY = false;
  int group = 0;  // numbers per point of a pair table
  std::string xSymbol, ySymbol;
};

std::optional<Form> formOf(std::string_view value) {
  std::string v = normalisedLabel(value.substr(
      0, value.find(')') == std::string_view::npos ? value.size() : value.rfind(')') + 1));
  Form form;
  if (v.size() >= 9 && v.front() == '(' && v.find("++(") != std::string::npos) {
    const size_t plus = v.find("++(");
    form.xPlusY = true;
    form.xSymbol = v.substr(1, plus - 1);
    const size_t dots = v.find("..", plus);
    if (dots == std::string::npos) return std::nullopt;
    form.ySymbol = v.substr(plus + 3, dots - plus - 3);
    return form;
  }
  const size_t dots = v.find("..");
  if (v.size() >= 7 && v.front() == '(' && dots != std::string::npos && dots >= 3) {
    const std::string symbols = v.substr(1, dots - 1);
    form.group = static_cast<int>(symbols.size());
    form.xSymbol = symbols.substr(0, 1);
    form.ySymbol = symbols.substr(1, 1);
    return form;
  }
  return std::nullopt;
}

std::string lineError(int64_t line, const std::string& what) {
  return format("Line %lld of the JCAMP-DX file: %s", static_cast<long long>(line), what.c_str());
}

// The parameters from the records of the spectrum's block before its table, and from the
// variable lists of an NTUPLES file for the table's symbols.
Parameters parametersFor(const std::vector<Record>& records, size_t begin, size_t table,
                         const Form& form) {
  Parameters p;
  std::vector<std::string_view> symbols, first, last, factor, dims;
  for (size_t i = begin; i < table; ++i) {
    const Record& r = records[i];
    const std::optional<double> number = affn(r.value);
    if (r.label == "FIRSTX") p.firstX = number;
    if (r.label == "LASTX") p.lastX = number;
    if (r.label == "DELTAX") p.deltaX = number;
    if (r.label == "NPOINTS") p.nPoints = number;
    if (r.label == "XFACTOR" && number) p.xFactor = *number;
    if (r.label == "YFACTOR" && number) p.yFactor = *number;
    if (r.label == "SYMBOL") symbols = listOf(r.value);
    if (r.label == "FIRST") first = listOf(r.value);
    if (r.label == "LAST") last = listOf(r.value);
    if (r.label == "FACTOR") factor = listOf(r.value);
    if (r.label == "VARDIM") dims = listOf(r.value);
  }
  const auto column = [&](const std::string& symbol) -> std::optional<size_t> {
    for (size_t k = 0; k < symbols.size(); ++k)
      if (normalisedLabel(symbols[k]) == symbol) return k;
    return std::nullopt;
  };
  const auto item = [](const std::vector<std::string_view>& list, std::optional<size_t> k) {
    return k && *k < list.size() ? affn(list[*k]) : std::nullopt;
  };
  const std::optional<size_t> x = column(form.xSymbol), y = column(form.ySymbol);
  if (x || y) {
    if (auto v = item(first, x)) p.firstX = v;
    if (auto v = item(last, x)) p.lastX = v;
    if (auto v = item(factor, x)) p.xFactor = *v;
    if (auto v = item(factor, y)) p.yFactor = *v;
    if (auto v = item(dims, y)) p.nPoints = v;
  }
  return p;
}

// ##XYDATA=(X++(Y..Y)): the ordinates in file order, the abscissae from the parameters.
bool readXyData(const Record& table, const Parameters& p, JcampSpectrum& out) {
  std::vector<double> values, ordinates;
  bool previousEndsInDif = false;
  std::optional<double> firstLineX;
  BlockProgress progress(static_cast<int64_t>(table.body.size()), 16);
  for (size_t k = 0; k < table.body.size(); ++k) {
    progress.at(static_cast<int64_t>(k));
    const int64_t line = table.line + 1 + static_cast<int64_t>(k);
    const std::string_view text = trimmed(withoutComment(table.body[k]));
    if (text.empty()) continue;
    bool endsInDif = false;
    std::string error;
    if (!decodeXyLine(text, values, endsInDif, error)) {
      out.error = lineError(line, error);
      return false;
    }
    if (!firstLineX && !values.empty()) firstLineX = values.front();
    size_t from = 1;
    if (previousEndsInDif) {
      if (values.size() < 2 || ordinates.empty() || values[1] != ordinates.back()) {
        out.error = lineError(line, "the Y check value does not repeat the last ordinate");
        return false;
      }
      from = 2;
    }
    ordinates.insert(ordinates.end(), values.begin() + static_cast<std::ptrdiff_t>(from),
                     values.end());
    previousEndsInDif = endsInDif;
  }
  const auto n = static_cast<int64_t>(ordinates.size());
  if (n == 0) {
    out.error = lineError(table.line, "the data table holds no values");
    return false;
  }
  if (p.nPoints && *p.nPoints != static_cast<double>(n)) {
    out.error = lineError(table.line, format("the data table holds %lld points, NPOINTS says %.15g",
                                             static_cast<long long>(n), *p.nPoints));
    return false;
  }
  const double firstX = p.firstX ? *p.firstX : *firstLineX * p.xFactor;
  double step = 0.0;
  if (n > 1 && p.lastX)
    step = (*p.lastX - firstX) / static_cast<double>(n - 1);
  else if (n > 1 && p.deltaX)
    step = *p.deltaX;
  else if (n > 1) {
    out.error = lineError(table.line, "neither LASTX nor DELTAX gives the abscissa step");
    return false;
  }
  out.x.resize(static_cast<size_t>(n));
  out.y.resize(static_cast<size_t>(n));
  for (int64_t i = 0; i < n; ++i) {
    out.x[static_cast<size_t>(i)] = firstX + static_cast<double>(i) * step;
    out.y[static_cast<size_t>(i)] = ordinates[static_cast<size_t>(i)] * p.yFactor;
  }
  if (p.lastX && n > 1) out.x.back() = *p.lastX;
  return true;
}

// ##XYPOINTS= and ##PEAK TABLE=: groups of numbers, the first two of each the abscissa and
// the ordinate; "?" stands for a missing value and drops its point.
bool readPairs(const Record& table, const Form& form, const Parameters& p, JcampSpectrum& out) {
  std::vector<std::optional<double>> numbers;
  for (size_t k = 0; k < table.body.size(); ++k) {
    const int64_t line = table.line + 1 + static_cast<int64_t>(k);
    std::string_view text = withoutComment(table.body[k]);
    size_t i = 0;
    while (i < text.size()) {
      const char c = text[i];
      if (c == ' ' || c == '\t' || c == ',' || c == ';' || c == '\r') {
        ++i;
        continue;
      }
      size_t j = i;
      while (j < text.size() && !std::strchr(" \t,;\r", text[j]))
        ++j;
      const std::string_view token = text.substr(i, j - i);
      const std::optional<double> value = affn(token);
      if (!value && token != "?") {
        out.error = lineError(line, "'" + std::string(token) + "' is not a number");
        return false;
      }
      numbers.push_back(value);
      i = j;
    }
  }
  const auto group = static_cast<size_t>(form.group);
  if (numbers.empty() || numbers.size() % group != 0) {
    out.error = lineError(table.line, numbers.empty() ? "the data table holds no values"
                                                      : "the data table ends within a point");
    return false;
  }
  for (size_t k = 0; k < numbers.size(); k += group) {
    if (!numbers[k] || !numbers[k + 1]) continue;
    out.x.push_back(*numbers[k] * p.xFactor);
    out.y.push_back(*numbers[k + 1] * p.yFactor);
  }
  return true;
}

bool isDataTable(const std::string& label) {
  return label == "XYDATA" || label == "XYPOINTS" || label == "DATATABLE";
}

}  // namespace

bool looksLikeJcamp(std::string_view text) {
  const size_t start = text.find_first_not_of(" \t\n\r\f\v");
  if (start == std::string_view::npos) return false;
  text.remove_prefix(start);
  const std::string_view line = text.substr(0, text.find('\n'));
  const size_t equals = line.find('=');
  if (line.substr(0, 2) != "##" || equals == std::string_view::npos) return false;
  const std::string label = normalisedLabel(line.substr(2, equals - 2));
  return label == "TITLE" || label == "JCAMPDX";
}

bool decodeXyLine(std::string_view line, std::vector<double>& values, bool& endsInDif,
                  std::string& error) {
  values.clear();
  endsInDif = false;
  enum class Kind { Absolute, Difference, Duplicate };
  double lastDifference = 0.0;
  bool lastWasDifference = false;
  size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (c == ' ' || c == '\t' || c == ',' || c == ';' || c == '\r') {
      ++i;
      continue;
    }
    Kind kind = Kind::Absolute;
    int lead = 0;
    bool sign = false;  // a lead character standing for a signed digit
    if (c == '?') {     // a missing value
      values.push_back(std::nan(""));
      lastWasDifference = false;
      ++i;
      continue;
    }
    if (c == '@')
      lead = 0, sign = true;
    else if (c >= 'A' && c <= 'I')
      lead = c - 'A' + 1, sign = true;
    else if (c >= 'a' && c <= 'i')
      lead = -(c - 'a' + 1), sign = true;
    else if (c == '%')
      lead = 0, sign = true, kind = Kind::Difference;
    else if (c >= 'J' && c <= 'R')
      lead = c - 'J' + 1, sign = true, kind = Kind::Difference;
    else if (c >= 'j' && c <= 'r')
      lead = -(c - 'j' + 1), sign = true, kind = Kind::Difference;
    else if (c >= 'S' && c <= 'Z')
      lead = c - 'S' + 1, sign = true, kind = Kind::Duplicate;
    else if (c == 's')
      lead = 9, sign = true, kind = Kind::Duplicate;
    else if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '+' || c == '-')) {
      error = format("'%c' is not a number", c);
      return false;
    }
    // The digits of the number: after a lead character its further digits (and a fraction);
    // else a plain number with an optional sign, fraction and exponent.
    size_t j = i + 1;
    double value = 0.0;
    if (sign) {
      while (j < line.size() &&
             (std::isdigit(static_cast<unsigned char>(line[j])) || line[j] == '.'))
        ++j;
      std::string digits =
          std::to_string(std::abs(lead)) + std::string(line.substr(i + 1, j - i - 1));
      const std::optional<double> magnitude = affn(digits);
      if (!magnitude) {
        error = "'" + std::string(line.substr(i, j - i)) + "' is not a number";
        return false;
      }
      value = lead < 0 ? -*magnitude : *magnitude;
    } else {
      while (j < line.size()) {
        const char d = line[j];
        const bool exponent = (d == 'E' || d == 'e') && j + 2 <= line.size() &&
                              (line[j + 1] == '+' || line[j + 1] == '-') && j + 2 < line.size() &&
                              std::isdigit(static_cast<unsigned char>(line[j + 2]));
        if (exponent) {
          j += 2;
          continue;
        }
        if (!(std::isdigit(static_cast<unsigned char>(d)) || d == '.')) break;
        ++j;
      }
      const std::optional<double> number = affn(line.substr(i, j - i));
      if (!number) {
        error = "'" + std::string(line.substr(i, j - i)) + "' is not a number";
        return false;
      }
      value = *number;
    }
    i = j;
    switch (kind) {
      case Kind::Absolute:
        values.push_back(value);
        lastWasDifference = false;
        break;
      case Kind::Difference:
        if (values.size() < 2) {
          error = "a difference has no ordinate before it";
          return false;
        }
        values.push_back(values.back() + value);
        lastDifference = value;
        lastWasDifference = true;
        break;
      case Kind::Duplicate:
        if (values.empty() || value < 1) {
          error = "a repeat count has no value before it";
          return false;
        }
        for (int r = 1; r < static_cast<int>(value); ++r)
          values.push_back(lastWasDifference ? values.back() + lastDifference : values.back());
        break;
    }
  }
  endsInDif = lastWasDifference;
  return true;
}

JcampSpectrum readJcamp(std::string_view text) {
  JcampSpectrum out;
  const std::vector<Record> records = recordsOf(text);
  // The first data table of the file; a peak table only where there is none.
  std::optional<size_t> table;
  for (size_t i = 0; i < records.size() && !table; ++i)
    if (isDataTable(records[i].label)) table = i;
  for (size_t i = 0; i < records.size() && !table; ++i)
    if (records[i].label == "PEAKTABLE") table = i;
  if (!table) {
    out.error = lineError(records.empty() ? 1 : records.back().line,
                          "the file ends without ##XYDATA, ##XYPOINTS or ##PEAK TABLE");
    return out;
  }
  const Record& data = records[*table];
  const std::optional<Form> form = formOf(data.value);
  if (!form || (!form->xPlusY && form->group < 2)) {
    out.error = lineError(
        data.line, "the data form '" + std::string(data.value) + "' is not one this program reads");
    return out;
  }
  // The spectrum's block begins at the last ##TITLE before its table.
  size_t begin = 0;
  for (size_t i = 0; i < *table; ++i)
    if (records[i].label == "TITLE") begin = i;
  const Parameters p = parametersFor(records, begin, *table, *form);
  if (!(form->xPlusY ? readXyData(data, p, out) : readPairs(data, *form, p, out))) {
    out.x.clear(), out.y.clear();
    return out;
  }
  // Points whose ordinate is missing go; their abscissae were already counted.
  std::vector<double> x, y;
  for (size_t i = 0; i < out.y.size(); ++i)
    if (std::isfinite(out.x[i]) && std::isfinite(out.y[i]))
      x.push_back(out.x[i]), y.push_back(out.y[i]);
  out.x = std::move(x), out.y = std::move(y);
  if (out.y.empty()) {
    out.error = lineError(data.line, "the data table holds no values");
    return out;
  }

  int64_t blocks = 0, pages = 0;
  for (const Record& r : records) {
    if (r.label == "BLOCKS") blocks = static_cast<int64_t>(affn(r.value).value_or(0));
    pages += r.label == "PAGE";
  }
  const std::string title(begin < records.size() && records[begin].label == "TITLE"
                              ? records[begin].value
                              : std::string_view());
  if (blocks > 1)
    out.note = format("The file holds %lld blocks; the first spectrum, \"%s\", was read",
                      static_cast<long long>(blocks), title.c_str());
  else if (pages > 1) {
    std::string page;
    for (size_t i = begin; i < *table; ++i)
      if (records[i].label == "PAGE") page = std::string(records[i].value);
    out.note = format("The file holds %lld pages; the first, \"%s\", was read",
                      static_cast<long long>(pages), page.c_str());
  }
  return out;
}
