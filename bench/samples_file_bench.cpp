// Loading and saving a 65536-point two-column spectrum, as the samples reader and the table
// writer do it in "File" > "Open" > "Samples" and "File" > "Save".
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/startup.h"
#include "app/text_format.h"
#include "app/null_window.h"
#include "files/safe_save.h"
#include "files/samples_file.h"
#include "files/table_export.h"
#include "files/text_file.h"

namespace {

std::string tableLine(double first, double second) {
  return format(" %30.20lg %30.20lg\n", first, second);
}

constexpr int spectrumPoints = 65536;

// A Lorentzian line on a sloping baseline, written as the table export writes it.
const std::string& spectrumPath() {
  static const std::string path = [] {
    const std::string file = (std::filesystem::temp_directory_path() /
                              ("serna-bench-spectrum-" + std::to_string(::getpid()) + ".txt"))
                                 .string();
    std::ofstream out(file, std::ios::binary);
    for (int i = 0; i < spectrumPoints; ++i) {
      const double x = -5.0 + 20.0 * i / spectrumPoints;
      out << tableLine(1.0 / (1.0 + (x - 3) * (x - 3)) + 0.01 * x, x);
    }
    return file;
  }();
  return path;
}

void loadSpectrum(benchmark::State& state) {
  const std::string& path = spectrumPath();
  for (auto _ : state) {
    const TextFile file = readTextFile(path);
    const SamplesLayout layout = scanSamplesText(file.text);
    const int64_t n = sampleCountOf(layout, columnModeOf(layout));
    std::vector<double> x(n), y(n);
    readTwoColumns(file.text, int32_t(n), x.data(), y.data());
    benchmark::DoNotOptimize(strictlyAscending(x.data(), int32_t(n)));
  }
  state.SetItemsProcessed(state.iterations() * spectrumPoints);
}
BENCHMARK(loadSpectrum)->Unit(benchmark::kMillisecond);

// "File" > "Open" > "Samples" on 10^6 lines as the table export writes them, the file in the
// page cache: reading, decoding, scanning, reading the samples and committing them.
const std::string& millionLinePath() {
  static const std::string path = [] {
    const std::string file = (std::filesystem::temp_directory_path() /
                              ("serna-bench-million-" + std::to_string(::getpid()) + ".txt"))
                                 .string();
    std::ofstream out(file, std::ios::binary);
    for (int i = 0; i < 1000000; ++i)
      out << tableLine(std::sin(i * 1e-3), i * 1e-3);
    return file;
  }();
  return path;
}

void openMillionLines(benchmark::State& state) {
  const std::string& path = millionLinePath();
  Workspace ws;
  NullWindow window;
  startUp(ws, window);
  for (auto _ : state) {
    openSamplesFile(ws, window, path);
    benchmark::DoNotOptimize(ws.sampleCount);
  }
  state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(openMillionLines)->Unit(benchmark::kMillisecond);

void saveSpectrum(benchmark::State& state) {
  std::vector<double> x(spectrumPoints), y(spectrumPoints);
  for (int i = 0; i < spectrumPoints; ++i) {
    x[i] = -5.0 + 20.0 * i / spectrumPoints;
    y[i] = 1.0 / (1.0 + (x[i] - 3) * (x[i] - 3));
  }
  const std::string path = spectrumPath() + ".saved";
  for (auto _ : state) {
    const SaveResult result = saveFile(path, [&](std::FILE* stream) {
      for (int i = 0; i < spectrumPoints; ++i) {
        const std::string line = tableLine(y[i], x[i]);
        if (std::fwrite(line.data(), 1, line.size(), stream) != line.size()) return false;
      }
      return true;
    });
    benchmark::DoNotOptimize(result.outcome);
  }
  std::filesystem::remove(path);
  state.SetItemsProcessed(state.iterations() * spectrumPoints);
}
BENCHMARK(saveSpectrum)->Unit(benchmark::kMillisecond);

}  // namespace
