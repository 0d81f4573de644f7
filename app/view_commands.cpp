#include "app/view_commands.h"
#include "app/menu_items.h"

#include <climits>

namespace {

constexpr SeriesId allSeries[] = {SeriesId::Samples, SeriesId::Source, SeriesId::Analytic,
                                  SeriesId::Values, SeriesId::Baseline};

const char* flagMenuItem(ChartFlag flag) {
  switch (flag) {
    case ChartFlag::AbscissaGrid:
      return abscissaGridItem;
    case ChartFlag::OrdinateGrid:
      return ordinateGridItem;
    case ChartFlag::Legend:
      return legendItem;
    case ChartFlag::AbscissaInverted:
      return invertAbscissaItem;
    case ChartFlag::OrdinateInverted:
      return invertOrdinateItem;
    case ChartFlag::OrdinateLogarithmic:
      return logarithmicOrdinateItem;
  }
  return "";
}

}  // namespace

const char* seriesMenuItem(SeriesId series) {
  switch (series) {
    case SeriesId::Samples:
      return "View > Samples";
    case SeriesId::Source:
      return "View > Source";
    case SeriesId::Analytic:
      return "View > Analytic";
    case SeriesId::Values:
      return "View > Values";
    case SeriesId::Baseline:
      return "View > Baseline";
  }
  return "";
}

void toggleSeries(Window& window, SeriesId series) {
  const char* item = seriesMenuItem(series);
  window.setChecked(item, !window.isChecked(item));
  window.setSeriesShown(series, window.isChecked(item));
}

void showAllSeries(Window& window) {
  for (SeriesId series : allSeries) {
    window.setChecked(seriesMenuItem(series), true);
    window.setSeriesShown(series, true);
  }
}

void toggleGrid(Window& window, ChartFlag grid) {
  window.setChartFlag(grid, !window.chartFlag(grid));
  const char* item = flagMenuItem(grid);
  window.setChecked(item, !window.isChecked(item));
}

void toggleLegend(Window& window) {
  window.setChartFlag(ChartFlag::Legend, !window.chartFlag(ChartFlag::Legend));
  window.setChecked(flagMenuItem(ChartFlag::Legend), window.chartFlag(ChartFlag::Legend));
}

void changeThickness(Window& window, SeriesId series, int step) {
  const int width = window.seriesWidth(series);
  if ((step > 0 && width > INT_MAX - step) || (step < 0 && width < INT_MIN - step)) return;
  window.setSeriesWidth(series, width + step);
}

void toggleLogarithmicOrdinate(Window& window) {
  invertAxis(window, ChartFlag::OrdinateLogarithmic);
}

void invertAxis(Window& window, ChartFlag direction) {
  window.setChartFlag(direction, !window.chartFlag(direction));
  window.setChecked(flagMenuItem(direction), window.chartFlag(direction));
}

void toggleCoefficientView(Window& window) {
  window.setChecked(coefficientsViewItem, !window.isChecked(coefficientsViewItem));
}
