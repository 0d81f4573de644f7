#include "app/data_view.h"

void showNewSamples(const Workspace& ws, Window& window) {
  window.fillSeries(SeriesId::Samples, ws.samplesX.data(), ws.samplesY.data(), ws.sampleCount);
  for (SeriesId computed :
       {SeriesId::Source, SeriesId::Analytic, SeriesId::Values, SeriesId::Baseline})
    window.fillSeries(computed, nullptr, nullptr, 0);
  window.resetView();
}

void showToolResult(const Workspace& ws, Window& window) {
  window.fillSeries(SeriesId::Values, ws.valuesX.data(), ws.valuesY.data(), ws.valuesCount);
  window.fitViewToValues();
}
