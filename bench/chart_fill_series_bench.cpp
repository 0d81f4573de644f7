// Putting 10^6 points into a chart series, repaint included, as a recompute does with a large
// mesh: sorted abscissae (the mesh), reversed ones (a file read backwards), and the whole
// main window's fillSeries.
#include <benchmark/benchmark.h>
#include <QApplication>

#include <cmath>
#include <vector>

#include "app/form/tform1.h"
#include "plot/chart.h"

namespace {

constexpr int32_t millionPoints = 1'000'000;

QApplication& application() {
  static int argc = 1;
  static char name[] = "serna_bench";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *app;
}

struct Table {
  std::vector<double> x, y;
};

Table wave(bool reversed) {
  Table table{std::vector<double>(millionPoints), std::vector<double>(millionPoints)};
  for (int32_t i = 0; i < millionPoints; ++i) {
    const int32_t k = reversed ? millionPoints - 1 - i : i;
    table.x[i] = k * 1e-5;
    table.y[i] = std::sin(k * 1e-3);
  }
  return table;
}

void fillPlot(benchmark::State& state, bool reversed) {
  application();
  QCustomPlot plot;
  setupChart(plot);
  plot.resize(767, 380);
  const Table table = wave(reversed);
  for (auto _ : state)
    fillChartSeries(plot, SeriesId::Analytic, table.x.data(), table.y.data(), millionPoints, false);
  state.SetItemsProcessed(state.iterations() * millionPoints);
}

void BM_fillSeriesSortedMillion(benchmark::State& state) {
  fillPlot(state, false);
}
void BM_fillSeriesReversedMillion(benchmark::State& state) {
  fillPlot(state, true);
}

void BM_mainWindowFillSeriesMillion(benchmark::State& state) {
  application();
  TForm1 form;
  const Table table = wave(false);
  for (auto _ : state)
    form.fillSeries(SeriesId::Analytic, table.x.data(), table.y.data(), millionPoints);
  state.SetItemsProcessed(state.iterations() * millionPoints);
}

// A repaint of the chart holding 10^6 points, as after a zoom or a toggle.
void BM_replotWithMillionPoints(benchmark::State& state) {
  application();
  QCustomPlot plot;
  setupChart(plot);
  plot.resize(767, 380);
  const Table table = wave(false);
  fillChartSeries(plot, SeriesId::Analytic, table.x.data(), table.y.data(), millionPoints, false);
  for (auto _ : state)
    plot.replot(QCustomPlot::rpImmediateRefresh);
}

}  // namespace

BENCHMARK(BM_fillSeriesSortedMillion)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_fillSeriesReversedMillion)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_mainWindowFillSeriesMillion)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_replotWithMillionPoints)->Unit(benchmark::kMillisecond);
