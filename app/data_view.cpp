#include "app/data_view.h"

#include "app/menu_items.h"
#include "app/startup.h"

void showNewSamples(const Workspace& ws, Window& window) {
  window.fillSeries(SeriesId::Samples, ws.samplesX.data(), ws.samplesY.data(), ws.sampleCount);
  for (SeriesId computed :
       {SeriesId::Source, SeriesId::Analytic, SeriesId::Values, SeriesId::Baseline})
    window.fillSeries(computed, nullptr, nullptr, 0);
  for (int i = 0; i < 4; ++i)
    window.setPanel(i, startupPanelTexts[i]);
  window.setAxisTitles("", "");
  window.markInterval(false, 0.0, 0.0);
  window.state.intervalApplied = false;
  window.resetView();
}

void showToolResult(const Workspace& ws, Window& window, const AxisTitles& titles) {
  window.setChecked(valuesSeriesItem, true);
  window.setSeriesShown(SeriesId::Values, true);
  window.fillSeries(SeriesId::Values, ws.valuesX.data(), ws.valuesY.data(), ws.valuesCount);
  window.setAxisTitles(titles.abscissa, titles.ordinate);
  window.fitViewToSeries(SeriesId::Values);
}
