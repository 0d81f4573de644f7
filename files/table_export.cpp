#include "files/table_export.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <optional>
#include <vector>

#include "app/busy_indicator.h"
#include "app/long_command.h"
#include "app/memory_budget.h"
#include "app/text_format.h"
#include "bases/progress_blocks.h"
#include "files/c_numeric_locale.h"
#include "files/safe_save.h"

namespace {

constexpr size_t lineBufferSize = 1024;

bool writeLines(std::FILE* stream, int32_t count, const double* first, const double* second) {
  const CNumericLocale point;
  char line[lineBufferSize];
  BlockProgress progress(count, 256);  // a line costs some hundred operations
  for (int32_t i = 0; i < count; ++i) {
    progress.at(i);
    const int length =
        second ? std::snprintf(line, sizeof line, " %30.20lg %30.20lg\n", first[i], second[i])
               : std::snprintf(line, sizeof line, " %30.10lg %d \n", first[i], i);
    const size_t size = static_cast<size_t>(std::clamp(length, 0, int(sizeof line) - 1));
    if (std::fwrite(line, 1, size, stream) != size) return false;
  }
  return true;
}

// The entries of the mesh buffers that the last recompute wrote, at most meshCount.
int32_t meshEntries(const Workspace& ws, int32_t filled) {
  return std::max(0, std::min(ws.meshCount, filled));
}

}  // namespace

std::string fileNamePart(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void saveTable(Workspace& ws, Window& window, const std::string& word, std::string& remembered,
               int32_t count, const double* first, const double* second) {
  const std::optional<std::string> path =
      window.saveFileName({"Save " + word + " into file", fileNamePart(remembered), "", ""});
  if (!path) return;
  // A long table is written as a long command. A cancel makes the writer give up, so that
  // the save leaves any previous file as it was, and then reaches the command's boundary.
  const std::string name = "Save " + word;
  SaveResult result;
  const bool finished = runLongCommand(ws, window, name.c_str(), [&] {
    bool cancelled = false;
    result = saveFile(*path, [&](std::FILE* stream) {
      try {
        return writeLines(stream, std::max(count, 0), first, second);
      } catch (const ProgressCancelled&) {
        cancelled = true;
        return false;
      }
    });
    if (cancelled) throw ProgressCancelled{};
    return true;
  });
  if (!finished) return;
  switch (result.outcome) {
    case SaveOutcome::Saved:
      remembered = *path;
      break;
    case SaveOutcome::CannotOpen:
      window.message(MessageKind::Warning,
                     format("Can't open file %s for writing!", path->c_str()));
      break;
    case SaveOutcome::WriteFailed:
      window.message(MessageKind::Warning,
                     format("Can't write file %s: %s", path->c_str(), result.reason.c_str()));
      break;
  }
}

void saveSamples(Workspace& ws, Window& window) {
  saveTable(ws, window, "samples", window.state.remembered.saveSamples, ws.sampleCount,
            ws.samplesY.data(), ws.samplesX.data());
}

void saveWeights(Workspace& ws, Window& window) {
  const int32_t m = std::max(ws.meshCount, 0);
  if (!fitsInMemory(2 * int64_t{m})) {
    window.message(MessageKind::Warning, memoryRefusal(ws.termCount, m));
    return;
  }
  std::vector<double> nodes, weights;
  try {
    nodes.assign(m, 0.0);
    weights.assign(m, 0.0);
  } catch (const std::bad_alloc&) {
    window.message(MessageKind::Warning, memoryRefusal(ws.termCount, m));
    return;
  }
  setBusy(window, true);
  if (m > 0) ws.basis.quadrature(nodes.data(), weights.data(), m, ws.alpha, ws.beta);
  setBusy(window, false);
  saveTable(ws, window, "weights", window.state.remembered.saveWeights, m, weights.data(),
            nodes.data());
}

void saveSource(Workspace& ws, Window& window) {
  const int32_t count = meshEntries(ws, std::min(ws.meshFilled, ws.sourceFilled));
  if (count == 0 && ws.meshCount > 0) {
    window.message(MessageKind::Warning,
                   "No source values on the evaluation mesh yet: apply a source first");
    return;
  }
  saveTable(ws, window, "source", window.state.remembered.saveSource, count, ws.sourceValues.data(),
            ws.meshX.data());
}

void saveValues(Workspace& ws, Window& window) {
  saveTable(ws, window, "values", window.state.remembered.saveValues, ws.valuesCount,
            ws.valuesY.data(), ws.valuesX.data());
}
