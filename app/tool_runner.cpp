#include "app/tool_runner.h"

#include <utility>

#include "app/busy_indicator.h"
#include "app/data_view.h"
#include "app/long_command.h"
#include "app/recompute.h"
#include "tools/last_series.h"

const char* const noSeriesMessage = "There is no series yet. Press Apply first";
const char* const unavailableMessage = "Sorry, This method is unavailable under current basis";

namespace {

// True when a series has been computed; otherwise tells the user to apply first.
bool haveSeries(const Workspace& ws, Window& window) {
  const LastSeries last = lastSeries(ws);
  if (last.termCount > 0 && last.meshCount > 0) return true;
  window.message(MessageKind::Information, noSeriesMessage);
  return false;
}

SeriesView seriesView(Workspace& ws) {
  const LastSeries last = lastSeries(ws);
  return {ws.basis,       ws.left,         ws.right,      ws.alpha, ws.beta, ws.coefficients.data(),
          last.termCount, ws.meshX.data(), last.meshCount};
}

SamplesView samplesView(Workspace& ws) {
  return {ws.samplesX.data(), ws.samplesY.data(), ws.sampleCount, seriesView(ws)};
}

void showTable(Workspace& ws, Window& window, ValuesTable table) {
  replaceValues(ws, std::move(table.x), std::move(table.y));
  showToolResult(ws, window, table.titles);
}

// A tool of the series runs under the busy indicator. Without a table the Values table stays,
// and so does the view.
template <typename Tool>
void runUnderBusy(Workspace& ws, Window& window, const char* name, Tool tool) {
  if (!haveSeries(ws, window)) return;
  runLongCommand(ws, window, name, [&] {
    setBusy(window, true);
    std::optional<ValuesTable> table = tool(seriesView(ws));
    if (table) {
      showTable(ws, window, std::move(*table));
    } else {
      window.message(MessageKind::Information, unavailableMessage);
      window.fillSeries(SeriesId::Values, ws.valuesX.data(), ws.valuesY.data(), ws.valuesCount);
    }
    setBusy(window, false);
    return true;
  });
}

}  // namespace

void runSeriesTool(Workspace& ws, Window& window, const char* name, SeriesTool tool) {
  runUnderBusy(ws, window, name, tool);
}

void runSeriesTool(Workspace& ws, Window& window, const char* name, BasisTool tool) {
  runUnderBusy(ws, window, name, tool);
}

void runSamplesTool(Workspace& ws, Window& window, const char* name, SamplesTool tool) {
  runLongCommand(ws, window, name, [&] {
    showTable(ws, window, tool(samplesView(ws)));
    return true;
  });
}

void showSamplesTool(Workspace& ws, Window& window, SamplesTool tool) {
  showTable(ws, window, tool(samplesView(ws)));
}

void runSeriesCommand(Workspace& ws, Window& window, const char* name, RecomputingCommand command) {
  if (!haveSeries(ws, window)) return;
  // The new series may lie far from the samples: the view goes to it, a step a double click
  // undoes.
  runLongCommand(ws, window, name, [&] {
    if (!command(ws, window)) return false;
    window.fitViewToSeries(SeriesId::Analytic);
    return true;
  });
}

void runRecomputingTool(Workspace& ws, Window& window, const char* name, RecomputingTool tool) {
  runLongCommand(
      ws, window, name,
      [&] {
        std::optional<ValuesTable> table = tool(ws, window);
        if (!table) return false;
        showTable(ws, window, std::move(*table));
        return true;
      },
      CommandTime::Whole);
}

void runRecomputingTool(Workspace& ws, Window& window, const char* name,
                        RecomputingCommand command) {
  runLongCommand(
      ws, window, name, [&] { return command(ws, window); }, CommandTime::Whole);
}
