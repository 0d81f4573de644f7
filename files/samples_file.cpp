#include "files/samples_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "app/data_view.h"
#include "app/interval_box.h"
#include "app/long_command.h"
#include "app/memory_budget.h"
#include "app/menu_items.h"
#include "app/sources.h"
#include "app/startup.h"
#include "app/text_format.h"
#include "bases/progress_blocks.h"
#include "files/c_numeric_locale.h"
#include "files/delimited_text.h"
#include "files/jcamp.h"
#include "files/text_file.h"

namespace {

// The bounds header; left and right change only when both numbers are present.
bool isHeader(const char* line, double& left, double& right) {
  double l = 0.0, r = 0.0;
  if (std::sscanf(line, "# LEFT = %lg ppm. RIGHT = %lg ppm.", &l, &r) != 2) return false;
  left = l, right = r;
  return true;
}

// Where the abscissae of a one-column load start, their step, and whether the values run
// from the larger bound to the smaller.
struct Bounds {
  double start;
  double step;
  bool reversed;
};

// Asks for the bounds until two different numbers are confirmed. Cancelling accepts the
// proposed bounds; when those are equal, cancelling ends the load instead of asking forever.
std::optional<Bounds> askBounds(Window& window, int32_t n, const SamplesLayout& layout) {
  const std::string proposal = boundsText(layout.left, layout.right);
  const CNumericLocale point;
  const std::string caption = format("%d samples detected", n);
  double a = 0.0, b = 0.0;
  while (a == b) {
    const std::optional<std::string> answer =
        window.inputBox(caption, "Input left and right bounds", proposal);
    std::sscanf(answer.value_or(proposal).c_str(), "%lg %lg", &a, &b);
    if (!answer && a == b) return std::nullopt;
  }
  const int32_t gaps = n > 1 ? n - 1 : 1;
  if (a < b) return Bounds{a, (b - a) / gaps, false};
  return Bounds{b, (a - b) / gaps, true};
}

void commit(Workspace& ws, Window& window, std::vector<double> x, std::vector<double> y,
            bool reversed) {
  replaceSamples(ws, std::move(x), std::move(y));
  window.setAbscissaInverted(reversed);
  window.setChecked(invertAbscissaItem, reversed);
  selectSource(ws, window, SourceKind::Samples);
  showNewSamples(ws, window);
  window.setCaption(captionFor(window.state.remembered.openSamples, ws.sampleCount));
  writeIntervalBox(window, "[%lg;%lg]", ws.samplesX.front(), ws.samplesX[ws.sampleCount - 1]);
}

// Refuses a count of samples the memory cannot hold, with a Warning.
bool samplesFit(Window& window, int64_t count) {
  if (count > INT32_MAX) {
    window.message(MessageKind::Warning, countRefusal(count, "samples"));
    return false;
  }
  if (fitsInBudget(bytesPerSample * count)) return true;
  window.message(MessageKind::Warning,
                 format("Not enough memory for %lld samples", static_cast<long long>(count)));
  return false;
}

// Says how many lines a load skipped: for a missing or non-finite number, or for text where
// the chosen columns should hold numbers.
void reportSkipped(Window& window, int64_t missing, int64_t unreadable) {
  const auto report = [&](int64_t count, const char* what) {
    if (count == 1) window.message(MessageKind::Information, format("1 line %s was skipped", what));
    if (count > 1)
      window.message(MessageKind::Information,
                     format("%lld lines %s were skipped", static_cast<long long>(count), what));
  };
  report(missing, "with a value that is not a finite number");
  report(unreadable, "without a number in the chosen columns");
}

// Samples read by a delimited reading, ready to commit; false when the reading gave nothing
// usable (and the user has been told why) or was cancelled.
bool readImport(Workspace& ws, Window& window, std::string_view text,
                const DelimitedReading& reading, const SamplesLayout& layout) {
  const int64_t lines = std::count(text.begin(), text.end(), '\n') + 1;
  if (!samplesFit(window, std::min<int64_t>(lines, INT32_MAX))) return false;
  DelimitedSamples samples;
  if (!runLongCommand(ws, window, "Open samples",
                      [&] { return readDelimited(text, reading, INT32_MAX, samples); }))
    return false;
  const auto n = static_cast<int32_t>(samples.y.size());
  if (n == 0) {
    window.message(MessageKind::Error, "No valid column data detected");
    return false;
  }
  bool reversed = false;
  if (reading.abscissaColumn < 0) {
    const std::optional<Bounds> bounds = askBounds(window, n, layout);
    if (!bounds) return false;
    reversed = bounds->reversed;
    samples.x.resize(samples.y.size());
    double abscissa = bounds->start;
    for (double& x : samples.x)
      x = abscissa, abscissa += bounds->step;
    if (reversed) std::reverse(samples.y.begin(), samples.y.end());
    if (!strictlyAscending(samples.x.data(), n)) {  // bounds that are not finite numbers
      window.message(MessageKind::Warning, "The bounds give no ascending abscissae");
      return false;
    }
  } else if (samples.orderBreakLine > 0 || !takeAscending(samples.x, samples.y, reversed)) {
    window.message(
        MessageKind::Warning,
        format("Abscissa column %d is neither strictly ascending nor strictly "
               "descending at line %lld",
               reading.abscissaColumn + 1, static_cast<long long>(samples.orderBreakLine)));
    return false;
  }
  commit(ws, window, std::move(samples.x), std::move(samples.y), reversed);
  reportSkipped(window, samples.missing, samples.unreadable);
  return true;
}

// The "Import Samples" dialog over a proposal, then the reading the user chose.
void importDelimited(Workspace& ws, Window& window, std::string_view text,
                     const DelimitedReading& proposal, const SamplesLayout& layout) {
  const std::optional<DelimitedReading> reading = window.importSamples({text, proposal});
  if (!reading) return;
  readImport(ws, window, text, *reading, layout);
}

// After a two-column file was refused for its abscissae: where the text reads as a table
// whose abscissa column runs strictly one way (the second column descending, or the first
// ascending), the import dialog proposes that reading.
void offerOtherReading(Workspace& ws, Window& window, std::string_view text,
                       const SamplesLayout& layout) {
  const std::optional<DelimitedReading> proposal = proposeReading(text);
  if (!proposal || proposal->abscissaColumn < 0) return;
  DelimitedSamples samples;
  if (!runLongCommand(ws, window, "Open samples",
                      [&] { return readDelimited(text, *proposal, INT32_MAX, samples); }))
    return;
  if (samples.y.size() < 2 || samples.orderBreakLine > 0) return;
  importDelimited(ws, window, text, *proposal, layout);
}

// A JCAMP-DX spectrum: the file says what it holds, so no dialog.
void openJcamp(Workspace& ws, Window& window, std::string_view text) {
  JcampSpectrum spectrum;
  if (!runLongCommand(ws, window, "Open samples", [&] {
        spectrum = readJcamp(text);
        return true;
      }))
    return;
  if (!spectrum.error.empty()) {
    window.message(MessageKind::Error, spectrum.error);
    return;
  }
  if (!samplesFit(window, static_cast<int64_t>(spectrum.y.size()))) return;
  bool reversed = false;
  if (!takeAscending(spectrum.x, spectrum.y, reversed)) {
    window.message(MessageKind::Error,
                   "The abscissae of the JCAMP-DX spectrum are neither strictly ascending nor "
                   "strictly descending");
    return;
  }
  commit(ws, window, std::move(spectrum.x), std::move(spectrum.y), reversed);
  if (!spectrum.note.empty()) window.message(MessageKind::Information, spectrum.note);
}

// Missing values, as data tools write them ("nan", "inf"), are no samples.
bool allFinite(int found, double first, double second) {
  return (found < 1 || std::isfinite(first)) && (found < 2 || std::isfinite(second));
}

// White space as scanf skips it in the "C" locale.
bool isBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// One "%lg" conversion at `p` after white space, as scanf makes it, with `p` moved past it:
// 1 for a number, 0 where none starts, -1 where only scanf itself can tell (hexadecimal, an
// exponent without digits, a number out of range). `end` is the end of the line.
int fastNumber(const char*& p, const char* end, double& value) {
  while (p < end && isBlank(*p))
    ++p;
  const char* start = p + (p < end && *p == '+');
  if (start == end || *start == '+') return start == p ? 0 : -1;
  double parsed = 0.0;
  const auto [stop, error] = std::from_chars(start, end, parsed);
  if (error == std::errc::invalid_argument) {
    const char c = *start == '-' && start + 1 < end ? start[1] : *start;
    return c && std::strchr("iInN.", c) ? -1 : 0;
  }
  if (error != std::errc{} || (stop < end && std::strchr("xXeE", *stop))) return -1;
  value = parsed;
  p = stop;
  return 1;
}

// What ends a field of the one-or-two-column layout: white space or the end of the line.
bool endsField(char c) {
  return c == '\0' || isBlank(c);
}

// scanf itself, for the lines the fast conversion leaves to it.
int slowNumbersOnLine(const char* line, double& first, double& second, bool& foreign) {
  int afterFirst = -1, afterSecond = -1;
  double a = 0.0, b = 0.0, third = 0.0;
  const int found = std::sscanf(line, "%lg%n %lg%n %lg", &a, &afterFirst, &b, &afterSecond, &third);
  foreign = false;
  if (found <= 0) return 0;
  first = a;
  foreign = !endsField(line[afterFirst]);
  if (found == 1) return 1;
  second = b;
  foreign = foreign || !endsField(line[afterSecond]) || found == 3;
  return 2;
}

}  // namespace

int numbersOnLine(const char* line, double& first, double& second) {
  bool foreign = false;
  return numbersOnLine(line, first, second, foreign);
}

int numbersOnLine(const char* line, double& first, double& second, bool& foreign) {
  const char* end = line + std::strlen(line);
  const char* p = line;
  double third = 0.0;
  const int found = fastNumber(p, end, first);
  if (found < 0) return slowNumbersOnLine(line, first, second, foreign);
  foreign = false;
  if (found == 0) return 0;
  foreign = !endsField(*p);
  const int more = fastNumber(p, end, second);
  if (more < 0) return slowNumbersOnLine(line, first, second, foreign);
  if (more == 0) return 1;
  foreign = foreign || !endsField(*p) || fastNumber(p, end, third) != 0;
  return 2;
}

SamplesLayout scanSamplesText(std::string_view text, TwoColumns* samples) {
  const CNumericLocale point;
  SamplesLayout layout;
  bool headerFound = false;
  if (samples) {
    // A two-number line takes at least four bytes ("1 2" and its line end).
    const size_t most =
        std::min<size_t>(std::count(text.begin(), text.end(), '\n') + 1, text.size() / 4 + 1);
    reserveLarge(samples->x, most);
    reserveLarge(samples->y, most);
  }
  LineWalker lines(text);
  double a = 0.0, b = 0.0;
  BlockProgress progress(static_cast<int64_t>(text.size()), 8);  // by bytes
  while (const char* line = lines.next()) {
    progress.at(static_cast<int64_t>(text.size() - lines.left()));
    bool foreign = false;
    const int found = numbersOnLine(line, a, b, foreign);
    const bool finite = allFinite(found, a, b);
    layout.foreignLines += foreign;
    if (found == 2) ++layout.twoNumberLines, layout.twoNumberNonFinite += !finite;
    if (found == 2 && finite && samples) samples->x.push_back(b), samples->y.push_back(a);
    if (found == 1) ++layout.oneNumberLines, layout.oneNumberNonFinite += !finite;
    if (found == 0 && !headerFound) headerFound = isHeader(line, layout.left, layout.right);
  }
  return layout;
}

ColumnMode columnModeOf(const SamplesLayout& layout) {
  if (layout.twoNumberLines > 0) return ColumnMode::Two;
  if (layout.oneNumberLines > 0) return ColumnMode::One;
  return ColumnMode::None;
}

int64_t sampleCountOf(const SamplesLayout& layout, ColumnMode mode) {
  switch (mode) {
    case ColumnMode::Two:
      return layout.twoNumberLines - layout.twoNumberNonFinite;
    case ColumnMode::One:
      return layout.oneNumberLines - layout.oneNumberNonFinite;
    case ColumnMode::None:
      return 0;
  }
  return 0;
}

int64_t nonFiniteCountOf(const SamplesLayout& layout, ColumnMode mode) {
  switch (mode) {
    case ColumnMode::Two:
      return layout.twoNumberNonFinite;
    case ColumnMode::One:
      return layout.oneNumberNonFinite;
    case ColumnMode::None:
      return 0;
  }
  return 0;
}

void readTwoColumns(std::string_view text, int32_t n, double* x, double* y) {
  const CNumericLocale point;
  LineWalker lines(text);
  double value = 0.0, abscissa = 0.0;
  int32_t k = 0;
  BlockProgress progress(n, 256);
  for (const char* line = lines.next(); line && k < n; line = lines.next()) {
    progress.at(k);
    if (numbersOnLine(line, value, abscissa) != 2 || !allFinite(2, value, abscissa)) continue;
    x[k] = abscissa;
    y[k] = value;
    ++k;
  }
}

void readOneColumn(std::string_view text, int32_t n, double start, double step, bool reversed,
                   double* x, double* y) {
  const CNumericLocale point;
  LineWalker lines(text);
  double value = 0.0, unused = 0.0;
  double abscissa = start;
  int32_t k = 0;
  BlockProgress progress(n, 256);
  for (const char* line = lines.next(); line && k < n; line = lines.next()) {
    progress.at(k);
    if (numbersOnLine(line, value, unused) != 1 || !std::isfinite(value)) continue;
    y[reversed ? n - 1 - k : k] = value;
    x[k] = abscissa;
    abscissa += step;
    ++k;
  }
}

bool takeAscending(std::vector<double>& x, std::vector<double>& y, bool& reversed) {
  const auto n = static_cast<int32_t>(x.size());
  reversed = false;
  if (strictlyAscending(x.data(), n)) return true;
  std::vector<double> negated(x.size());
  std::transform(x.begin(), x.end(), negated.begin(), [](double v) { return -v; });
  if (!strictlyAscending(negated.data(), n)) return false;
  std::reverse(x.begin(), x.end());
  std::reverse(y.begin(), y.end());
  reversed = true;
  return true;
}

bool strictlyAscending(const double* x, int32_t n) {
  if (n > 0 && std::isnan(x[0])) return false;
  for (int32_t k = 1; k < n; ++k)
    if (!(x[k - 1] < x[k])) return false;
  return true;
}

std::string boundsText(double left, double right) {
  const CNumericLocale point;
  return format("%.15g %.15g", left, right);
}

void openSamples(Workspace& ws, Window& window) {
  const std::optional<std::string> path =
      window.openFileName({"Open file with samples in one or two columns",
                           window.state.remembered.openSamples, "", ""});
  if (!path) return;
  openSamplesFile(ws, window, *path);
}

void openSamplesFile(Workspace& ws, Window& window, const std::string& path) {
  window.state.remembered.openSamples = path;

  // Reading reports progress: a pipe that never ends or a slow device can be cancelled.
  TextFile file;
  if (!runLongCommand(ws, window, "Open samples", [&] {
        file = readTextFile(path);
        return true;
      }))
    return;
  if (reportedUnread(file, path, window)) return;
  if (looksLikeJcamp(file.text)) {
    openJcamp(ws, window, file.text);
    return;
  }

  // Scanning and reading a long file are long commands; the question for the bounds between
  // them is not. A cancel of either leaves everything as it was.
  // The scan keeps the two-number lines as it goes: a two-column file needs no second pass.
  SamplesLayout layout;
  TwoColumns scanned;
  if (!runLongCommand(ws, window, "Open samples", [&] {
        layout = scanSamplesText(file.text, &scanned);
        return true;
      }))
    return;
  // Another layout, or numbers only in fields the one-or-two-column layout cannot see
  // (quoted, say): the import dialog.
  if (layout.foreignLines > 0 || columnModeOf(layout) == ColumnMode::None) {
    const std::optional<DelimitedReading> proposal = proposeReading(file.text);
    if (!proposal) {
      window.message(MessageKind::Error, "No valid column data detected");
      return;
    }
    importDelimited(ws, window, file.text, *proposal, layout);
    return;
  }
  const ColumnMode mode = columnModeOf(layout);
  const int64_t count = sampleCountOf(layout, mode);
  if (count == 0) {  // no line of numbers, or none with finite ones
    window.message(MessageKind::Error, "No valid column data detected");
    return;
  }
  if (!samplesFit(window, count)) return;
  const int32_t n = static_cast<int32_t>(count);
  std::vector<double> x, y;
  bool reversed = false;
  if (mode == ColumnMode::Two) {
    x = std::move(scanned.x), y = std::move(scanned.y);
  } else {
    scanned = {};
    const std::optional<Bounds> bounds = askBounds(window, n, layout);
    if (!bounds) return;
    reversed = bounds->reversed;
    // Bounds near the largest doubles (or not numbers) give no step to lay the samples by.
    if (!std::isfinite(bounds->start) || !std::isfinite(bounds->step)) {
      window.message(MessageKind::Warning,
                     "The bounds give a step between samples that is not a finite number");
      return;
    }
    x.resize(n), y.resize(n);
    if (!runLongCommand(ws, window, "Open samples", [&] {
          readOneColumn(file.text, n, bounds->start, bounds->step, reversed, x.data(), y.data());
          return true;
        }))
      return;
    if (!std::all_of(x.begin(), x.end(), [](double v) { return std::isfinite(v); })) {
      window.message(MessageKind::Warning, "The bounds give abscissae that are not finite numbers");
      return;
    }
  }

  if (!strictlyAscending(x.data(), n)) {
    window.message(MessageKind::Warning, "Second (abscissa) column are not ascending");
    offerOtherReading(ws, window, file.text, layout);
    return;
  }
  commit(ws, window, std::move(x), std::move(y), reversed);
  reportSkipped(window, nonFiniteCountOf(layout, mode), 0);
}
