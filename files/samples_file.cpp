#include "files/samples_file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
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

// Missing values, as data tools write them ("nan", "inf"), are no samples.
bool allFinite(int found, double first, double second) {
  return (found < 1 || std::isfinite(first)) && (found < 2 || std::isfinite(second));
}

}  // namespace

int numbersOnLine(const char* line, double& first, double& second) {
  const int found = std::sscanf(line, "%lg %lg", &first, &second);
  return found > 0 ? found : 0;
}

SamplesLayout scanSamplesText(std::string_view text) {
  const CNumericLocale point;
  SamplesLayout layout;
  bool headerFound = false;
  LineWalker lines(text);
  double a = 0.0, b = 0.0;
  BlockProgress progress(static_cast<int64_t>(text.size()), 8);  // by bytes
  while (const char* line = lines.next()) {
    progress.at(static_cast<int64_t>(text.size() - lines.left()));
    const int found = numbersOnLine(line, a, b);
    const bool finite = allFinite(found, a, b);
    if (found == 2) ++layout.twoNumberLines, layout.twoNumberNonFinite += !finite;
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
  window.state.remembered.openSamples = *path;

  const TextFile file = readTextFile(*path);
  if (reportedUnread(file, *path, window)) return;

  // Scanning and reading a long file are long commands; the question for the bounds between
  // them is not. A cancel of either leaves everything as it was.
  SamplesLayout layout;
  if (!runLongCommand(ws, window, "Open samples", [&] {
        layout = scanSamplesText(file.text);
        return true;
      }))
    return;
  const ColumnMode mode = columnModeOf(layout);
  const int64_t count = sampleCountOf(layout, mode);
  if (count == 0) {  // no line of numbers, or none with finite ones
    window.message(MessageKind::Error, "No valid column data detected");
    return;
  }
  if (count > INT32_MAX) {
    window.message(MessageKind::Warning, countRefusal(count, "samples"));
    return;
  }
  if (!fitsInBudget(bytesPerSample * count)) {
    window.message(MessageKind::Warning,
                   format("Not enough memory for %lld samples", static_cast<long long>(count)));
    return;
  }
  const int32_t n = static_cast<int32_t>(count);
  std::vector<double> x(n), y(n);

  bool reversed = false;
  std::optional<Bounds> bounds;
  if (mode == ColumnMode::One) {
    bounds = askBounds(window, n, layout);
    if (!bounds) return;
    reversed = bounds->reversed;
    // Bounds near the largest doubles (or not numbers) give no step to lay the samples by.
    if (!std::isfinite(bounds->start) || !std::isfinite(bounds->step)) {
      window.message(MessageKind::Warning,
                     "The bounds give a step between samples that is not a finite number");
      return;
    }
  }
  if (!runLongCommand(ws, window, "Open samples", [&] {
        if (bounds)
          readOneColumn(file.text, n, bounds->start, bounds->step, reversed, x.data(), y.data());
        else
          readTwoColumns(file.text, n, x.data(), y.data());
        return true;
      }))
    return;

  if (bounds && !std::all_of(x.begin(), x.end(), [](double v) { return std::isfinite(v); })) {
    window.message(MessageKind::Warning, "The bounds give abscissae that are not finite numbers");
    return;
  }
  if (!strictlyAscending(x.data(), n)) {
    window.message(MessageKind::Warning, "Second (abscissa) column are not ascending");
    return;
  }
  commit(ws, window, std::move(x), std::move(y), reversed);
  const int64_t skipped = nonFiniteCountOf(layout, mode);
  if (skipped == 1)
    window.message(MessageKind::Information,
                   "1 line with a value that is not a finite number was skipped");
  if (skipped > 1)
    window.message(MessageKind::Information,
                   format("%lld lines with a value that is not a finite number were skipped",
                          static_cast<long long>(skipped)));
}
