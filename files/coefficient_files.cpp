#include "files/coefficient_files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>
#include <optional>

#include "app/long_command.h"
#include "app/memory_budget.h"
#include "app/show_coefficients.h"
#include "app/text_format.h"
#include "app/text_scan.h"
#include "files/c_numeric_locale.h"
#include "files/table_export.h"
#include "files/text_file.h"

namespace {

constexpr int32_t testSeriesLength = 10000;
constexpr double testDimension = 1.3;

// The counts a series of `terms` coefficients needs evaluated: at least as many mesh points,
// an even number of them.
int64_t meshPointsFor(int64_t terms, int32_t meshCount) {
  int64_t mesh = std::max<int64_t>(meshCount, terms);
  if (mesh % 2 != 0) ++mesh;
  return mesh;
}

}  // namespace

bool coefficientOnLine(const char* line, double& coefficient, int32_t& index) {
  int consumed = 0;
  if (std::sscanf(line, "%lg%n", &coefficient, &consumed) != 1) return false;
  return scanCount(line + consumed, index) != nullptr;
}

int32_t largestIndex(std::string_view text) {
  const CNumericLocale point;
  int32_t largest = -1;
  double coefficient = 0.0;
  int32_t index = 0;
  LineWalker lines(text);
  while (const char* line = lines.next())
    if (coefficientOnLine(line, coefficient, index)) largest = std::max(largest, index);
  return largest;
}

void readCoefficients(std::string_view text, double* c, int32_t count) {
  const CNumericLocale point;
  double coefficient = 0.0;
  int32_t index = 0;
  LineWalker lines(text);
  while (const char* line = lines.next())
    if (coefficientOnLine(line, coefficient, index) && index >= 0 && index < count)
      c[index] = coefficient;
}

std::vector<double> testCoefficients() {
  std::vector<double> c(testSeriesLength, 0.0);
  const long double exponent = (static_cast<long double>(testDimension) - 2) * 2;
  for (int32_t k = 1; k <= 99; ++k)
    c[k * k] = static_cast<double>(std::exp(std::log(static_cast<long double>(k)) * exponent));
  return c;
}

void openCoefficients(Workspace& ws, Window& window) {
  const std::optional<std::string> path = window.openFileName(
      {"Open file with coefficients", window.state.remembered.openCoefficients, "", ""});
  if (!path) return;
  window.state.remembered.openCoefficients = *path;

  const TextFile file = readTextFile(*path);
  if (reportedUnread(file, *path, window)) return;
  const int32_t largest = largestIndex(file.text);
  if (largest < 0) {
    window.message(MessageKind::Error, "No valid column data detected");
    return;
  }
  // The series is evaluated right away, on a mesh of at least as many points as terms.
  const int64_t terms = int64_t{largest} + 1;
  const int64_t mesh = meshPointsFor(terms, ws.meshCount);
  const std::string refusal = format("Not enough memory for %lld coefficients (largest index %d)",
                                     static_cast<long long>(terms), largest);
  if (mesh > INT32_MAX || !fitsInMemory(doublesPerMeshPoint * mesh + terms)) {
    window.message(MessageKind::Warning, refusal);
    return;
  }
  std::vector<double> c;
  try {
    c.assign(terms, 0.0);
  } catch (const std::bad_alloc&) {
    window.message(MessageKind::Warning, refusal);
    return;
  }
  readCoefficients(file.text, c.data(), static_cast<int32_t>(terms));
  // A large index makes a long recompute: a cancel (or a refusal) takes the file's content
  // back with everything else.
  runLongCommand(ws, window, "Open coefficients", [&] {
    return showCoefficients(ws, window, std::move(c), static_cast<int32_t>(terms));
  });
}

void saveCoefficients(Workspace& ws, Window& window) {
  const int32_t count = std::min(ws.termCount, ws.coefficientCount);
  if (count <= 0) {
    window.message(MessageKind::Warning, "No coefficients to save yet: apply first");
    return;
  }
  saveTable(ws, window, "coefficients", window.state.remembered.saveCoefficients, count,
            ws.coefficients.data(), nullptr);
}

void loadTestCoefficients(Workspace& ws) {
  ws.coefficients = testCoefficients();
  ws.coefficientCount = testSeriesLength;
  ws.termCount = testSeriesLength;
}
