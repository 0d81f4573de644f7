#include "app/recompute.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <new>
#include <vector>

#include "app/busy_indicator.h"
#include "app/interval_box.h"
#include "app/long_command.h"
#include "app/memory_budget.h"
#include "app/menu_items.h"
#include "app/sample_fit.h"
#include "app/text_format.h"
#include "app/text_scan.h"
#include "bases/interpolate_table.h"
#include "bases/progress.h"
#include "tools/term_count.h"

namespace {

// The interval a recompute settles on: an empty or reversed interval becomes the samples'
// span; where the samples span nothing (a single sample), the interval of the last recompute.
void settleInterval(const Workspace& ws, double& left, double& right) {
  left = ws.left, right = ws.right;
  if (!(right <= left)) return;
  if (ws.sampleCount > 0) left = ws.samplesX[0], right = ws.samplesX[ws.sampleCount - 1];
  if (!(left < right)) left = ws.settledLeft, right = ws.settledRight;
}

// Bytes a recompute needs beyond what it holds: the buffers that grow, a fresh coefficient
// vector while a source is current, and the points the chart series gain.
int64_t bytesNeeded(const Workspace& ws, int64_t terms, int64_t mesh, int64_t values) {
  constexpr int64_t doubleBytes = sizeof(double);
  int64_t bytes = 0;
  if (mesh > ws.meshCapacity) bytes += doublesPerMeshPoint * doubleBytes * mesh;
  if (values > ws.valuesCapacity) bytes += 2 * doubleBytes * values;
  if (ws.sourceFn) bytes += doubleBytes * terms;
  int64_t points = std::max<int64_t>(0, values - ws.valuesCount);
  points += std::max<int64_t>(0, mesh - ws.meshFilled);
  if (ws.sourceFn) points += std::max<int64_t>(0, mesh - ws.sourceFilled);
  return bytes + chartBytesPerPoint * points;
}

// The counts as settleCounts settles them. False when they, with a Values table of `values`
// entries, cannot be held. An automatic count may take as many terms as points, and is settled
// for that many.
bool settleHeldCounts(const Workspace& ws, int32_t values, bool automatic, int32_t& termCount,
                      int32_t& meshCount) {
  int32_t terms = 0, mesh = 0;
  if (!settleCounts(automatic ? ws.meshCount : ws.termCount, ws.meshCount, terms, mesh))
    return false;
  if (!fitsInBudget(bytesNeeded(ws, terms, mesh, values))) return false;
  termCount = terms;
  meshCount = mesh;
  return true;
}

// The window: the samples inside [left, right] are those with indices first to end - 1.
void findWindow(const Workspace& ws, double left, double right, int32_t& first, int32_t& end) {
  first = -1, end = -1;
  for (int32_t i = 0; i < ws.sampleCount && (first < 0 || end < 0); ++i) {
    if (first < 0 && ws.samplesX[i] >= left) first = i;
    if (end < 0 && ws.samplesX[i] > right) end = i;
  }
  if (first < 0) first = 0;
  if (end < 0) end = ws.sampleCount;
  end = std::max(end, first);
}

// The baseline through the first and last sample of the window. When every sample lies right
// of the interval there is no sample end - 1: both points then stand at the first sample.
void setBaseline(Workspace& ws, int32_t first, int32_t end) {
  if (ws.sampleCount == 0) {
    ws.baselineX = {ws.left, ws.right};
    ws.baselineY = {0.0, 0.0};
    return;
  }
  const int32_t a = std::min(first, ws.sampleCount - 1);
  const int32_t b = end > 0 ? end - 1 : a;
  ws.baselineX = {ws.samplesX[a], ws.samplesX[b]};
  ws.baselineY = {ws.samplesY[a], ws.samplesY[b]};
}

// The error figure: the largest deviation of series from source over the mesh inside the
// interval, divided by the range of the source values (which always includes 0). A value that
// is not finite makes it not a number: the comparisons would pass it over and show 0.
double errorFigureOf(const Workspace& ws) {
  double minimum = 0.0, maximum = 0.0, deviation = 0.0;
  for (int32_t i = 1; i < ws.meshCount; ++i) {
    if (!(ws.left <= ws.meshX[i] && ws.meshX[i] <= ws.right)) continue;
    const double s = ws.sourceValues[i];
    const double v = ws.seriesValues[i];
    if (!std::isfinite(s) || !std::isfinite(v)) return std::numeric_limits<double>::quiet_NaN();
    minimum = std::min(minimum, s);
    maximum = std::max(maximum, s);
    deviation = std::max(deviation, std::max(s, v) - std::min(s, v));
  }
  if (maximum != minimum) deviation = deviation / (maximum - minimum);
  return deviation;
}

double trapezoidOf(const Workspace& ws) {
  double sum = 0.0;
  for (int32_t i = 1; i < ws.valuesCount; ++i)
    sum += (ws.valuesY[i] + ws.valuesY[i - 1]) * 0.5 * (ws.valuesX[i] - ws.valuesX[i - 1]);
  return sum;
}

void writeBoxes(const Workspace& ws, Window& window) {
  writeIntervalBox(window, "[%lg;%lg]", ws.left, ws.right);
  window.setBoxText(Box::Edit4, format("%d", ws.termCount));
  window.setBoxText(Box::Edit5, format("%d", ws.meshCount));
  window.setBoxText(Box::Edit6, format("%lg", ws.alpha));
  window.setBoxText(Box::Edit7, format("%lg", ws.beta));
}

// The Warning for counts refused for memory: it names what is large, the counts or the
// samples inside the interval.
std::string refusalText(const Workspace& ws, int32_t first, int32_t end) {
  const int32_t terms = std::max<int32_t>(ws.termCount, 1);
  const int32_t mesh = std::max(ws.meshCount, terms);
  // An odd count of the largest size has no even count of points above it.
  if (mesh % 2 != 0 && mesh == INT32_MAX)
    return countRefusal(int64_t{mesh} + 1, "evaluation points");
  return end - first > mesh
             ? format("Not enough memory for the %d samples in the interval", end - first)
             : memoryRefusal(terms, mesh);
}

// The cycle from the source on, with the counts settled and every buffer it needs in hand.
// `coefficients` is the fresh coefficient vector while a source is current. `searched`: the
// automatic count has sampled the source on this mesh and fitted `coefficients` already, with
// the fit figure `searchedFigure`; the series is only summed.
void recomputeSettled(Workspace& ws, Window& window, int32_t first, int32_t end,
                      std::vector<double>& coefficients, bool searched,
                      long double searchedFigure) {
  // Two steps: the fit, and what follows it; a cancel comes at the start of either.
  const ProgressLoop progress(2);
  progress.report(0);

  // With a source, fresh coefficients are fitted. Without one the held coefficients are
  // evaluated; with none held there is nothing to evaluate and the series stays empty.
  if (ws.sourceFn) {
    ws.coefficients.swap(coefficients);
    ws.coefficientCount = ws.termCount;
    ws.fitMode = fitCoefficients | evaluateOnMesh;
  } else {
    if (ws.coefficientCount < ws.termCount && ws.coefficientCount > 0)
      ws.termCount = ws.coefficientCount;
    ws.fitMode = evaluateOnMesh;
  }
  const bool fits = ws.sourceFn || ws.coefficientCount > 0;

  ws.valuesCount = end - first;
  setBaseline(ws, first, end);
  for (int32_t i = first; i < end; ++i) {
    const double x = ws.samplesX[i];
    ws.valuesX[i - first] = x;
    ws.valuesY[i - first] =
        ws.samplesY[i] - interpolateTable(ws.baselineX.data(), ws.baselineY.data(), 2, x);
  }
  window.fillSeries(SeriesId::Values, ws.valuesX.data(), ws.valuesY.data(), ws.valuesCount);
  window.fillSeries(SeriesId::Baseline, ws.baselineX.data(), ws.baselineY.data(), 2);

  if (fits) {
    const long double figure =
        ws.basis.fit(ws.left, ws.right, ws.alpha, ws.beta, ws.coefficients.data(), ws.termCount,
                     ws.meshX.data(), ws.sourceValues.data(), ws.seriesValues.data(), ws.meshCount,
                     searched ? SourceFn() : ws.sourceFn, searched ? evaluateOnMesh : ws.fitMode);
    ws.fitFigure = static_cast<double>(searched ? searchedFigure : figure);
    ws.meshFilled = ws.meshCount;
    if (ws.sourceFn) ws.sourceFilled = ws.meshCount;
  } else {
    ws.fitFigure = 0.0;
    ws.meshFilled = 0;
  }
  progress.report(1);

  // The error figure needs source values sampled on a mesh of this count; without them
  // (no source was ever sampled here) there is nothing to compare and it is 0.
  const bool comparable = fits && ws.sourceFilled == ws.meshCount;
  ws.errorFigure = comparable ? errorFigureOf(ws) : 0.0;
  window.setPanel(0, format("%lg / %lg", ws.errorFigure, ws.fitFigure));

  ws.trapezoidFigure = trapezoidOf(ws);
  ws.integralFigure =
      fits ? static_cast<double>(ws.basis.integrate(ws.left, ws.right, ws.alpha, ws.beta,
                                                    ws.coefficients.data(), ws.termCount))
           : 0.0;
  window.setPanel(2, format("%lg / %lg", ws.trapezoidFigure, ws.integralFigure));
  window.setPanelNote(2, fits && ws.basis.integralNote ? ws.basis.integralNote(ws.termCount) : "");

  if (ws.sourceFn)
    window.fillSeries(SeriesId::Source, ws.meshX.data(), ws.sourceValues.data(), ws.meshCount);
  window.fillSeries(SeriesId::Analytic, ws.meshX.data(), ws.seriesValues.data(), ws.meshFilled);

  writeBoxes(ws, window);
}

// True when the interval covers part of the samples' span and leaves the rest out.
bool narrowerThanSamples(const Workspace& ws) {
  if (ws.sampleCount < 2) return false;
  const double first = ws.samplesX[0], last = ws.samplesX[ws.sampleCount - 1];
  return ws.left < last && ws.right > first && (ws.left > first || ws.right < last);
}

// A new interval is brought into view: the view fits it when it leaves samples out, and
// otherwise returns from the fit of an earlier interval.
void viewAppliedInterval(const Workspace& ws, Window& window) {
  WindowState& state = window.state;
  if (state.intervalApplied && state.appliedLeft == ws.left && state.appliedRight == ws.right)
    return;
  window.fitViewToInterval(narrowerThanSamples(ws), ws.left, ws.right);
  state.intervalApplied = true;
  state.appliedLeft = ws.left, state.appliedRight = ws.right;
}

}  // namespace

void applyInputs(Workspace& ws, Window& window) {
  // Counts refused for memory return false, and the long command puts the boxes' values back.
  runLongCommand(ws, window, "Apply", [&] {
    readIntervalBox(window, ws.left, ws.right);
    scanCount(window.boxText(Box::Edit4).c_str(), ws.termCount);
    scanCount(window.boxText(Box::Edit5).c_str(), ws.meshCount);
    std::sscanf(window.boxText(Box::Edit6).c_str(), "%lg", &ws.alpha);
    std::sscanf(window.boxText(Box::Edit7).c_str(), "%lg", &ws.beta);
    if (!recompute(ws, window)) return false;
    viewAppliedInterval(ws, window);
    return true;
  });
}

bool recompute(Workspace& ws, Window& window) {
  // Everything that can refuse is settled aside, before the Workspace changes.
  if (const std::string refusal = parameterRefusal(ws.basis, ws.alpha, ws.beta); !refusal.empty()) {
    window.message(MessageKind::Warning, refusal);
    return false;
  }
  double left = 0, right = 0;
  settleInterval(ws, left, right);
  int32_t first = 0, end = 0;
  findWindow(ws, left, right, first, end);
  const auto refuse = [&] {
    window.message(MessageKind::Warning, refusalText(ws, first, end));
    return false;
  };
  // The automatic count needs a source to fit and a basis whose coefficients decay.
  const bool automatic = automaticTermsInEffect(ws, window);
  int32_t termCount = 0, meshCount = 0;
  Growth growth;
  std::vector<double> coefficients;
  try {
    if (!settleHeldCounts(ws, end - first, automatic, termCount, meshCount)) return refuse();
    growth = prepareGrowth(ws, meshCount, end - first);
    if (ws.sourceFn) coefficients.assign(termCount, 0.0);
  } catch (const std::bad_alloc&) {
    return refuse();
  }

  ws.left = left, ws.right = right;
  ws.termCount = termCount, ws.meshCount = meshCount;
  setBusy(window, true);
  swapGrowth(ws, growth);
  TermChoice choice;
  try {
    if (automatic) {
      choice = chooseTermCount(ws.basis, ws.left, ws.right, ws.alpha, ws.beta, ws.sourceFn,
                               ws.meshX.data(), ws.sourceValues.data(), ws.meshCount);
      ws.termCount = choice.terms;
      coefficients.swap(choice.coefficients);
    }
    recomputeSettled(ws, window, first, end, coefficients, automatic, choice.figure);
  } catch (const std::bad_alloc&) {
    // Memory ran out midway (a node set, say): the long command that ran this recompute takes
    // the Workspace and the window back.
    window.showBusy(false);
    return refuse();
  }
  window.setPanelNote(0, automatic ? termChoiceNote(choice, ws.meshCount) : "");
  window.showCoefficientView(
      automatic ? coefficientViewOf(choice)
      : ws.coefficientCount > 0
          ? coefficientViewOf(ws.basis, ws.alpha, ws.beta, ws.coefficients.data(),
                              std::min(ws.termCount, ws.coefficientCount), ws.meshCount)
          : CoefficientView{});
  setBusy(window, false);
  window.setPanel(3, mouseModeText(window));
  // The Values series holds the residual again: no tool's axis titles apply.
  window.setAxisTitles("", "");
  window.markInterval(narrowerThanSamples(ws), ws.left, ws.right);
  ws.settledLeft = ws.left;
  ws.settledRight = ws.right;
  return true;
}

bool automaticTermsInEffect(const Workspace& ws, const Window& window) {
  return ws.sourceFn && ws.basis.squaredNorm && window.isChecked(automaticTermsItem);
}

const char* mouseModeText(const Window& window) {
  return window.isChecked(intervalModeItem) ? "Interval mouse mode" : "Zoom mouse mode";
}
